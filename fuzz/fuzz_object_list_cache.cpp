// Object-list cache reader on arbitrary bytes: an accepted cache gives a
// consistent mesh, encodes back to the same bytes (scale 1) and takes ids
// and the cleanup.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MeshChecks.h"
#include "MeshCleanup.h"
#include "ObjectList.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ObjLoader mesh;
  mesh.shadingMode = shading::kObjectList;
  const char* bytes = reinterpret_cast<const char*>(data);
  if (ReadObjectListCache(bytes, size, "fuzz.rdd", mesh, 1.0f) != 1) {
    if (mesh.vertexCount || mesh.groupCount || !mesh.positions.empty()) std::abort();
    return 0;
  }
  CheckMesh(mesh);
  if (mesh.normals.size() != mesh.positions.size() || mesh.texCoords.size() != 2 * mesh.positions.size() ||
      mesh.groupColor.size() != size_t(mesh.groupCount))
    std::abort();
  std::vector<char> again = EncodeObjectListCache(mesh);
  if (again.size() != size || std::memcmp(again.data(), bytes, size) != 0) std::abort();
  ObjLoader scaled;
  if (ReadObjectListCache(bytes, size, "fuzz.rdd", scaled, 2.0f) != 1) std::abort();
  DetectCleanup(mesh);
  mesh.AssignIds(nullptr);
  CheckMesh(mesh);
  return 0;
}
