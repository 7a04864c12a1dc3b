// Sphere ray casting and triangle scan conversion on exact (orthographic)
// and perspective views.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "OrthoView.h"
#include "PPC.h"
#include "SoftwareRaster.h"

namespace {

Projector OrthoProjector(int w, int h) { return Projector(OrthoMatrices(w, h)); }

struct Grid {
  int w, h;
  std::vector<int32_t> ids;
  std::vector<float> depth;
  Grid(int w_, int h_) : w(w_), h(h_), ids(size_t(w_) * h_, -1), depth(size_t(w_) * h_, 2.0f) {}
  int32_t Id(int x, int y) const { return ids[size_t(y) * w + x]; }
};

void Draw(const Projector& proj, Grid& g, const Vex3_quarn v[3], int32_t id) {
  ScreenTriangle t;
  if (SetupScreenTriangle(proj, v, 1.0, g.w, g.h, &t))
    ScanTriangle(t, g.w, g.h, 0, g.h, g.ids.data(), g.depth.data(), id);
}

}  // namespace

TEST(RaySphere, HitsFrontExitFromInsideAndMisses) {
  const Vex3_quarn o(0, 0, 0), d(0, 0, -1);
  EXPECT_DOUBLE_EQ(RaySphere(o, d, {0, 0, -10}, 2, 0), 8.0);
  // Origin inside: the exit distance.
  EXPECT_DOUBLE_EQ(RaySphere(o, d, {0, 0, -1}, 2, 0), 3.0);
  // Sphere behind the origin, and a ray passing beside it.
  EXPECT_EQ(RaySphere(o, d, {0, 0, 10}, 2, 0), kNoHit);
  EXPECT_EQ(RaySphere(o, d, {5, 0, -10}, 2, 0), kNoHit);
  // Grazing ray: one double root.
  EXPECT_NEAR(RaySphere(o, d, {2, 0, -10}, 2, 0), 10.0, 1e-6);
}

TEST(SphereScreenBox, WidensByOnePixel) {
  const Projector proj = OrthoProjector(64, 64);
  const ScreenBox b = SphereScreenBox({20, 30, 0}, 4, proj);
  EXPECT_DOUBLE_EQ(b.xmin, 15);
  EXPECT_DOUBLE_EQ(b.xmax, 25);
  EXPECT_DOUBLE_EQ(b.ymin, 25);
  EXPECT_DOUBLE_EQ(b.ymax, 35);
  EXPECT_DOUBLE_EQ(b.zmin, 0.5 - 2);
  EXPECT_DOUBLE_EQ(b.zmax, 0.5 + 2);
}

TEST(TriangleScan, SharedEdgeCentresAndTieRule) {
  const Projector proj = OrthoProjector(16, 16);
  // Two triangles share the diagonal x = y, which passes through the
  // centres (k + 0.5, k + 0.5).
  const Vex3_quarn lower[3] = {At(0, 0, 0.5f), At(16, 0, 0.5f), At(16, 16, 0.5f)};
  const Vex3_quarn upper[3] = {At(0, 0, 0.5f), At(16, 16, 0.5f), At(0, 16, 0.5f)};
  Grid g(16, 16);
  Draw(proj, g, lower, 1);
  for (int k = 0; k < 16; k++) EXPECT_EQ(g.Id(k, k), 1) << k;
  // Equal depth: the later triangle loses the shared centres.
  Draw(proj, g, upper, 2);
  for (int k = 0; k < 16; k++) EXPECT_EQ(g.Id(k, k), 1) << k;
  EXPECT_EQ(g.Id(3, 10), 2);
  EXPECT_EQ(g.Id(10, 3), 1);

  // Drawn first alone, the upper one covers the diagonal too.
  Grid h(16, 16);
  Draw(proj, h, upper, 2);
  for (int k = 0; k < 16; k++) EXPECT_EQ(h.Id(k, k), 2) << k;

  // A nearer triangle wins whatever the order.
  const Vex3_quarn nearer[3] = {At(0, 0, 0.25f), At(16, 16, 0.25f), At(0, 16, 0.25f)};
  Draw(proj, g, nearer, 3);
  for (int k = 0; k < 16; k++) EXPECT_EQ(g.Id(k, k), 3) << k;
  EXPECT_FLOAT_EQ(g.depth[5 * 16 + 5], 0.25f);
}

TEST(TriangleScan, SkipsOutsideDepthRangeWindowAndDegenerate) {
  const Projector proj = OrthoProjector(16, 16);
  Grid g(16, 16);
  const Vex3_quarn beyond[3] = {At(0, 0, 1.5f), At(16, 0, 1.2f), At(0, 16, 1.01f)};
  const Vex3_quarn before[3] = {At(0, 0, -0.5f), At(16, 0, -0.2f), At(0, 16, -0.01f)};
  const Vex3_quarn left[3] = {At(-9, 0, 0.5f), At(-1, 0, 0.5f), At(-1, 16, 0.5f)};
  const Vex3_quarn line[3] = {At(0, 0, 0.5f), At(8, 8, 0.5f), At(16, 16, 0.5f)};
  ScreenTriangle t;
  EXPECT_FALSE(SetupScreenTriangle(proj, beyond, 1, 16, 16, &t));
  EXPECT_FALSE(SetupScreenTriangle(proj, before, 1, 16, 16, &t));
  EXPECT_FALSE(SetupScreenTriangle(proj, left, 1, 16, 16, &t));
  EXPECT_FALSE(SetupScreenTriangle(proj, line, 1, 16, 16, &t));
  // One vertex in range is enough; cells whose own depth leaves [0, 1]
  // stay untouched.
  const Vex3_quarn straddle[3] = {At(0, 0, -0.5f), At(16, 0, 0.5f), At(0, 16, 0.5f)};
  ASSERT_TRUE(SetupScreenTriangle(proj, straddle, 1, 16, 16, &t));
  ScanTriangle(t, 16, 16, 0, 16, g.ids.data(), g.depth.data(), 7);
  EXPECT_EQ(g.Id(0, 0), -1);   // z < 0 there
  EXPECT_EQ(g.Id(12, 2), 7);
  EXPECT_EQ(g.Id(15, 15), -1);  // outside the triangle
}

TEST(TriangleScan, DepthPlaneInterpolatesAndScalesWithFactor) {
  const Projector proj = OrthoProjector(16, 16);
  const Vex3_quarn v[3] = {At(0, 0, 0.0f), At(16, 0, 0.5f), At(0, 16, 1.0f)};
  ScreenTriangle t;
  ASSERT_TRUE(SetupScreenTriangle(proj, v, 4, 64, 64, &t));
  EXPECT_NEAR(t.alpha, 0.5 / 64, 1e-12);
  EXPECT_NEAR(t.beta, 1.0 / 64, 1e-12);
  EXPECT_NEAR(t.gamma, 0, 1e-12);
  std::vector<int32_t> ids(64 * 64, -1);
  std::vector<float> depth(64 * 64, 2);
  ScanTriangle(t, 64, 64, 0, 64, ids.data(), depth.data(), 4);
  EXPECT_NEAR(depth[10 * 64 + 20], 20.5 * 0.5 / 64 + 10.5 / 64, 1e-6);
  EXPECT_EQ(ids[63 * 64 + 63], -1);
}

TEST(ParticleRaster, ShadesNearestSphereAndSkipsMasked) {
  PPC cam(90, 32, 32);
  const Vex3_quarn pts[3] = {{0, 0, -50}, {0, 0, -40}, {100, 0, -50}};
  const int32_t mask[3] = {1, 0, 1};
  PointSetView ps{3, pts, nullptr, mask};
  std::vector<uint32_t> colour(32 * 32, 0);
  std::vector<int32_t> ids(32 * 32, -1);
  std::vector<float> depth(32 * 32, 0);
  std::vector<float> rays;
  std::ostringstream log;
  ParticleRaster(ps, colour.data(), ids.data(), depth.data(), cam, &rays, 5, log);
  EXPECT_EQ(rays.size(), 32u * 32u * 3u);
  EXPECT_EQ(log.str(), "\r 0/3 ");
  const size_t c = 16 * 32 + 16;
  EXPECT_EQ(ids[c], 0);  // the nearer point 1 is masked out
  // The centre ray passes half a pixel off the axis, so it meets the
  // sphere a little behind its front point.
  EXPECT_GT(depth[c], 45.0);
  EXPECT_LT(depth[c], 47.5);
  // Height colour below y = 1, brightened by the gain.
  const uint32_t px = colour[c];
  EXPECT_EQ(px >> 24, 0xFFu);
  EXPECT_GT(px & 0xFF, 71u);
  EXPECT_EQ(ids[0], -1);

  // The mask view casts every point and paints masked ones red.
  std::fill(ids.begin(), ids.end(), -1);
  std::fill(depth.begin(), depth.end(), 0.0f);
  ParticleMaskView(ps, colour.data(), ids.data(), depth.data(), cam, &rays, 5, log);
  EXPECT_EQ(ids[c], 1);
  EXPECT_EQ(colour[c], 0xFF0000FFu);
}

TEST(ParticleRaster, ChannelsClampAt255) {
  PPC cam(90, 16, 16);
  const Vex3_quarn pts[1] = {{0, 0, -20}};
  const Vex3_quarn cols[1] = {{1, 1, 1}};
  PointSetView ps{1, pts, cols, nullptr};
  std::vector<uint32_t> colour(256, 0);
  std::vector<int32_t> ids(256, -1);
  std::vector<float> depth(256, 0);
  std::vector<float> rays;
  std::ostringstream log;
  ParticleRaster(ps, colour.data(), ids.data(), depth.data(), cam, &rays, 12, log);
  EXPECT_EQ(colour[8 * 16 + 8], 0xFFFFFFFFu);
}

TEST(ParticleIdsFine, BandsEqualWholeGrid) {
  PPC cam(90, 6, 4);
  cam.SetGLAndCache();
  const Vex3_quarn pts[3] = {{0, 0, -30}, {3, 1, -25}, {-4, -2, -40}};
  PointSetView ps{3, pts, nullptr, nullptr};
  const int fw = 6 * kParticleFine, fh = 4 * kParticleFine;
  std::ostringstream log;
  std::vector<int32_t> whole(size_t(fw) * fh, -1);
  std::vector<float> wdepth(size_t(fw) * fh, 0);
  ParticleIdsFine(ps, whole.data(), wdepth.data(), cam, 2, 0, fh, log);
  int hits = 0;
  for (int32_t id : whole) hits += id >= 0;
  EXPECT_GT(hits, 300);
  for (int r0 = 0; r0 < fh; r0 += 20) {
    const int r1 = std::min(fh, r0 + 20);
    std::vector<int32_t> ids(size_t(fw) * (r1 - r0), -1);
    std::vector<float> depth(size_t(fw) * (r1 - r0), 0);
    ParticleIdsFine(ps, ids.data(), depth.data(), cam, 2, r0, r1, log);
    for (int y = r0; y < r1; y++)
      for (int x = 0; x < fw; x++)
        ASSERT_EQ(ids[size_t(y - r0) * fw + x], whole[size_t(y) * fw + x]);
  }
}

TEST(MotionColours, DirectionAndBrightness) {
  const std::vector<Vex3_quarn> a = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {1, 1, 1}};
  const std::vector<Vex3_quarn> b = {{30, 0, 0}, {0, 0.5f, 0}, {0, 0, -10.5f}, {1, 1, 1}};
  std::vector<Vex3_quarn> c;
  MotionColours(a, nullptr, &c);
  ASSERT_EQ(c.size(), 4u);
  MotionColours(a, &b, &c);
  EXPECT_FLOAT_EQ(c[0].x, 0.7f);
  EXPECT_FLOAT_EQ(c[0].y, 0.35f);
  EXPECT_FLOAT_EQ(c[1].y, 0.4f);
  EXPECT_NEAR(c[2].z, 0.0, 1e-7);
  EXPECT_NEAR(c[2].x, 0.5 * (0.4 + 0.3 * 9.5 / 19), 1e-6);
  EXPECT_FLOAT_EQ(c[3].x, 0.2f);  // no motion: zero direction, brightness 0.4
}
