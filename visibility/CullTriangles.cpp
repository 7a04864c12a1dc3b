#include "Frustum.h"
#include "ObjLoader.h"

int32_t CullTriangles(const Frustum& frustum, const ObjLoader& a, const ObjLoader* b,
                      int32_t* liveFlags, std::ostream& out) {
  int32_t culled = 0;
  const int32_t n = a.IdCount();
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
