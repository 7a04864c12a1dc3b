// Coverage intervals, swept-edge crossings, ray distances and screen hulls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "CoverageIntervals.h"
#include "TriangleScreenHull.h"

namespace {

Vex3_quarnd Unit(double x, double y, double z) { return Vex3_quarnd(x, y, z).Normalized(); }

TriangleMotion Static(Vex3_quarn a, Vex3_quarn b, Vex3_quarn c) {
  TriangleMotion m;
  m.a[0] = m.b[0] = a;
  m.a[1] = m.b[1] = b;
  m.a[2] = m.b[2] = c;
  return m;
}

TriangleMotion Moved(const TriangleMotion& s, Vex3_quarn by) {
  TriangleMotion m = s;
  for (auto& v : m.b) v += by;
  return m;
}

int Spans(const TriangleMotion& m, const Vex3_quarnd& ray, CoverageSpan* out) {
  MovingTriangle t;
  PrepareMovingTriangle(m, Vex3_quarnd(0, 0, 0), &t);
  return CoverageTimes(t, ray, out);
}

}  // namespace

TEST(SolveQuadratic, RootCountsAndOrder) {
  // d < 0, d = 0 (one root), two roots with (sqrt(d) - qb) / 2qa first,
  // linear, none.
  const struct {
    double a, b, c;
    std::vector<double> roots;
  } cases[] = {{1, 0, 1, {}},    {1, -2, 1, {1}}, {1, -3, 2, {2, 1}},
               {-1, 3, -2, {1, 2}}, {0, 2, -1, {0.5}}, {0, 0, 1, {}}};
  double r[2];
  for (const auto& c : cases) {
    const int n = SolveQuadratic(c.a, c.b, c.c, r);
    EXPECT_EQ(std::vector<double>(r, r + n), c.roots) << c.a << " " << c.b << " " << c.c;
  }
  // Nearly equal roots stay two: the time between them may be a brief
  // coverage.
  ASSERT_EQ(SolveQuadratic(1, -2, 1 - 1e-14, r), 2);
  EXPECT_NEAR(r[0] - r[1], 2e-7, 1e-9);
  // A nearly linear equation keeps its small root accurate.
  ASSERT_EQ(SolveQuadratic(1e-13, 1, -0.25, r), 2);
  EXPECT_NEAR(r[0], 0.25, 1e-13);
}

TEST(RoundToMicro, HalfwayRule) {
  for (auto [x, want] : {std::pair{0.2500004, 0.25}, {0.2500006, 0.250001}, {0.0, 0.0}, {1.0, 1.0}})
    EXPECT_DOUBLE_EQ(RoundToMicro(x), want) << x;
}

TEST(CoverageIntervals, StaticTriangleCoversWholeSpanOrNothing) {
  TriangleMotion m = Static({-1, -1, -5}, {1, -1, -5}, {0, 1, -5});
  CoverageSpan s[kCoverageSlots];
  ASSERT_EQ(Spans(m, Unit(0, 0, -1), s), 1);
  EXPECT_EQ(s[0].start, 0);
  EXPECT_EQ(s[0].end, 1);
  EXPECT_EQ(Spans(m, Unit(0.5, 0.5, -1), s), 0);
}

TEST(CoverageIntervals, CrossingTriangleGivesEdgePassageTimes) {
  // Right triangle with its vertical edge at x = -4 + 10 t and its hypotenuse
  // meeting y = 0 at x = -3 + 10 t (at depth 5): the ray along -z is entered
  // at t = 0.3 and left at t = 0.4.
  TriangleMotion m = Moved(Static({-4, -1, -5}, {-4, 1, -5}, {-2, -1, -5}), {10, 0, 0});
  CoverageSpan s[kCoverageSlots];
  ASSERT_EQ(Spans(m, Unit(0, 0, -1), s), 1);
  EXPECT_NEAR(s[0].start, 0.3, 1e-9);
  EXPECT_NEAR(s[0].end, 0.4, 1e-9);
  // Ends are multiples of 1e-6.
  EXPECT_DOUBLE_EQ(s[0].start, RoundToMicro(s[0].start));
  // The same into timeline slots.
  MovingTriangle t;
  PrepareMovingTriangle(m, Vex3_quarnd(0, 0, 0), &t);
  CoverageInterval slots[kCoverageSlots];
  ASSERT_EQ(CoverageIntervals(t, Unit(0, 0, -1), 7, slots), 1);
  EXPECT_EQ(slots[0].triangleId, 7u);
  EXPECT_EQ(slots[0].start, s[0].start);
  EXPECT_EQ(slots[0].end, s[0].end);
  EXPECT_EQ(slots[1].triangleId, kNoTriangle);
  // Moving the other way the vertical edge leads (x = 6 - 10 t) and the
  // hypotenuse trails (x = 7 - 10 t at y = 0).
  TriangleMotion back = Moved(Static({6, -1, -5}, {6, 1, -5}, {8, -1, -5}), {-10, 0, 0});
  ASSERT_EQ(Spans(back, Unit(0, 0, -1), s), 1);
  EXPECT_NEAR(s[0].start, 0.6, 1e-9);
  EXPECT_NEAR(s[0].end, 0.7, 1e-9);
}

TEST(CoverageIntervals, CoverageEndsWhereTheRayLeavesThroughAnEdge) {
  // The triangle's left edge passes the ray at t = 0.9992; the short last
  // piece [0.9992, 1] lies just outside that edge (barycentric weight down
  // to -0.0004) and must not count as covered.
  TriangleMotion m =
      Moved(Static({-0.9992f, -1, -5}, {1.0008f, -1, -5}, {-0.9992f, 1, -5}), {1, 0, 0});
  CoverageSpan s[kCoverageSlots];
  ASSERT_EQ(Spans(m, Unit(0, 0, -1), s), 1);
  EXPECT_EQ(s[0].start, 0);
  EXPECT_NEAR(s[0].end, 0.9992, 2e-6);
}

TEST(CoverageIntervals, EdgeOnTriangleGivesNothing) {
  // The triangle's plane contains the eye: every ray is parallel to it.
  TriangleMotion m = Moved(Static({-1, 0, -5}, {1, 0, -5}, {0, 0, -7}), {0.5, 0, 0});
  CoverageSpan s[kCoverageSlots];
  EXPECT_EQ(Spans(m, Unit(0, 0, -1), s), 0);
  EXPECT_EQ(Spans(m, Unit(0.1, 0, -1), s), 0);
}

TEST(CoverageIntervals, TriangleBehindTheEyeIsNotSeen) {
  TriangleMotion m = Static({-1, -1, 5}, {1, -1, 5}, {0, 1, 5});
  CoverageSpan s[kCoverageSlots];
  EXPECT_EQ(Spans(m, Unit(0, 0, -1), s), 0);
  // Passing through the eye plane: seen only while in front.
  TriangleMotion through = Moved(Static({-1, -1, 2}, {1, -1, 2}, {0, 1, 2}), {0, 0, -4});
  ASSERT_EQ(Spans(through, Unit(0, 0, -1), s), 1);
  EXPECT_NEAR(s[0].start, 0.5, 1e-6);
  EXPECT_EQ(s[0].end, 1);
}

TEST(SweptEdgeCrossings, PlanarAndBilinearSurfaces) {
  double t[2];
  Vex3_quarnd ray = Unit(0, 0, -1);
  // Planar: the edge slides within the plane z = -5 and passes the ray at
  // t = 0.25.
  ASSERT_EQ(SweptEdgeCrossings({-1, -1, -5}, {-1, 1, -5}, {3, -1, -5}, {3, 1, -5}, ray, t), 1);
  EXPECT_NEAR(t[0], 0.25, 1e-12);
  // Planar with a rotating edge (a quadratic within the plane).
  int n = SweptEdgeCrossings({-1, -2, -5}, {-1, 2, -5}, {1, -2, -5}, {3, 2, -5}, ray, t);
  ASSERT_EQ(n, 1);
  EXPECT_NEAR(t[0], 1.0 / 3.0, 1e-12);
  // Bilinear: one end moves in depth as well, so the surface twists.
  n = SweptEdgeCrossings({-1, -1, -5}, {-1, 1, -5}, {1, -1, -3}, {3, 1, -9}, ray, t);
  ASSERT_EQ(n, 1);
  // At the crossing time the ray passes through the edge.
  Vex3_quarnd p0 = Vex3_quarnd(-1, -1, -5) + Vex3_quarnd(2, 0, 2) * t[0];
  Vex3_quarnd p1 = Vex3_quarnd(-1, 1, -5) + Vex3_quarnd(4, 0, -4) * t[0];
  EXPECT_NEAR(p0.Cross(p1).Dot(ray), 0, 1e-9);
  // A static edge and an edge moving along its own line sweep no area.
  EXPECT_EQ(SweptEdgeCrossings({-1, 0, -5}, {1, 0, -5}, {-1, 0, -5}, {1, 0, -5}, ray, t), 0);
  EXPECT_EQ(SweptEdgeCrossings({-3, 0, -5}, {-2, 0, -5}, {2, 0, -5}, {3, 0, -5}, ray, t), 0);
}

TEST(RayDistanceAt, DistanceInsideTestAndNoHits) {
  Vex3_quarnd eye(0, 0, 0), v[3] = {{-1, -1, -4}, {1, -1, -4}, {0, 1, -4}};
  double d = 0;
  ASSERT_TRUE(RayDistanceAt(eye, Unit(0, 0, -1), v, true, &d));
  EXPECT_DOUBLE_EQ(d, 4);
  // Outside the triangle: a plane distance without the inside test only.
  Vex3_quarnd out = Unit(1, 1, -4);
  EXPECT_FALSE(RayDistanceAt(eye, out, v, true, &d));
  ASSERT_TRUE(RayDistanceAt(eye, out, v, false, &d));
  EXPECT_NEAR(d, Vex3_quarnd(1, 1, -4).Length(), 1e-12);
  // A point on an edge, and one just outside within the slack, are inside.
  EXPECT_TRUE(RayDistanceAt(eye, Unit(0, -1, -4), v, true, &d));
  EXPECT_TRUE(RayDistanceAt(eye, Unit(0, -1.001, -4), v, true, &d));
  EXPECT_FALSE(RayDistanceAt(eye, Unit(0, -1.05, -4), v, true, &d));
  // Parallel to the plane, and a plane behind the eye: no hit.
  EXPECT_FALSE(RayDistanceAt(eye, Unit(1, 0, 0), v, false, &d));
  Vex3_quarnd behind[3] = {{-1, -1, 4}, {1, -1, 4}, {0, 1, 4}};
  EXPECT_FALSE(RayDistanceAt(eye, Unit(0, 0, -1), behind, false, &d));
  // Degenerate triangle.
  Vex3_quarnd flat[3] = {{0, 0, -4}, {1, 0, -4}, {2, 0, -4}};
  EXPECT_FALSE(RayDistanceAt(eye, Unit(0.2, 0, -4), flat, true, &d));
}

TEST(TriangleScreenHull, HullBoxAndTolerance) {
  // glFrustum(-1, 1, -1, 1, 1, 100) over a 100 x 100 viewport.
  GLMatrices frustum;
  const double pr[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -101.0 / 99, -1, 0, 0, -200.0 / 99, 0};
  std::copy(pr, pr + 16, frustum.projection);
  frustum.viewport[2] = frustum.viewport[3] = 100;
  const Projector proj(frustum);
  // At depth 2 a window pixel is 0.04 world units; the triangle spans window
  // x 50..75 at the start and moves 10 pixels right.
  TriangleMotion m = Moved(Static({0, 0, -2}, {1, 0, -2}, {0, 1, -2}), {0.4f, 0, 0});
  ScreenHull h;
  TriangleScreenHull(proj, m, &h);
  EXPECT_FALSE(h.behindEye);
  EXPECT_NEAR(h.minX, 50, 1e-9);
  EXPECT_NEAR(h.minY, 50, 1e-9);
  EXPECT_NEAR(h.maxX, 85, 1e-5);
  EXPECT_NEAR(h.maxY, 75, 1e-5);
  EXPECT_EQ(h.x[0], h.x[h.count - 1]);
  EXPECT_TRUE(h.Contains(60, 60));
  EXPECT_TRUE(h.Contains(80, 52));
  EXPECT_FALSE(h.Contains(75, 70));  // beyond the moved hypotenuse
  EXPECT_TRUE(h.Contains(50 - 0.05 / 25, 60));  // inside the -0.1 tolerance
  EXPECT_FALSE(h.Contains(49.9, 60));
  int x0, y0, x1, y1;
  ASSERT_TRUE(ClipBoxToWindow(h.minX, h.minY, h.maxX, h.maxY, 60, 100, &x0, &y0, &x1, &y1));
  EXPECT_EQ(x0, 50);
  EXPECT_EQ(x1, 59);
  EXPECT_FALSE(ClipBoxToWindow(-5, 0, -1, 10, 60, 100, &x0, &y0, &x1, &y1));
  // A vertex behind the eye makes the box unusable.
  TriangleMotion back = Moved(Static({0, 0, -2}, {1, 0, -2}, {0, 1, -2}), {0, 0, 3});
  TriangleScreenHull(proj, back, &h);
  EXPECT_TRUE(h.behindEye);
}

// Coverage at random times against a direct ray test, for triangles moving
// and turning freely in space.
TEST(CoverageIntervals, AgreesWithDirectRayTestsOnRandomMotion) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> U(-1, 1);
  int checked = 0;
  for (int trial = 0; trial < 300; trial++) {
    TriangleMotion m;
    for (int i = 0; i < 3; i++) {
      m.a[i] = Vex3_quarn(float(U(rng)), float(U(rng)), float(-5 + U(rng)));
      m.b[i] = Vex3_quarn(float(U(rng)), float(U(rng)), float(-5 + U(rng)));
    }
    MovingTriangle t;
    PrepareMovingTriangle(m, Vex3_quarnd(0, 0, 0), &t);
    for (int r = 0; r < 20; r++) {
      Vex3_quarnd ray = Unit(0.2 * U(rng), 0.2 * U(rng), -1);
      CoverageSpan s[kCoverageSlots];
      int n = CoverageTimes(t, ray, s);
      for (int k = 0; k < 50; k++) {
        double time = (k + 0.5) / 50;
        bool inSpan = false, nearEnd = false;
        for (int i = 0; i < n; i++) {
          inSpan |= time >= s[i].start && time <= s[i].end;
          nearEnd |= std::fabs(time - s[i].start) < 1e-5 || std::fabs(time - s[i].end) < 1e-5;
        }
        Vex3_quarnd v[3];
        PositionsAt(m, time, v);
        double d;
        bool hit = RayDistanceAt(Vex3_quarnd(0, 0, 0), ray, v, true, &d);
        // Directly on an edge the slack decides; skip those rays.
        bool onEdge = false;
        for (double slack : {-2e-3, 2e-3}) {
          Vex3_quarnd c[3] = {v[1].Cross(v[2]), v[2].Cross(v[0]), v[0].Cross(v[1])};
          double g = ray.Dot(c[0] + c[1] + c[2]);
          for (int i = 0; i < 3; i++) onEdge |= std::fabs(ray.Dot(c[i]) / g) < std::fabs(slack);
        }
        if (nearEnd || onEdge) continue;
        ASSERT_EQ(inSpan, hit) << "trial " << trial << " ray " << r << " time " << time;
        checked++;
      }
    }
  }
  EXPECT_GT(checked, 250000);
}
