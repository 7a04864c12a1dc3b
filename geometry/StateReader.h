// Reader of the state text files: 'v' vertex lines, then 'g' group lines
// (the kinds solid, shell, beams and cubes followed by their usemtl line)
// with 'f' quads and 't' triangles, vertex numbers counted from 1.
#pragma once

#include <cstddef>
#include <string>

#include "ObjLoader.h"

// Fills vertexCount, positions, groupCount, groupTriCount, groupMaterial,
// groupTriangles and triangleCount of `mesh` from the text, printing the
// quad diagnostics and the triangle total. A bad file gives one error line
// naming `fileName` and leaves the mesh released; the result is then false.
bool ReadStateText(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh);

// The same from the file at `path`.
bool ReadStateFile(ObjLoader& mesh, const std::string& path);
