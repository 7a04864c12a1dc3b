// Flagged binary reader on arbitrary bytes: an accepted mesh is one
// consistent group with per-vertex arrays of the vertex count, and takes
// the welding cleanup, ids and the bad-triangle mask.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FlaggedBinary.h"
#include "MeshChecks.h"
#include "MeshCleanup.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ObjLoader mesh;
  if (!ReadFlaggedBinaryData(reinterpret_cast<const char*>(data), size, "fuzz.bin", mesh)) {
    if (mesh.vertexCount || mesh.groupCount || !mesh.positions.empty()) std::abort();
    return 0;
  }
  CheckMesh(mesh);
  const size_t n = mesh.positions.size();
  if (mesh.groupCount != 1 || (!mesh.vertexColors.empty() && mesh.vertexColors.size() != n) ||
      (!mesh.normals.empty() && mesh.normals.size() != n) || (!mesh.texCoords.empty() && mesh.texCoords.size() != 2 * n))
    std::abort();
  std::vector<int32_t> mask = BadTriangleMask(mesh, mesh.triangleCount);
  WeldCleanup(mesh);
  CheckMesh(mesh);
  if ((!mesh.vertexColors.empty() && mesh.vertexColors.size() != mesh.positions.size()) ||
      (!mesh.normals.empty() && mesh.normals.size() != mesh.positions.size()))
    std::abort();
  mesh.AssignIds(nullptr);
  CheckMesh(mesh);
  return 0;
}
