#include "MotionFootprint.h"

#include <algorithm>
#include <cmath>

void MakeFootprint(const Projector& projector, const TriangleMotion& motion,
                   const Vex3_quarnd& eye, const Vex3_quarnd& view, MotionFootprint* f) {
  f->valid = true;
  double wx[2][3], wy[2][3];
  for (int e = 0; e < 2; e++)
    for (int v = 0; v < 3; v++) {
      const Vex3_quarn& p = e == 0 ? motion.a[v] : motion.b[v];
      projector.ClipXYW(p.x, p.y, p.z, f->clip[e][v]);
      if (!(f->clip[e][v][2] > 0)) {
        f->valid = false;
        return;
      }
      projector.WindowOfClip(f->clip[e][v], &wx[e][v], &wy[e][v]);
      f->depth[e][v] = (Vex3_quarnd(p) - eye).Dot(view);
    }
  // Parts short enough that a part's box is not much larger than the
  // triangle itself: about one part per size travelled.
  double travel = 0, x0 = wx[0][0], x1 = x0, y0 = wy[0][0], y1 = y0;
  for (int v = 0; v < 3; v++) {
    travel = std::max(travel, std::hypot(wx[1][v] - wx[0][v], wy[1][v] - wy[0][v]));
    x0 = std::min(x0, wx[0][v]);
    x1 = std::max(x1, wx[0][v]);
    y0 = std::min(y0, wy[0][v]);
    y1 = std::max(y1, wy[0][v]);
  }
  const double size = std::max({x1 - x0, y1 - y0, 0.5});
  f->parts = 1;
  while (f->parts < kMaxParts && f->parts * size < travel) f->parts *= 2;
}

double MotionFootprint::Nearest(double ta, double tb) const {
  double z = 1e300;
  for (int v = 0; v < 3; v++)
    for (double s : {ta, tb}) z = std::min(z, depth[0][v] + (depth[1][v] - depth[0][v]) * s);
  return z;
}

double MotionFootprint::Farthest(double ta, double tb) const {
  double z = -1e300;
  for (int v = 0; v < 3; v++)
    for (double s : {ta, tb}) z = std::max(z, depth[0][v] + (depth[1][v] - depth[0][v]) * s);
  return z;
}
