// State text reader on arbitrary text: an accepted mesh is consistent,
// takes ids, normals and colours, survives the cleanups, and its cache
// reads back to the bytes it was written from.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "MeshChecks.h"
#include "MeshCleanup.h"
#include "StateCache.h"
#include "StateReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ObjLoader mesh;
  if (!ReadStateText(reinterpret_cast<const char*>(data), size, "fuzz.obj", mesh)) {
    if (mesh.vertexCount || mesh.groupCount || !mesh.positions.empty()) std::abort();
    return 0;
  }
  CheckMesh(mesh);
  mesh.AssignIds(nullptr);
  mesh.ComputeNormals();
  mesh.ComputeVertexColors();
  CheckMesh(mesh);

  // A second state on the same topology.
  ObjLoader later;
  if (!ReadStateText(reinterpret_cast<const char*>(data), size, "fuzz.obj", later)) std::abort();
  if (!later.UseSourceTopology(mesh, "fuzz.obj")) std::abort();
  later.ComputeNormals();
  CheckMesh(later);

  for (ObjLoader* m : {&mesh, &later}) {
    std::vector<char> bytes = EncodeStateCache(*m);
    ObjLoader back;
    if (!ReadStateCache(bytes.data(), bytes.size(), "fuzz.rdd", back, m->topologySource)) std::abort();
    if (EncodeStateCache(back) != bytes) std::abort();
  }

  BadTriangleMask(mesh, mesh.IdCount());
  WeldCleanup(mesh);
  CheckMesh(mesh);
  DetectCleanup(later);
  CheckMesh(later);
  return 0;
}
