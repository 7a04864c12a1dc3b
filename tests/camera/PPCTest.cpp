#include <gtest/gtest.h>

#include "PPC.h"

namespace {
void ExpectVecNear(const Vex3_quarn& a, const Vex3_quarn& b, float tol) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}
}  // namespace

TEST(PPC, ConstructUsesItsPiAndFocalLength) {
  PPC cam(90, 100, 50);
  ExpectVecNear(cam.corner, {-50, 25, -50}, 1e-3f);
  EXPECT_NEAR(cam.FocalLength(), 50, 1e-3);
  EXPECT_NEAR(cam.zNear, 50, 1e-3);
  EXPECT_NEAR(cam.zFar, 10000, 0.5);
  // pi taken as 3.14159 puts the focal length just above 50.
  EXPECT_GT(cam.FocalLength(), 50.0f);
  ExpectVecNear(cam.ViewDirection(), {0, 0, -1}, 0);
}

TEST(PPC, PanTiltRollDirections) {
  PPC cam(55, 1280, 720);
  PPC p = cam;
  p.Pan(90);
  ExpectVecNear(p.ViewDirection(), {-1, 0, 0}, 1e-5f);
  p.Pan(-90);
  ExpectVecNear(p.a, cam.a, 1e-5f);
  ExpectVecNear(p.corner, cam.corner, 1e-2f);
  PPC t = cam;
  t.Tilt(90);  // looking up
  ExpectVecNear(t.ViewDirection(), {0, 1, 0}, 1e-5f);
  PPC r = cam;
  r.Roll(90);  // a turns toward b
  ExpectVecNear(r.a.Normalized(), cam.b.Normalized(), 1e-5f);
  PPC q = cam;
  q.Pan(2);
  q.Pan(-2);
  ExpectVecNear(q.corner, cam.corner, 1e-3f);
}

TEST(PPC, ZoomAndResize) {
  PPC cam(55, 1280, 720);
  float f = cam.FocalLength();
  PPC z = cam;
  z.Zoom(2);
  EXPECT_NEAR(z.FocalLength(), 2 * f, 1e-3);
  EXPECT_EQ(z.a, cam.a);
  EXPECT_EQ(z.b, cam.b);
  EXPECT_EQ(z.eye, cam.eye);
  PPC r = cam;
  r.corner += r.a * 40.0f;  // move the principal point off-centre first
  r.RebuildInverse();
  r.Resize(2560, 720);
  EXPECT_NEAR(r.FocalLength(), 2 * f, 1e-2);
  EXPECT_EQ(r.w, 2560);
  Vex3_quarn q = r.invM * (r.ViewDirection() * r.FocalLength());
  EXPECT_NEAR(q.x / q.z, 1280, 1e-2);
  EXPECT_NEAR(q.y / q.z, 360, 1e-2);
}

TEST(PPC, PositionAndOrientKeepsPrincipalPointAndFocalLength) {
  PPC cam(55, 1280, 720);
  cam.corner += cam.a * 25.0f;
  cam.RebuildInverse();
  float f = cam.FocalLength();
  cam.PositionAndOrient({1, 2, 3}, {1, 0, 0}, {0, 1, 0});
  ExpectVecNear(cam.ViewDirection(), {1, 0, 0}, 1e-6f);
  EXPECT_NEAR(cam.FocalLength(), f, 1e-2);
  EXPECT_LT(cam.b.y, 0);  // b points down when up points up
  Vex3_quarn q = cam.invM * (cam.ViewDirection() * f);
  EXPECT_NEAR(q.x / q.z, 640 - 25, 1e-2);
  PPC pb(55, 1280, 720);
  pb.PlaceBefore({0, 0, -500}, {0, 0, -1}, {0, 1, 0});
  EXPECT_NEAR(pb.eye.z, -500 + pb.FocalLength(), 1e-2);
}

TEST(PPC, InterpolateEndsAndOneCameraPath) {
  PPC c0(55, 1280, 720);
  PPC c1 = c0;
  c1.Pan(30);
  c1.eye = {100, 0, 50};
  c1.Zoom(1.5f);
  std::vector<PPC> path = c0.Interpolate(c1, 2);
  ASSERT_EQ(path.size(), 2u);
  ExpectVecNear(path[0].ViewDirection(), c0.ViewDirection(), 1e-6f);
  ExpectVecNear(path[1].eye, c1.eye, 1e-4f);
  ExpectVecNear(path[1].ViewDirection(), c1.ViewDirection(), 1e-5f);
  EXPECT_NEAR(path[1].FocalLength(), c1.FocalLength(), 1e-2);
  EXPECT_TRUE(c0.Interpolate(c1, 0).empty());
  std::vector<PPC> one = c0.Interpolate(c1, 1);
  ASSERT_EQ(one.size(), 1u);
  ExpectVecNear(one[0].eye, c0.eye, 0);
  std::vector<PPC> tg = c0.InterpolateTargets(c1, 3);
  ASSERT_EQ(tg.size(), 3u);
  EXPECT_NEAR(tg[1].FocalLength(), std::sqrt(c0.FocalLength() * c1.FocalLength()), 0.05);
}

TEST(PPC, GLArraysAreSymmetricFrustumLookingAlongView) {
  PPC cam(55, 1280, 720);
  cam.corner += cam.a * 100.0f;  // off-centre principal point
  cam.RebuildInverse();
  cam.SetGLAndCache();
  EXPECT_EQ(cam.projection[8], 0.0);  // symmetric: no x shift
  EXPECT_EQ(cam.projection[9], 0.0);
  EXPECT_EQ(cam.viewport[2], 1280);
  // A point on the view axis projects to the window centre.
  Projector p = cam.MakeProjector();
  double x, y, z;
  Vex3_quarn on = cam.eye + cam.ViewDirection() * 5000.0f;  // beyond zNear = f
  ASSERT_TRUE(p.Project(on, &x, &y, &z));
  EXPECT_NEAR(x, 640, 1e-3);
  EXPECT_NEAR(y, 360, 1e-3);
  EXPECT_GT(z, 0);
  EXPECT_LT(z, 1);
}

TEST(PPC, PixelRaysPointThroughPixelCentres) {
  PPC cam(55, 64, 36);
  std::vector<float> rays;
  cam.ComputePixelRays(&rays);
  ASSERT_EQ(rays.size(), 64u * 36u * 3u);
  // Centre pixels look (nearly) along the view; rows count from the bottom.
  const float* mid = &rays[(18 * 64 + 32) * 3];
  EXPECT_NEAR(mid[2], -1, 1e-3);
  const float* top = &rays[(35 * 64 + 32) * 3];
  EXPECT_GT(top[1], 0);
}
