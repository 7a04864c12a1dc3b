#include <gtest/gtest.h>

#include "Frustum.h"
#include "PPC.h"
#include "TriangleSoup.h"

#include <sstream>

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

TEST(CullTriangles, ClearsFlagsOfTrianglesOutsideAndCounts) {
  PPC cam(55, 1280, 720);
  cam.SetGLAndCache();
  const Frustum f = Frustum::FromMatrices(cam.Matrices());
  const float z = -3 * cam.zNear;
  auto tri = [](Vex3_quarn c) {
    return std::array<Vex3_quarn, 3>{c, c + Vex3_quarn(5, 0, 0), c + Vex3_quarn(0, 5, 0)};
  };
  ObjLoader a, b;
  const std::vector<std::array<Vex3_quarn, 3>> inA = {
      tri({0, 0, z}),                      // 0: in view
      tri({0, 0, 500}),                    // 1: behind the eye
      tri({0, 0, -300 * cam.zNear}),       // 2: beyond far
      tri({-100 * cam.zNear, 0, z}),       // 3: far left
      tri({-100 * cam.zNear, 0, z}),       // 4: far left, already dead
      tri({-100 * cam.zNear, 0, z})};      // 5: left in a, in view in b
  std::vector<std::array<Vex3_quarn, 3>> inB = inA;
  inB[5] = tri({0, 0, z});
  BuildMesh(a, {inA});
  BuildMesh(b, {inB});
  std::vector<int32_t> flags = {1, 1, -1, 1, 0, 1};
  std::ostringstream out;
  EXPECT_EQ(CullTriangles(f, a, &b, flags.data(), out), 3);
  EXPECT_EQ(out.str(), "Culled out: 3\n");
  EXPECT_EQ(flags, (std::vector<int32_t>{1, 0, 0, 0, 0, 1}));
  // Without the second state triangle 5 goes too.
  flags = {1, 1, 1, 1, 1, 1};
  EXPECT_EQ(CullTriangles(f, a, nullptr, flags.data(), out), 5);
}
