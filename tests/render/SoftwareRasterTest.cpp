// Sphere ray casting and triangle scan conversion on exact (orthographic)
// and perspective views.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

// Deterministic doubles in [0, 1).
struct TestRandomUnit {
  uint64_t s;
  explicit TestRandomUnit(uint64_t seed) : s(seed * 2654435761u + 1) {}
  double operator()() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return double(s >> 11) / 9007199254740992.0;
  }
};

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

TEST(TriangleScan, SharedEdgeCentresGoToOneTriangleWhateverTheOrder) {
  const Projector proj = OrthoProjector(16, 16);
  // Two triangles share the diagonal x = y, which passes through the
  // centres (k + 0.5, k + 0.5); it runs down along the lower triangle's
  // border (counter-clockwise), so the lower one owns it.
  const Vex3_quarn lower[3] = {At(0, 0, 0.5f), At(16, 0, 0.5f), At(16, 16, 0.5f)};
  const Vex3_quarn upper[3] = {At(0, 0, 0.5f), At(16, 16, 0.5f), At(0, 16, 0.5f)};
  Grid alone(16, 16);
  Draw(proj, alone, upper, 2);
  for (int k = 0; k < 16; k++) EXPECT_EQ(alone.Id(k, k), -1) << k;
  EXPECT_EQ(alone.Id(3, 10), 2);

  Grid g(16, 16), h(16, 16);
  Draw(proj, g, lower, 1);
  Draw(proj, g, upper, 2);
  Draw(proj, h, upper, 2);
  Draw(proj, h, lower, 1);
  EXPECT_EQ(g.ids, h.ids);
  for (int k = 0; k < 16; k++) EXPECT_EQ(g.Id(k, k), 1) << k;
  EXPECT_EQ(g.Id(3, 10), 2);
  EXPECT_EQ(g.Id(10, 3), 1);

  // Equal depths: a copy drawn later loses every cell.
  Draw(proj, g, lower, 5);
  EXPECT_EQ(g.ids, h.ids);
  // A nearer triangle wins whatever the order.
  const Vex3_quarn nearer[3] = {At(0, 0, 0.25f), At(16, 16, 0.25f), At(0, 16, 0.25f)};
  Draw(proj, g, nearer, 3);
  EXPECT_EQ(g.Id(3, 10), 3);
  EXPECT_EQ(g.Id(10, 3), 1);
  EXPECT_FLOAT_EQ(g.depth[10 * 16 + 3], 0.25f);
}

namespace {

// How many of the triangles cover each cell centre, each scanned alone.
std::vector<int> Coverage(const Projector& proj, double scale, int w, int h,
                          const std::vector<std::array<Vex3_quarn, 3>>& tris) {
  std::vector<int> count(size_t(w) * h, 0);
  std::vector<int32_t> ids(count.size());
  std::vector<float> depth(count.size());
  for (const auto& v : tris) {
    ScreenTriangle t;
    if (!SetupScreenTriangle(proj, v.data(), scale, w, h, &t)) continue;
    std::fill(ids.begin(), ids.end(), -1);
    std::fill(depth.begin(), depth.end(), 2.0f);
    ScanTriangle(t, w, h, 0, h, ids.data(), depth.data(), 0);
    for (size_t i = 0; i < ids.size(); i++) count[i] += ids[i] == 0;
  }
  return count;
}

// A grid of quads from (x0, y0) with steps (sx, sy), each split along one
// of its diagonals (alternating, or by `pick`), at window depth z.
std::vector<std::array<Vex3_quarn, 3>> Sheet(float x0, float y0, float sx, float sy, int nx,
                                             int ny, float z, uint32_t seed = 0) {
  TestRandomUnit rnd(seed);
  auto at = [&](int i, int j) { return At(x0 + i * sx, y0 + j * sy, z); };
  std::vector<std::array<Vex3_quarn, 3>> tris;
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++) {
      const bool other = seed != 0 ? rnd() < 0.5 : (i + j) % 2 == 1;
      if (other) {
        tris.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
        tris.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
      } else {
        tris.push_back({at(i, j), at(i + 1, j), at(i, j + 1)});
        tris.push_back({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
      }
    }
  return tris;
}

void ExpectOnce(const std::vector<int>& count, const char* what) {
  int zero = 0, many = 0;
  for (int c : count) {
    zero += c == 0;
    many += c > 1;
  }
  EXPECT_EQ(zero, 0) << what << ": centres in a crack";
  EXPECT_EQ(many, 0) << what << ": centres covered twice";
}

}  // namespace

// Triangles that tile the grid cover every centre exactly once: vertices
// on centres, edges along rows, columns and diagonals through centres,
// a fan about a centre, at sub-cell offsets. (Sheets seen in perspective,
// with arbitrary coordinates, are checked against ray casting with the
// reference.)
TEST(TriangleScan, TilingTrianglesCoverEachCentreOnce) {
  const Projector proj = OrthoProjector(32, 32);
  for (float off : {0.0f, 0.5f, 0.25f, 0.125f}) {
    ExpectOnce(Coverage(proj, 1, 32, 32, Sheet(-2.5f + off, -2.5f + off, 3, 2, 13, 19, 0.5f)),
               "sheet on centres");
    ExpectOnce(Coverage(proj, 1, 32, 32, Sheet(-1.5f + off, -3.5f, 2, 2, 18, 19, 0.5f, 7)),
               "sheet with random diagonals");
  }
  // A fan about the centre (16.5, 16.5), spokes through rows of centres
  // along the axes, the diagonals and slopes 1/2 and 2.
  const float c = 16.5f;
  const float ring[][2] = {{40, 16.5f}, {40, 28.25f}, {40, 40},      {28.25f, 40}, {16.5f, 40},
                           {-7, 40},    {-7, 16.5f},  {-7, -7},      {4.75f, -7},  {16.5f, -7},
                           {40, -7},    {40, 4.75f}};
  std::vector<std::array<Vex3_quarn, 3>> fan;
  for (int k = 0; k < 12; k++) {
    const float* a = ring[k];
    const float* b = ring[(k + 1) % 12];
    fan.push_back({At(c, c, 0.5f), At(a[0], a[1], 0.5f), At(b[0], b[1], 0.5f)});
  }
  ExpectOnce(Coverage(proj, 1, 32, 32, fan), "fan");
}

// The orientation sign against exact integer arithmetic, for points that
// rounding puts on or within a few units in the last place of the line.
TEST(EdgeOrientation, ExactNextToTheLine) {
  TestRandomUnit rnd(5);
  // Coordinates in [1, 1024) are multiples of 2^-52: scaled by 2^52 they
  // are integers below 2^62, whose products fit 128 bits.
  auto scaled = [](double v) { return static_cast<__int128>(std::ldexp(v, 52)); };
  int zeros = 0, disagree = 0;
  for (int i = 0; i < 20000; i++) {
    double ax = 1 + 1000 * rnd(), ay = 1 + 1000 * rnd();
    double bx = 1 + 1000 * rnd(), by = 1 + 1000 * rnd();
    const double u = rnd();
    double px = ax + u * (bx - ax), py = ay + u * (by - ay);
    if (i % 4 == 1) px = std::nextafter(px, 2048.0);
    if (i % 4 == 2) py = std::nextafter(py, 0.0);
    if (i % 4 == 3) {
      // Exactly on the line: the midpoint of ends on a 2^-40 grid.
      const double k = std::ldexp(1.0, 40);
      ax = std::floor(ax * k) / k;
      ay = std::floor(ay * k) / k;
      bx = std::floor(bx * k) / k;
      by = std::floor(by * k) / k;
      px = (ax + bx) / 2;
      py = (ay + by) / 2;
    }
    const __int128 exact = (scaled(ax) - scaled(px)) * (scaled(by) - scaled(py)) -
                           (scaled(ay) - scaled(py)) * (scaled(bx) - scaled(px));
    const int want = exact > 0 ? 1 : exact < 0 ? -1 : 0;
    ASSERT_EQ(EdgeOrientation(ax, ay, bx, by, px, py), want) << i;
    // Swapping the ends flips the sign exactly: the two triangles of an
    // edge never both reject a point.
    ASSERT_EQ(EdgeOrientation(bx, by, ax, ay, px, py), -want) << i;
    zeros += want == 0;
    const double naive = (ax - px) * (by - py) - (ay - py) * (bx - px);
    disagree += (naive > 0 ? 1 : naive < 0 ? -1 : 0) != want;
  }
  // The cases are close enough that plain double evaluation often errs.
  EXPECT_GT(zeros, 4000);
  EXPECT_GT(disagree, 300);
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

// A sliver far from the grid's origin whose depth runs steeply across its
// width: every covered cell gets the depth of its centre to within the
// rounding of the depths themselves, not of the cell's coordinates.
TEST(TriangleScan, SliverFarFromTheOriginGetsExactDepths) {
  const Projector proj = OrthoProjector(64, 64);
  const int scale = 512, cw = 64 * scale;  // cells about 24,000 from the origin
  const Vex3_quarn v[3] = {At(47.13f, 1.01f, 0.2f), At(47.31f, 1.04f, 0.8f),
                           At(47.2f, 1.021867f, 0.5f)};
  ScreenTriangle t;
  ASSERT_TRUE(SetupScreenTriangle(proj, v, scale, cw, cw, &t));
  int first = 0, last = 0;
  ScreenTriangleRows(t, cw, &first, &last);
  const int rows = last - first + 1;
  ASSERT_LT(rows, 40);
  std::vector<int32_t> ids(size_t(cw) * rows, -1);
  std::vector<double> depth(ids.size(), 2.0);
  ScanTriangle(t, cw, cw, first, last + 1, ids.data(), depth.data(), nullptr, 0u, 1);
  // Barycentric depth in long double from the projected vertices.
  const long double x0 = t.x[0], y0 = t.y[0];
  const long double x1 = t.x[1] - x0, y1 = t.y[1] - y0, x2 = t.x[2] - x0, y2 = t.y[2] - y0;
  const long double det = x1 * y2 - x2 * y1;
  int covered = 0;
  double worst = 0;
  for (int r = 0; r < rows; r++)
    for (int x = int(t.xmin); x <= int(t.xmax); x++) {
      const size_t i = size_t(r) * cw + x;
      if (ids[i] != 1) continue;
      covered++;
      const long double px = x + 0.5L - x0, py = first + r + 0.5L - y0;
      const long double u = (px * y2 - x2 * py) / det, w = (x1 * py - px * y1) / det;
      const long double z = t.z[0] + u * (t.z[1] - t.z[0]) + w * (t.z[2] - t.z[0]);
      worst = std::max(worst, double(std::fabs(z - depth[i])));
    }
  EXPECT_GT(covered, 3);
  EXPECT_LT(worst, 1e-13);
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
