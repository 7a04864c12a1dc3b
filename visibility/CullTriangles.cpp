#include <algorithm>

#include "Frustum.h"
#include "ObjLoader.h"

namespace {

int32_t Cull(const Frustum& frustum, const ObjLoader& a, const ObjLoader* b, int32_t* liveFlags,
             int32_t n, std::ostream& out) {
  int32_t culled = 0;
  for (int32_t id = 0; id < n; id++) {
    if (liveFlags[id] == 0) continue;
    AABB box;
    Vex3_quarn p[3];
    if (a.TrianglePositions(id, p))
      for (const Vex3_quarn& v : p) box.Extend(v);
    if (b != nullptr && b->TrianglePositions(id, p))
      for (const Vex3_quarn& v : p) box.Extend(v);
    if (box.Empty()) continue;
    if (!frustum.MayContain(box)) {
      liveFlags[id] = 0;
      culled++;
    }
  }
  out << "Culled out: " << culled << "\n";
  return culled;
}

}  // namespace

int32_t CullTriangles(const Frustum& frustum, const ObjLoader& a, const ObjLoader* b,
                      int32_t* liveFlags, std::ostream& out) {
  return Cull(frustum, a, b, liveFlags, a.IdCount(), out);
}

int32_t CullTriangles(const Frustum& frustum, const ObjLoader& a, const ObjLoader* b,
                      std::vector<int32_t>& liveFlags, std::ostream& out) {
  const int32_t n = std::min(a.IdCount(), int32_t(liveFlags.size()));
  return Cull(frustum, a, b, liveFlags.data(), n, out);
}
