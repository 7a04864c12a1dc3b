#include <gtest/gtest.h>

#include "Frustum.h"
#include "PPC.h"

namespace {
double Eval(const double p[4], const Vex3_quarn& v) {
  return p[0] * v.x + p[1] * v.y + p[2] * v.z + p[3];
}
AABB Box(const Vex3_quarn& lo, const Vex3_quarn& hi) {
  AABB b;
  b.Extend(lo);
  b.Extend(hi);
  return b;
}
}  // namespace

TEST(Frustum, PlanesBoundTheViewVolume) {
  PPC cam(55, 1280, 720);
  cam.SetGLAndCache();
  const Frustum f = Frustum::FromMatrices(cam.Matrices());
  const float n = cam.zNear, fa = cam.zFar;
  const Vex3_quarn inside(10, -20, -2 * n);
  for (const auto& p : f.planes) EXPECT_GT(Eval(p, inside), 0);
  EXPECT_LT(Eval(f.planes[4], Vex3_quarn(0, 0, -0.5f * n)), 0);  // before near
  EXPECT_LT(Eval(f.planes[5], Vex3_quarn(0, 0, -1.01f * fa)), 0);  // beyond far
  EXPECT_LT(Eval(f.planes[1], Vex3_quarn(2 * n, 0, -2 * n)), 0);   // right of view
  EXPECT_LT(Eval(f.planes[2], Vex3_quarn(0, -2 * n, -2 * n)), 0);  // below view
  // The near corners lie on four planes at once.
  const Vex3_quarn corner(-640, 360, -n);
  EXPECT_NEAR(Eval(f.planes[0], corner), 0, 1e-2);
  EXPECT_NEAR(Eval(f.planes[3], corner), 0, 1e-2);
  // Box: from the near rectangle to the far one.
  EXPECT_NEAR(f.box.max.z, -n, 1);
  EXPECT_NEAR(f.box.min.z, -fa, fa * 1e-5);
  EXPECT_NEAR(f.box.max.x, 640 * 200, 200);
}

TEST(Frustum, BoxTest) {
  PPC cam(55, 1280, 720);
  cam.SetGLAndCache();
  const Frustum f = Frustum::FromMatrices(cam.Matrices());
  const float n = cam.zNear;
  EXPECT_TRUE(f.MayContain(Box({-1, -1, -3 * n}, {1, 1, -2 * n})));
  // Straddling a plane keeps it.
  EXPECT_TRUE(f.MayContain(Box({-1, -1, -2 * n}, {1, 1, 0})));
  EXPECT_FALSE(f.MayContain(Box({-1, -1, -0.9f * n}, {1, 1, -0.5f * n})));
  EXPECT_FALSE(f.MayContain(Box({-1, -1, 10}, {1, 1, 20})));
  // Left of the view, beside the near plane: outside the left plane.
  EXPECT_FALSE(f.MayContain(Box({-5 * n, 0, -2 * n}, {-4 * n, 1, -2 * n})));
}
