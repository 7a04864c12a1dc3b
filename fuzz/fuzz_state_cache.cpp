// State cache reader on arbitrary bytes. The first byte chooses the
// configuration (bit 0: shading mode 1 instead of 0; bit 1: read as a later
// state of a fixed first state). An accepted cache gives a consistent mesh
// and encodes back to exactly the bytes read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MeshChecks.h"
#include "StateCache.h"
#include "StateReader.h"

namespace {
ObjLoader* Source(uint8_t mode) {
  static ObjLoader sources[2];
  static bool made[2] = {false, false};
  ObjLoader& s = sources[mode];
  if (!made[mode]) {
    const char* text =
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
        "g solid\nusemtl solid1_mat\nf 1 2 3 4\n"
        "g shell\nusemtl shell2_mat\nt 1 3 4\n";
    s.shadingMode = mode;
    if (!ReadStateText(text, std::strlen(text), "source.obj", s)) std::abort();
    s.AssignIds(nullptr);
    made[mode] = true;
  }
  return &s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0] & 1;
  ObjLoader* source = (data[0] & 2) ? Source(mode) : nullptr;
  ObjLoader mesh;
  mesh.shadingMode = mode;
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  if (!ReadStateCache(bytes, size - 1, "fuzz.rdd", mesh, source)) {
    if (mesh.vertexCount || mesh.groupCount || !mesh.positions.empty() || mesh.topologySource) std::abort();
    return 0;
  }
  CheckMesh(mesh);
  if (mode == 0) {
    if (mesh.normals.size() != size_t(mesh.IdCount())) std::abort();
    mesh.ComputeVertexColors();
  }
  std::vector<char> again = EncodeStateCache(mesh);
  if (again.size() != size - 1 || std::memcmp(again.data(), bytes, again.size()) != 0) std::abort();
  return 0;
}
