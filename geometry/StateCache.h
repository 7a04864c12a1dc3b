// The binary cache of a state ("%s.rdd" beside the text): int32 vertex
// count, the positions, int32 group count, int32 triangle count, then per
// group its live count and material followed, per live triangle, by its
// three vertex numbers and id (only from a mesh without topology source)
// and its unit normal (only in shading mode 0). Nothing in the file says
// which blocks are there: the reader must be set up as the writer was.
#pragma once

#include <cstddef>
#include <iostream>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "ObjLoader.h"

std::vector<char> EncodeStateCache(const ObjLoader& mesh);
void EncodeStateCache(const ObjLoader& mesh, ByteWriter& out);
// Written under a temporary name and renamed; false when that failed.
bool WriteStateCache(const ObjLoader& mesh, const std::string& path);

// Reads a cache written by a state of the same shading mode, with a
// topology source exactly when the writer had one; ids and normals are
// then complete (vertex colours are not computed here). A file whose size
// does not match its counts for this configuration, or that names vertices
// or ids out of range, gives one error line naming `fileName`, leaves the
// mesh released and returns false.
bool ReadStateCache(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                    ObjLoader* source, std::ostream& err = std::cerr);
bool ReadStateCache(ByteSource& bytes, const std::string& fileName, ObjLoader& mesh, ObjLoader* source,
                    std::ostream& err = std::cerr);
