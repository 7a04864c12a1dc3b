// Repair of exported meshes: coincident vertices, collapsed triangles and
// triangles listed twice. Both cleanups change the triangle lists and drop
// the identifier tables; the caller assigns ids again afterwards. They
// work on the mesh's own copy of its lists and counts: meshes that shared
// them keep the old ones (run them before later states take the topology).
#pragma once

#include <cstdint>
#include <iostream>
#include <vector>

class ObjLoader;

// Merges vertices at equal positions (float equality, so -0 and +0 meet),
// compacts the vertex array (with any per-vertex colours, normals and
// texture coordinates), then removes collapsed and repeated triangles.
// Returns the number of repeated triangles removed.
int32_t WeldCleanup(ObjLoader& mesh, std::ostream& out = std::cout);

// The same detection without touching the vertices: triangles keep their
// vertex numbers. Returns the number of repeated triangles removed.
int32_t DetectCleanup(ObjLoader& mesh, std::ostream& out = std::cout);

// mask[id] = 0 for ids 0..count-1 whose vertex numbers (as stored) repeat
// within the triangle or repeat another triangle's, else 1; ids that do
// not exist stay 1. Prints the number of bad ids.
void BadTriangleMask(const ObjLoader& mesh, int32_t count, int32_t* mask, std::ostream& err = std::cerr);
std::vector<int32_t> BadTriangleMask(const ObjLoader& mesh, int32_t count, std::ostream& err = std::cerr);
