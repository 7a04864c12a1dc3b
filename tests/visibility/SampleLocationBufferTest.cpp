#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "SampleLocationBuffer.h"
#include "TimelineBuild.h"

TEST(SampleLocationBuffer, NewBufferHasOneCentreSamplePerPixel) {
  SampleLocationBuffer buf(4, 3);
  ASSERT_EQ(buf.pixels.size(), 12u);
  const PixelSamples& p = buf.Pixel(2, 1);
  EXPECT_EQ((std::vector<int32_t>{p.column, p.row, p.count, p.capacity}),
            (std::vector<int32_t>{2, 1, 1, 2}));
  const SampleLocation& s = p.samples[0];
  EXPECT_EQ((std::vector<double>{s.x, s.y, s.w, s.nearDistance, s.farDistance}),
            (std::vector<double>{2.5, 1.5, 1.0, 0.0, 3.4028234663852886e38}));
  EXPECT_EQ(buf.camera, nullptr);

  std::ostringstream out;
  SampleLocationBuffer square(8, 8);
  EXPECT_EQ(square.ReportStatistics(out).maxIndex, 0);
  EXPECT_EQ(out.str(), "INFO: sls per pixel: min: 1 max: 1 avg: 1\nuvmax: 0\n");
}

TEST(SampleLocationBuffer, StatisticsFindFirstMaximumAndTileAverages) {
  SampleLocationBuffer buf(4, 8);  // tiles of 2 x 2 pixels
  buf.AddSample(3, 5, 3.2f, 5.2f);
  buf.AddSample(1, 6, 1.2f, 6.2f);
  buf.AddSample(1, 6, 1.7f, 6.7f);
  buf.AddSample(0, 7, 0.2f, 7.2f);
  buf.AddSample(0, 7, 0.7f, 7.7f);
  std::ostringstream whole;
  buf.ReportStatistics(whole);
  // Pixels (1, 6) and (0, 7) both hold 3; index 6 * 4 + 1 = 25 comes first.
  EXPECT_EQ(whole.str(), "INFO: sls per pixel: min: 1 max: 3 avg: 1.15625\nuvmax: 25\n");
  std::ostringstream tile;
  SampleStatistics st = buf.ReportTileStatistics(0, 3, tile);  // columns 0-1, rows 6-7
  EXPECT_EQ(tile.str(), "INFO: sls per pixel: min: 1 max: 3 avg: 2\nuvmax: 25\n");
  EXPECT_EQ(st.minCount, 1);
  st = buf.ReportTileStatistics(1, 2, tile);  // columns 2-3, rows 4-5
  EXPECT_EQ(st.maxCount, 2);
  EXPECT_EQ(st.maxIndex, 5 * 4 + 3);
  EXPECT_DOUBLE_EQ(st.average, 1.25);
}

TEST(SampleLocationBuffer, ThirdSampleDoublesCapacityAndKeepsRecords) {
  SampleLocationBuffer buf(2, 2);
  PixelSamples& p = buf.Pixel(1, 0);
  buf.AddSample(p, 1.25f, 0.75f);
  p.samples[1].triangleId = 7;
  p.samples[1].timeline = Flat({{3, 0.25, 0.5}});
  const TimelineSpan* spans = p.samples[1].timeline.data();
  EXPECT_EQ(p.capacity, 2);
  buf.AddSample(p, 1.5f, 0.1f);
  EXPECT_EQ(p.capacity, 4);
  EXPECT_EQ(p.count, 3);
  ASSERT_EQ(p.samples.size(), 4u);
  EXPECT_EQ((std::vector<double>{p.samples[0].x, p.samples[0].y, p.samples[1].x}),
            (std::vector<double>{1.5, 0.5, 1.25}));
  EXPECT_EQ(p.samples[1].triangleId, 7);
  EXPECT_EQ(p.samples[1].timeline.data(), spans);  // the array moved with the record
  EXPECT_EQ(p.samples[2].x, double(1.5f));
  EXPECT_EQ(p.samples[2].y, double(0.1f));  // widened from float
  EXPECT_EQ(p.samples[3].farDistance, kFarUnset);
  buf.AddSample(p, 1.0f, 0.0f);
  buf.AddSample(p, 1.0f, 0.0f);
  EXPECT_EQ(p.capacity, 8);
}

TEST(SampleLocationBuffer, ClearResetsDepthStateAndEmptiesListTimelines) {
  SampleLocationBuffer buf(2, 1);
  PixelSamples& p = buf.Pixel(0, 0);
  buf.AddSample(p, 0.3f, 0.3f);
  p.marked = 1;
  for (SampleLocation& s : p.samples) {
    s.depth = 0.25;
    s.triangleId = 3;
    s.color = 0x00ff00ffu;
    s.marked = 1;
  }
  p.samples[1].listTimeline = MakeTimeline<SuperPixel>({{4, 0.1, 0.2}});
  buf.Clear();
  EXPECT_EQ(p.count, 2);
  EXPECT_EQ(p.marked, 0);
  for (int i = 0; i < 2; i++) {
    const SampleLocation& s = p.samples[i];
    EXPECT_EQ(s.depth, 1.0);
    EXPECT_EQ(s.triangleId, -1);
    EXPECT_EQ(s.color, 0xff000000u);
    EXPECT_EQ(s.marked, 0);
  }
  ASSERT_NE(p.samples[1].listTimeline, nullptr);
  EXPECT_EQ(p.samples[1].listTimeline->head, nullptr);
  EXPECT_EQ(p.samples[1].listTimeline->count, 0);
}

TEST(SampleLocationBuffer, ResetKeepsCentreSamplesAndDropsTimelines) {
  SampleLocationBuffer buf(3, 2);
  for (PixelSamples& p : buf.pixels) {
    buf.AddSample(p, float(p.column) + 0.1f, float(p.row) + 0.1f);
    buf.AddSample(p, float(p.column) + 0.9f, float(p.row) + 0.9f);
    p.samples[0].depth = 0.5;
    p.samples[0].triangleId = p.column;
    p.samples[0].timeline = Flat({{1, 0, 1}});
    p.samples[2].listTimeline = std::make_unique<SuperPixel>();
    p.marked = 1;
  }
  buf.Reset();
  for (const PixelSamples& p : buf.pixels) {
    EXPECT_EQ(p.count, 1);
    EXPECT_EQ(p.marked, 0);
    EXPECT_EQ(p.capacity, 4);  // records stay allocated
    EXPECT_EQ(p.samples[0].x, p.column + 0.5);
    EXPECT_EQ(p.samples[0].depth, 0.5);
    EXPECT_EQ(p.samples[0].triangleId, p.column);
    for (const SampleLocation& s : p.samples) EXPECT_TRUE(s.timeline.empty() && !s.listTimeline);
  }
}

TEST(SampleLocationBuffer, SetCameraResizesItsCopyAndCapturesArrays) {
  PPC cam(55, 1280, 720);
  cam.eye = {1, 2, 3};
  SampleLocationBuffer buf(64, 36);
  buf.SetCamera(cam);
  ASSERT_NE(buf.camera, nullptr);
  EXPECT_EQ(buf.camera->w, 64);
  EXPECT_EQ(buf.camera->h, 36);
  EXPECT_EQ(cam.w, 1280);  // the given camera is untouched
  EXPECT_EQ(buf.camera->viewport[2], 64);
  EXPECT_EQ(buf.camera->viewport[3], 36);
  EXPECT_NE(buf.camera->projection[0], 0.0);
}

TEST(SampleLocationBuffer, SampleRaysPointThroughTheSamples) {
  PPC cam(55, 64, 36);
  cam.PositionAndOrient({0, 0, 10}, {0, 0, -1}, {0, 1, 0});
  SampleLocationBuffer buf(64, 36);
  buf.SetCamera(cam);
  buf.AddSample(10, 20, 10.25f, 20.75f);
  buf.AddSample(32, 18, 32.0f, 18.0f);
  buf.ComputeSampleRays();
  // The centre of the image looks along the view direction.
  const SampleLocation& c = buf.Pixel(32, 18).samples[1];
  EXPECT_NEAR(c.ray[0], 0, 1e-6);
  EXPECT_NEAR(c.ray[1], 0, 1e-6);
  EXPECT_NEAR(c.ray[2], -1, 1e-6);
  EXPECT_NEAR(c.nearDistance, cam.zNear, 1e-4);
  EXPECT_NEAR(c.farDistance, cam.zFar, 1e-1);
  // Every ray is a unit vector, in both precisions, and reprojects onto
  // its sample.
  const Projector proj = buf.camera->MakeProjector();
  const SampleLocation& s = buf.Pixel(10, 20).samples[1];
  EXPECT_NEAR(std::sqrt(s.ray[0] * s.ray[0] + s.ray[1] * s.ray[1] + s.ray[2] * s.ray[2]), 1,
              1e-12);
  EXPECT_EQ(s.rayf[1], float(s.ray[1]));
  double wx, wy, wz;
  ASSERT_TRUE(proj.Project(cam.eye.x + 50 * s.ray[0], cam.eye.y + 50 * s.ray[1],
                           cam.eye.z + 50 * s.ray[2], &wx, &wy, &wz));
  EXPECT_NEAR(wx, 10.25, 1e-3);
  EXPECT_NEAR(wy, 20.75, 1e-3);
}

TEST(SampleLocationBuffer, SampleRaysFollowTheProjectionWithATinyNearPlane) {
  // A camera far from the origin with a near plane of 0.02: the point at
  // window depth 0.5 lies 0.04 from the eye, where the float rounding of
  // eye and matrices turned rays by hundredths of a pixel. Rays run along
  // the near-to-far line of their sample, so points far along them project
  // back onto the sample.
  PPC cam(55, 1280, 720);
  cam.PositionAndOrient(Vex3_quarn(17.262081f, 15.07585f, 28.843656f),
                        Vex3_quarn(-0.4f, -0.3f, -0.9f), Vex3_quarn(0, 1, 0));
  cam.zNear = 0.020229f;
  cam.zFar = 2022.93f;
  SampleLocationBuffer buf(1280, 720);
  buf.SetCamera(cam);
  buf.ComputeSampleRays();
  const Projector proj = buf.camera->MakeProjector();
  for (int k = 0; k < 50; k++) {
    const int col = (k * 263) % 1280, row = (k * 151) % 720;
    const SampleLocation& s = buf.Pixel(col, row).samples[0];
    double wx, wy, wz;
    ASSERT_TRUE(proj.Project(cam.eye.x + 35 * s.ray[0], cam.eye.y + 35 * s.ray[1],
                             cam.eye.z + 35 * s.ray[2], &wx, &wy, &wz));
    EXPECT_NEAR(wx, col + 0.5, 1e-3);
    EXPECT_NEAR(wy, row + 0.5, 1e-3);
  }
}

TEST(SampleLocationBuffer, CollectsTrianglesFromListAndFlatTimelines) {
  SampleLocationBuffer buf(2, 1);
  PixelSamples& p0 = buf.Pixel(0, 0);
  PixelSamples& p1 = buf.Pixel(1, 0);
  buf.AddSample(p0, 0.2f, 0.2f);
  p0.samples[0].listTimeline = MakeTimeline<SuperPixel>({{1, 0.0, 0.5}, {2, 0.5, 1.0}});
  // A sample with both forms contributes its list only.
  p0.samples[0].timeline = Flat({{9, 0.0, 1.0}});
  // An unfilled slot and an id beyond the set are skipped.
  p0.samples[1].timeline = Flat({{3, 0.0, 1.0}, {kNoTriangle, 0.0, 1.0}, {100, 0.0, 1.0}});
  p1.samples[0].timeline = Flat({{5, 0.0, 0.1}, {6, 0.2, 0.3}});
  // Beyond the pixel's count: unused.
  p1.samples[1].listTimeline = MakeTimeline<SuperPixel>({{8, 0.0, 1.0}});

  VisibleSet set(10, 0);
  set[0] = 1;
  buf.CollectTimelineTriangles(set);
  EXPECT_EQ(set, (VisibleSet{1, 1, 1, 1, 0, 1, 1, 0, 0, 0}));

  VisibleSet one(10, 0);
  buf.CollectPixelTimelineTriangles(p1, one.data(), int32_t(one.size()));
  EXPECT_EQ(one, (VisibleSet{0, 0, 0, 0, 0, 1, 1, 0, 0, 0}));
}

TEST(SuperPixel, FinaliseKeepsOrderAndEmptyClearsBothForms) {
  SuperPixel sp(1.5, 2.5, 0);
  Append(&sp, 4, 0.1, 0.2);
  Append(&sp, 7, 0.3, 0.4);
  sp.count = 99;  // stale until recounted
  EXPECT_EQ(sp.CountIntervals(), 2);
  sp.Finalise();
  ASSERT_EQ(sp.finalisedIntervals.size(), 2u);
  EXPECT_EQ(sp.head, nullptr);
  EXPECT_EQ(sp.finalisedIntervals[1].triangleId, 7u);
  EXPECT_EQ(sp.finalised, 1);
  sp.Empty();
  EXPECT_EQ(sp.finalised, 0);
  EXPECT_EQ(sp.count, 0);
  EXPECT_TRUE(sp.finalisedIntervals.empty());
  EXPECT_EQ(sp.x, 1.5);  // the position stays
}
