// Flagged binary meshes: int32 vertex count; four flag bytes ('y' for yes:
// positions, colours, normals, texture coordinates); the positions; the
// flagged per-vertex arrays in that order (3, 3 and 2 floats); int32
// triangle count; three uint32 vertex numbers per triangle. Read into one
// group without ids.
#pragma once

#include <cstddef>
#include <iostream>
#include <string>
#include <vector>

#include "ObjLoader.h"

// "INFO: cannot open file: " and the path when it cannot be opened (the
// mesh is unchanged). A file without positions, or a truncated or corrupt
// one, gives its error line and leaves the mesh released. False in both
// cases.
// The "Have ..." lines and the counts go to `out`, messages to `err`.
bool ReadFlaggedBinary(ObjLoader& mesh, const std::string& path, std::ostream& out = std::cout,
                       std::ostream& err = std::cerr);
bool ReadFlaggedBinaryData(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                           std::ostream& out = std::cout, std::ostream& err = std::cerr);

// Positions and triangles only (flags 'y','n','n','n'); written under a
// temporary name and renamed.
bool WriteFlaggedBinary(const std::string& path, const std::vector<Vex3_quarn>& positions,
                        const std::vector<uint32_t>& triangles);
// The mesh's vertices and live triangles of all groups, in group order.
bool WriteFlaggedBinary(const std::string& path, const ObjLoader& mesh);
