#include "AABB.h"

namespace {
// Per-corner selectors: 1 picks the maximum on that axis.
const int kCornerSel[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                              {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
}  // namespace

Vex3_quarn AABB::Corner(int i) const {
  if (i < 0 || i > 7) return {kFloatMax, kFloatMax, kFloatMax};
  Vex3_quarn d = max - min;
  return {min.x + d.x * kCornerSel[i][0], min.y + d.y * kCornerSel[i][1],
          min.z + d.z * kCornerSel[i][2]};
}

AABB AABB::ScreenBox(const double modelView[16], const double projection[16],
                     const int viewport[4]) const {
  AABB out;
  for (int i = 0; i < 8; i++) {
    Vex3_quarn c = Corner(i);
    double x = 0, y = 0, z = 0;
    ProjectPoint(c.x, c.y, c.z, modelView, projection, viewport, &x, &y, &z);
    out.Extend(Vex3_quarn(float(x), float(y), 0.0f));
  }
  return out;
}

bool AABB::InFrustumAndRegion(const double planes[6][4], const AABB& other) const {
  Vex3_quarn corners[8];
  for (int i = 0; i < 8; i++) corners[i] = Corner(i);
  for (int p = 0; p < 6; p++) {
    bool anyInside = false;
    for (int i = 0; i < 8 && !anyInside; i++)
      anyInside = planes[p][0] * corners[i].x + planes[p][1] * corners[i].y +
                      planes[p][2] * corners[i].z + planes[p][3] >
                  0;
    if (!anyInside) return false;
  }
  if (max.x < other.min.x || other.min.y > max.y || other.min.z > max.z ||
      min.x > other.max.x || min.y > other.max.y || min.z > other.max.z)
    return false;
  return true;
}
