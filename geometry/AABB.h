// Axis-aligned boxes: the float box of the mesh and camera code and the
// double box of the scans that project in double precision.
#pragma once

#include "GLProject.h"
#include "Vex3.h"

constexpr float kFloatMax = 3.4028235e38f;
constexpr double kFloatMaxD = 3.4028234663852886e38;

struct AABB {
  Vex3_quarn min{kFloatMax, kFloatMax, kFloatMax};
  Vex3_quarn max{-kFloatMax, -kFloatMax, -kFloatMax};

  bool Empty() const { return min.x > max.x; }
  void Extend(const Vex3_quarn& p) {
    if (p.x < min.x) min.x = p.x;
    if (p.y < min.y) min.y = p.y;
    if (p.z < min.z) min.z = p.z;
    if (p.x > max.x) max.x = p.x;
    if (p.y > max.y) max.y = p.y;
    if (p.z > max.z) max.z = p.z;
  }
  // Corners 0..3 walk the bottom face (min z), 4..7 the top face; any other
  // index gives three copies of the largest float.
  Vex3_quarn Corner(int i) const;

  // Window-space box of the eight projected corners; z stays 0..0.
  AABB ScreenBox(const double modelView[16], const double projection[16],
                 const int viewport[4]) const;

  // Fails when all corners lie on the non-positive side of one of the six
  // planes (a, b, c, d), or when the box misses `region`. Touching overlaps.
  bool InFrustumAndRegion(const double planes[6][4], const AABB& region) const;
};

struct AABBd {
  Vex3_quarnd min{kFloatMaxD, kFloatMaxD, kFloatMaxD};
  Vex3_quarnd max{-kFloatMaxD, -kFloatMaxD, -kFloatMaxD};

  void Extend(const Vex3_quarnd& p) {
    for (int axis = 0; axis < 3; axis++) {
      if (min[axis] > p[axis]) min[axis] = p[axis];
      if (p[axis] > max[axis]) max[axis] = p[axis];
    }
  }
};
