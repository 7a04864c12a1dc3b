// The ray-casting reference itself: which window positions a view's
// samples take, that every band of rows is cast, and what its progress
// reports.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "PPC.h"
#include "RayCaster.h"
#include "TriangleSoup.h"

namespace {

// A view whose height is no multiple of the bands, so the last band is
// short.
PPC SmallView() {
  PPC cam(50, 41, 37);
  cam.zNear = 1;
  cam.zFar = 1000;
  return cam;
}

// A triangle far smaller than the sample spacing around the ray through
// window position (x, y), 50 units from the eye.
std::array<Vex3_quarn, 3> SpeckAt(const RayCaster& rc, double x, double y) {
  const Vex3_quarnd d = rc.WindowRay(x, y);
  const Vex3_quarnd side = d.Cross(Vex3_quarnd(0, 1, 0)).Normalized();
  const Vex3_quarnd up = side.Cross(d).Normalized();
  const Vex3_quarnd c = rc.eye() + d * 50.0;
  const double s = 1e-3;  // a pixel is about 1.2 units here
  return {Vex3_quarn(c - side * s - up * s), Vex3_quarn(c + side * s - up * s),
          Vex3_quarn(c + up * s)};
}

}  // namespace

TEST(PixelSamples, EveryBandAndSampleIsCastAndProgressReachesTheTotal) {
  const PPC cam = SmallView();
  const int n = 3;
  RayCaster probe(cam);
  // Specks on the first sample of the first pixel, the last sample of the
  // last pixel (in the short last band), one pixel in the middle, and one
  // between the samples, which no ray meets.
  ObjLoader mesh;
  BuildMesh(mesh, {{SpeckAt(probe, 0.5 / n, 0.5 / n),
                    SpeckAt(probe, cam.w - 0.5 / n, cam.h - 0.5 / n),
                    SpeckAt(probe, 20 + 1.5 / n, 17 + 2.5 / n),
                    SpeckAt(probe, 30 + 1.0 / n, 9 + 1.0 / n)}});
  for (int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    RayCaster rc(cam);
    rc.AddMesh(mesh, nullptr);
    std::vector<int64_t> done;
    int64_t total = 0, ties = -1;
    const std::vector<uint8_t> seen =
        VisibleAtPixelSamples(rc, n, {0, 1}, threads, &ties, [&](int64_t d, int64_t all) {
          done.push_back(d);
          total = all;
        });
    EXPECT_EQ(seen, (std::vector<uint8_t>{1, 1, 1, 0}));
    EXPECT_EQ(ties, 0);
    EXPECT_EQ(total, int64_t(cam.w) * cam.h * n * n * 2);
    // Calls may be merged while the caller's thread is busy, but each
    // moment reports at least once.
    ASSERT_GE(done.size(), 2u);
    for (size_t i = 1; i < done.size(); i++) EXPECT_LT(done[i - 1], done[i]);
    EXPECT_EQ(done.back(), total);
  }
}

// The rays come from the camera record alone: the window's top-left corner
// (0, h) looks along `corner`, its bottom-right corner (w, 0) along
// corner + w a + h b, whatever the GL arrays say.
TEST(RayCasterRays, IdealPinholeWithRowsFromTheBottom) {
  PPC cam(90, 100, 50);  // corner (-50, 25, -50) up to the camera's value of pi
  cam.eye = Vex3_quarn(3, -4, 1e4f);
  cam.zNear = 1e-4f;  // no GL array enters the rays
  const RayCaster rc(cam);
  const Vex3_quarnd corner(cam.corner);
  auto expectAlong = [](const Vex3_quarnd& got, const Vex3_quarnd& want) {
    EXPECT_LT((got - want.Normalized()).Length(), 1e-15) << got.x << " " << got.y << " " << got.z;
  };
  expectAlong(rc.WindowRay(0, 50), corner);
  expectAlong(rc.WindowRay(100, 0), corner + Vex3_quarnd(100, -50, 0));
  expectAlong(rc.WindowRay(25, 40), corner + Vex3_quarnd(25, -10, 0));
  EXPECT_EQ(rc.eye().z, 1e4);
  double x = 0, y = 0;
  ASSERT_TRUE(rc.WindowOf(rc.WindowRay(25, 40), &x, &y));
  EXPECT_NEAR(x, 25, 1e-12);
  EXPECT_NEAR(y, 40, 1e-12);
}
