// Moving spheres: ray distances, coverage intervals, the timeline order of
// two spheres, window boxes and ASL's sphere placement, in a small view of
// a camera at the origin looking down -z (near plane about 31 away).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "CoverageIntervals.h"
#include "MovingSpheres.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "SphereReference.h"

namespace {

constexpr int kW = 32, kH = 24;

struct View {
  PPC cam{55, kW, kH};
  SampleLocationBuffer buffer{kW, kH};
  Projector proj;
  Vex3_quarnd eye;
  View() {
    buffer.SetCamera(cam);
    buffer.ComputeSampleRays();
    proj = buffer.camera->MakeProjector();
    eye = proj.RayOrigin(Vex3_quarnd(buffer.camera->eye));
  }
  SampleLocation& Centre(int col, int row) { return buffer.Pixel(col, row).samples[0]; }
  // Whether the sample's ray meets the sphere, by the reference's distance
  // (a grazing ray counts).
  bool Meets(const SampleLocation& s, const Vex3_quarnd& c, double r) const {
    const SphereHit h = SphereReference::Distance(eye, Ray(s), 0, c, r);
    return h.hit || h.tie;
  }
  static Vex3_quarnd Ray(const SampleLocation& s) {
    return Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]);
  }
  // A point at distance `along` on the centre ray of a pixel.
  Vex3_quarnd OnRay(int col, int row, double along) {
    return eye + Ray(Centre(col, row)) * along;
  }
};

TEST(SphereRay, QuadraticAndDistance) {
  double r[2];
  // -(t - 1)(t - 3): the smaller root first after the sign is turned.
  ASSERT_EQ(SolveQuadraticSorted(-1, 4, -3, r), 2);
  EXPECT_DOUBLE_EQ(r[0], 1);
  EXPECT_DOUBLE_EQ(r[1], 3);
  ASSERT_EQ(SolveQuadraticSorted(1, -2, 1, r), 1);
  EXPECT_DOUBLE_EQ(r[0], 1);
  EXPECT_EQ(SolveQuadraticSorted(1, 0, 1, r), 0);
  ASSERT_EQ(SolveQuadraticSorted(0, 2, -4, r), 1);
  EXPECT_DOUBLE_EQ(r[0], 2);

  const Vex3_quarnd o(0, 0, 0), d(0, 0, -1), c(0, 0, -50);
  EXPECT_DOUBLE_EQ(SphereRayDistance(o, d, 10, c, 5), 45);
  // The near intersection before the near distance: measured at the far one.
  EXPECT_DOUBLE_EQ(SphereRayDistance(o, d, 47, c, 5), 55);
  EXPECT_EQ(SphereRayDistance(o, d, 60, c, 5), kSphereNoHit);
  EXPECT_EQ(SphereRayDistance(o, d, 10, Vex3_quarnd(0, 0, 50), 5), kSphereNoHit);
  EXPECT_EQ(SphereRayDistance(o, d, 10, Vex3_quarnd(6, 0, -50), 5), kSphereNoHit);
}

TEST(SphereCoverage, RestingTangentPassingAndBehind) {
  View v;
  const SampleLocation& s = v.Centre(16, 12);
  const Vex3_quarnd d = View::Ray(s);
  CoverageInterval slots[kSphereSlots];
  const Vex3_quarnd p = v.OnRay(16, 12, 80);
  ASSERT_EQ(SphereCoverage(v.eye, d, s.nearDistance, p, p, 2, 3, 7, slots), 1);
  EXPECT_EQ(slots[0].start, 3);
  EXPECT_EQ(slots[0].end, 4);
  EXPECT_EQ(slots[0].triangleId, 7u);

  // A side direction perpendicular to the ray.
  const Vex3_quarnd side = d.Cross(Vex3_quarnd(0, 1, 0)).Normalized();
  // Moving past at exactly the radius: touching, no interval.
  EXPECT_EQ(SphereCoverage(v.eye, d, s.nearDistance, p + side * 2 + d.Cross(side) * 5,
                           p + side * 2 - d.Cross(side) * 5, 2, 0, 1, slots),
            0);
  // Crossing the ray during the second half of the step.
  ASSERT_EQ(SphereCoverage(v.eye, d, s.nearDistance, p + side * 20, p - side * 4, 2, 5, 1, slots),
            1);
  EXPECT_GT(slots[0].start, 5.5);
  EXPECT_LE(slots[0].end, 6);
  // Entering at u = 18/24 and leaving at 22/24, rounded to 1e-6.
  EXPECT_DOUBLE_EQ(slots[0].start, RoundToMicro(5 + 18.0 / 24));
  EXPECT_DOUBLE_EQ(slots[0].end, RoundToMicro(5 + 22.0 / 24));
  // The same motion behind the eye covers nothing.
  const Vex3_quarnd q = v.eye - d * 80;
  EXPECT_EQ(SphereCoverage(v.eye, d, s.nearDistance, q + side * 20, q - side * 4, 2, 5, 1, slots),
            0);
  // Moving along the ray: covered throughout.
  ASSERT_EQ(SphereCoverage(v.eye, d, s.nearDistance, p, p + d * 30, 2, 0, 1, slots), 1);
  EXPECT_EQ(slots[0].start, 0);
  EXPECT_EQ(slots[0].end, 1);
  // Coming out of the near plane towards the eye: covered until the
  // sphere's far side passes the near distance.
  const double n = s.nearDistance;
  ASSERT_EQ(SphereCoverage(v.eye, d, n, v.eye + d * (n + 10), v.eye + d * (n - 10), 2, 0, 1, slots),
            1);
  EXPECT_EQ(slots[0].start, 0);
  EXPECT_NEAR(slots[0].end, 12.0 / 20, 1e-6);
}

TEST(SphereTimeline, InsertionOrderAndSwaps) {
  View v;
  SampleLocation& s = v.Centre(10, 8);
  const Vex3_quarnd d = View::Ray(s);
  const Vex3_quarnd side = d.Cross(Vex3_quarnd(0, 1, 0)).Normalized();
  // Sphere 0 rests far; sphere 1 passes in front during [0.6, 0.8];
  // sphere 2 moves from near to far along the ray through sphere 3, which
  // rests in the middle: they change places halfway.
  std::vector<Vex3_quarn> from = {Vex3_quarn(v.OnRay(10, 8, 150)),
                                  Vex3_quarn(v.OnRay(10, 8, 60) + side * 14),
                                  Vex3_quarn(v.OnRay(10, 8, 60)), Vex3_quarn(v.OnRay(10, 8, 90))};
  std::vector<Vex3_quarn> to = from;
  to[1] = Vex3_quarn(v.OnRay(10, 8, 60) - side * 6);
  to[2] = Vex3_quarn(v.OnRay(10, 8, 120));
  SphereStep step;
  step.from = from.data();
  step.to = to.data();
  step.count = 4;
  step.radius = 2;
  SphereDepthComparator depth(step, v.eye);
  depth.SetNear(s.nearDistance);
  SuperPixel sp(s.x, s.y, s.w);
  std::copy(s.ray, s.ray + 3, sp.ray);
  std::ostringstream err;
  CoverageInterval slots[kSphereSlots];
  for (int j : {0, 1}) {
    const int n = SphereCoverage(v.eye, d, s.nearDistance, Vex3_quarnd(from[size_t(j)]),
                                 Vex3_quarnd(to[size_t(j)]), 2, 0, uint32_t(j), slots);
    ASSERT_EQ(n, 1);
    InsertSphereInterval(sp, slots[0], depth, err);
  }
  std::vector<std::tuple<uint32_t, double, double>> got;
  sp.ForEachInterval([&](const CoverageInterval& c) { got.emplace_back(c.triangleId, c.start, c.end); });
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], std::make_tuple(0u, 0.0, 0.6));
  EXPECT_EQ(std::get<0>(got[1]), 1u);
  EXPECT_EQ(std::get<0>(got[2]), 0u);

  // Zero length is not inserted; a finalised timeline keeps its intervals.
  CoverageInterval empty;
  empty.triangleId = 2;
  empty.start = empty.end = 0.3;
  InsertSphereInterval(sp, empty, depth, err);
  EXPECT_EQ(sp.CountIntervals(), 3);
  sp.Finalise();
  InsertSphereInterval(sp, slots[0], depth, err);
  EXPECT_NE(err.str().find("This super pixel has been finalized already"), std::string::npos);

  SuperPixel swap(s.x, s.y, s.w);
  std::copy(s.ray, s.ray + 3, swap.ray);
  for (int j : {3, 2}) {
    ASSERT_EQ(SphereCoverage(v.eye, d, s.nearDistance, Vex3_quarnd(from[size_t(j)]),
                             Vex3_quarnd(to[size_t(j)]), 2, 0, uint32_t(j), slots),
              1);
    InsertSphereInterval(swap, slots[0], depth, err);
  }
  got.clear();
  swap.ForEachInterval([&](const CoverageInterval& c) { got.emplace_back(c.triangleId, c.start, c.end); });
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(std::get<0>(got[0]), 2u);
  EXPECT_NEAR(std::get<2>(got[0]), 0.5, 1e-6);
  EXPECT_EQ(std::get<0>(got[1]), 3u);
}

TEST(SphereTimeline, PolynomialRoots) {
  // (t - 0.1)(t - 0.35)(t - 0.6)(t - 0.9).
  const double c[5] = {0.0189, -0.2955, 1.25, -1.95, 1};
  double roots[4];
  ASSERT_EQ(PolynomialRootsIn(c, 4, 0, 1, roots), 4);
  const double want[4] = {0.1, 0.35, 0.6, 0.9};
  for (int i = 0; i < 4; i++) EXPECT_NEAR(roots[i], want[i], 1e-7);
  EXPECT_EQ(PolynomialRootsIn(c, 4, 0.4, 0.55, roots), 0);
  // (t - 0.3)^2 touches zero without crossing: at most that one moment.
  const double touch[3] = {0.09, -0.6, 1};
  const int n = PolynomialRootsIn(touch, 2, 0, 1, roots);
  EXPECT_LE(n, 1);
  if (n == 1) {
    EXPECT_NEAR(roots[0], 0.3, 1e-7);
  }
}

// Every pixel whose centre ray hits the sphere lies in its box, for
// spheres all over the view, near its edges and close to the eye.
TEST(SphereWindowBox, HoldsEveryPixelTheSphereCovers) {
  View v;
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> U(-1, 1);
  int checked = 0;
  for (int k = 0; k < 400; k++) {
    const double z = -35 - 100 * (U(rng) + 1);
    const Vex3_quarnd c(U(rng) * -z * 0.7, U(rng) * -z * 0.55, z);
    const double r = 1 + 12 * (U(rng) + 1);
    PixelBox box;
    const bool any = SphereWindowBox(v.proj, v.eye, c, r, kW, kH, &box);
    for (int row = 0; row < kH; row++)
      for (int col = 0; col < kW; col++) {
        const SampleLocation& s = v.Centre(col, row);
        if (!v.Meets(s, c, r)) continue;
        checked++;
        ASSERT_TRUE(any) << k;
        EXPECT_TRUE(col >= box.col0 && col <= box.col1 && row >= box.row0 && row <= box.row1)
            << "sphere " << k << " pixel " << col << "," << row;
      }
  }
  EXPECT_GT(checked, 1000);
  PixelBox box;
  EXPECT_FALSE(SphereWindowBox(v.proj, v.eye, Vex3_quarnd(0, 0, 50), 5, kW, kH, &box));
  ASSERT_TRUE(SphereWindowBox(v.proj, v.eye, Vex3_quarnd(0, 3, -1), 5, kW, kH, &box));
  EXPECT_EQ(box.col1 - box.col0 + 1, kW);  // reaching the eye's plane: everything
  ASSERT_TRUE(MovingSphereWindowBox(v.proj, v.eye, Vex3_quarnd(-30, 0, -60),
                                    Vex3_quarnd(30, 0, -60), 2, kW, kH, &box));
  EXPECT_EQ(box.col0, 0);
  EXPECT_EQ(box.col1, kW - 1);
}

TEST(SpherePlacement, OneSampleInsideTheSilhouettePerUncoveredPixel) {
  View v;
  const std::vector<Vex3_quarnd> corners = CornerRayGrid(v.proj, v.eye, kW, kH);
  // A sphere between pixel centres, smaller than a pixel: it lies inside
  // pixel (20, 5) and touches none of its corners or sides.
  SampleLocation probe;
  probe.x = 20.3;
  probe.y = 5.7;
  ComputeSampleRay(v.proj, v.buffer.camera->eye, &probe);
  const Vex3_quarnd small = v.eye + View::Ray(probe) * 100;
  EXPECT_EQ(PlaceSamplesForSphere(v.buffer, v.proj, v.eye, corners, small, 0.3), 1);
  const PixelSamples& px = v.buffer.Pixel(20, 5);
  ASSERT_EQ(px.count, 2);
  EXPECT_TRUE(v.Meets(px.samples[1], small, 0.3));
  EXPECT_EQ(PlaceSamplesForSphere(v.buffer, v.proj, v.eye, corners, small, 0.3), 0);

  // A large sphere: pixels whose centre it covers get nothing; every
  // pixel its outline only grazes gets one sample inside the outline.
  const Vex3_quarnd big = v.OnRay(8, 12, 80) + Vex3_quarnd(0.3, 0.2, 0);
  const double r = 9;
  const int added = PlaceSamplesForSphere(v.buffer, v.proj, v.eye, corners, big, r);
  EXPECT_GT(added, 4);
  int grazed = 0;
  for (int row = 0; row < kH; row++)
    for (int col = 0; col < kW; col++) {
      const PixelSamples& p = v.buffer.Pixel(col, row);
      const bool centreHit = v.Meets(p.samples[0], big, r);
      if (centreHit) {
        EXPECT_EQ(p.count, 1) << col << "," << row;
        continue;
      }
      if (p.count < 2 || (col == 20 && row == 5)) continue;  // (20, 5): the small sphere's
      grazed++;
      const SampleLocation& s = p.samples[1];
      EXPECT_TRUE(s.x >= col && s.x < col + 1 && s.y >= row && s.y < row + 1);
      EXPECT_TRUE(v.Meets(s, big, r));
      EXPECT_GT(s.nearDistance, 0);
    }
  EXPECT_EQ(grazed, added);
  EXPECT_EQ(PlaceSamplesForSphere(v.buffer, v.proj, v.eye, corners, big, r), 0);
}

}  // namespace
