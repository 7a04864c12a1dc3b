// ASL sample placement and depth resolution on a buffer whose window
// coordinates equal world x and y (orthographic arrays), so pixels and
// triangles can be placed exactly.
#include <gtest/gtest.h>

#include <algorithm>

#include "Asl.h"
#include "AslTriangle.h"
#include "OrthoView.h"

namespace {

// An 8 x 8 buffer whose camera arrays are the orthographic ones.
struct OrthoBuffer : SampleLocationBuffer {
  OrthoBuffer() : SampleLocationBuffer(8, 8) {
    SetCamera(PPC(55, width, height));
    const GLMatrices m = OrthoMatrices(width, height);
    std::copy(m.modelView, m.modelView + 16, camera->modelView);
    std::copy(m.projection, m.projection + 16, camera->projection);
    std::copy(m.viewport, m.viewport + 4, camera->viewport);
  }
};

int TotalSamples(const SampleLocationBuffer& b) {
  int n = 0;
  for (const PixelSamples& p : b.pixels) n += p.count;
  return n;
}

}  // namespace

TEST(AslPlacement, TriangleCoveringWholePixelAddsNothing) {
  OrthoBuffer b;
  EXPECT_EQ(PlaceSamplesForTriangle(b, At(-4, -4, 0.5f), At(20, -4, 0.5f), At(-4, 20, 0.5f)), 0);
  EXPECT_EQ(TotalSamples(b), 64);
}

TEST(AslPlacement, SliverBetweenCentreAndCornerAddsOneSampleOnce) {
  OrthoBuffer b;
  // A thin sliver across pixel (2, 3) between its centre (2.5, 3.5) and its
  // corner (3, 4), entering and leaving through the pixel's top and right
  // sides.
  const Vex3_quarn v0 = At(2.7f, 4.0625f, 0.5f), v1 = At(3.0625f, 3.7f, 0.5f),
                   v2 = At(3.0625f, 3.75f, 0.5f);
  const int added = PlaceSamplesForTriangle(b, v0, v1, v2);
  EXPECT_GE(added, 1);
  const PixelSamples& p = b.Pixel(2, 3);
  ASSERT_EQ(p.count, 2);
  const SampleLocation& s = p.samples[1];
  EXPECT_GT(s.x, 2.5);
  EXPECT_LT(s.x, 3.0);
  EXPECT_GT(s.y, 3.5);
  EXPECT_LT(s.y, 4.0);
  // The new sample lies inside the sliver.
  AslTriangle t;
  const Vex3_quarn v[3] = {v0, v1, v2};
  ASSERT_TRUE(ProjectAslTriangle(BufferProjector(b), v, &t));
  BuildEdgeLines(&t);
  EXPECT_TRUE(t.Inside(s.x, s.y, s.w));
  // Every pixel it touched now has a covered sample: nothing more.
  const int before = TotalSamples(b);
  EXPECT_EQ(PlaceSamplesForTriangle(b, v0, v1, v2), 0);
  EXPECT_EQ(TotalSamples(b), before);
}

TEST(AslPlacement, VertexBehindNearPlaneGetsNoSamplesButIsResolved) {
  OrthoBuffer b;
  // Window depth of the first vertex below 0.
  const Vex3_quarn v0 = At(2.2f, 2.2f, -0.1f), v1 = At(2.4f, 2.2f, 0.5f), v2 = At(2.2f, 2.45f, 0.5f);
  EXPECT_EQ(PlaceSamplesForTriangle(b, v0, v1, v2), 0);
  EXPECT_EQ(TotalSamples(b), 64);
  // A large one with the same property still takes the centres where its
  // depth is in range.
  b.Clear();
  ResolveTriangleAtSamples(b, At(0, 0, -0.5f), At(16, 0, 0.5f), At(0, 16, 0.5f), 9, 99u);
  EXPECT_EQ(b.Pixel(0, 0).samples[0].triangleId, -1);  // depth < 0 there
  EXPECT_EQ(b.Pixel(7, 2).samples[0].triangleId, 9);
  EXPECT_EQ(b.Pixel(7, 2).samples[0].color, 99u);
}

TEST(AslResolve, NearerWinsAndEqualDepthKeepsFirst) {
  OrthoBuffer b;
  b.Clear();
  const Vex3_quarn a = At(-1, -1, 0.5f), c = At(14, -1, 0.5f), d = At(-1, 14, 0.5f);
  ResolveTriangleAtSamples(b, a, c, d, 1, 1u);
  ResolveTriangleAtSamples(b, a, c, d, 2, 2u);
  EXPECT_EQ(b.Pixel(3, 3).samples[0].triangleId, 1);
  const Vex3_quarn a2 = At(-1, -1, 0.25f), c2 = At(9, -1, 0.25f), d2 = At(-1, 9, 0.25f);
  ResolveTriangleAtSamples(b, a2, c2, d2, 3, 3u);
  EXPECT_EQ(b.Pixel(3, 3).samples[0].triangleId, 3);
  EXPECT_DOUBLE_EQ(b.Pixel(3, 3).samples[0].depth, 0.25);
  EXPECT_EQ(b.Pixel(5, 5).samples[0].triangleId, 1);
  // Outside the triangle's edge lines nothing changes.
  EXPECT_EQ(b.Pixel(7, 7).samples[0].triangleId, -1);
  VisibleSet set(4, 0);
  CollectSampleTriangles(b, set);
  EXPECT_EQ(set, (VisibleSet{0, 1, 0, 1}));
}

TEST(AslBothPasses, TriangleLeftOfWindowIsIgnored) {
  OrthoBuffer b;
  b.Clear();
  const Vex3_quarn v0 = At(-5, 0, 0.5f), v1 = At(-0.5f, 4, 0.5f), v2 = At(-3, 8, 0.5f);
  EXPECT_EQ(PlaceSamplesForTriangle(b, v0, v1, v2), 0);
  ResolveTriangleAtSamples(b, v0, v1, v2, 4, 4u);
  for (const PixelSamples& p : b.pixels) EXPECT_EQ(p.samples[0].triangleId, -1);
  EXPECT_EQ(TotalSamples(b), 64);
}

TEST(AslTriangle, DegenerateAndRectangle) {
  AslTriangle t;
  t.x[0] = 1; t.y[0] = 1;
  t.x[1] = 2; t.y[1] = 2;
  t.x[2] = 3; t.y[2] = 3;
  EXPECT_TRUE(IsDegenerate(t));
  t.y[2] = 2.5;
  EXPECT_FALSE(IsDegenerate(t));
  t.x[0] = -3.5; t.y[0] = 7.9;
  ASSERT_TRUE(ScreenRectangle(&t, 8, 8));
  EXPECT_EQ(t.col0, 0);
  EXPECT_EQ(t.col1, 3);
  EXPECT_EQ(t.row0, 2);
  EXPECT_EQ(t.row1, 7);
  t.x[0] = t.x[1] = t.x[2] = 8.5;
  EXPECT_FALSE(ScreenRectangle(&t, 8, 8));
}

TEST(SegmentIntersect2D, CrossingParallelAndEnds) {
  double x = 0, y = 0;
  ASSERT_TRUE(SegmentIntersect2D(0, 0, 2, 2, 0, 2, 2, 0, &x, &y));
  EXPECT_DOUBLE_EQ(x, 1);
  EXPECT_DOUBLE_EQ(y, 1);
  // Parallel, even collinear and overlapping: no crossing.
  EXPECT_FALSE(SegmentIntersect2D(0, 0, 2, 0, 0, 1, 2, 1, &x, &y));
  EXPECT_FALSE(SegmentIntersect2D(0, 0, 2, 0, 1, 0, 3, 0, &x, &y));
  // Touching at an end counts, and gives the end point.
  ASSERT_TRUE(SegmentIntersect2D(0, 0, 2, 0, 2, 0, 2, 5, &x, &y));
  EXPECT_DOUBLE_EQ(x, 2);
  EXPECT_DOUBLE_EQ(y, 0);
  ASSERT_TRUE(SegmentIntersect2D(0, 0, 4, 0, 1, -1, 1, 0, &x, &y));
  EXPECT_DOUBLE_EQ(x, 1);
  // Just short of each other.
  EXPECT_FALSE(SegmentIntersect2D(0, 0, 2, 0, 1, 0.001, 1, 5, &x, &y));
  // Zero-length segments never cross.
  EXPECT_FALSE(SegmentIntersect2D(1, 1, 1, 1, 0, 0, 2, 2, &x, &y));
  EXPECT_FALSE(SegmentIntersect2D(0, 0, 2, 2, 1, 1, 1, 1, &x, &y));
}

namespace {
uint32_t Red(uint32_t c) { return c & 0xFF; }
uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }
uint32_t Blue(uint32_t c) { return (c >> 16) & 0xFF; }
// A flat triangle at height h whose normal is (0, 0, 1): light factor
// 0.577 * 0.6 + 0.4.
uint32_t FlatAt(float h) {
  return ShadedColour({0, 0, h}, {1, 0, h}, {0, 1, h});
}
}  // namespace

TEST(ShadedColour, RampSegments) {
  const float light = 0.577f * 0.6f + 0.4f;
  // s = 1.4 - h / 1039: h = 1039 * (1.4 - s).
  auto h = [](float s) { return 1039.0f * (1.4f - s); };
  // Below 0.2: the blue end, scaled by max(s, 0.4) = 0.4.
  uint32_t c = FlatAt(h(0.1f));
  EXPECT_EQ(c >> 24, 0xFFu);
  EXPECT_NEAR(Red(c), 8 * 0.4 * light, 1.0);
  EXPECT_NEAR(Blue(c), 233 * 0.4 * light, 1.0);
  // Just past 0.2 the blend starts at blue.
  c = FlatAt(h(0.2001f));
  EXPECT_NEAR(Green(c), 165 * 0.4 * light, 1.5);
  // At 0.5 the second blend starts at green (weight 0), scaled by 0.5.
  c = FlatAt(h(0.5f));
  EXPECT_NEAR(Red(c), 167 * 0.5 * light, 1.5);
  EXPECT_NEAR(Green(c), 243 * 0.5 * light, 1.5);
  // From 0.8 on: red, scaled by s.
  c = FlatAt(h(1.0f));
  EXPECT_NEAR(Red(c), 237 * 1.0 * light, 1.5);
  EXPECT_NEAR(Green(c), 28 * 1.0 * light, 1.5);
  // Very low ground (s > 1): channels clamp at 255 instead of spilling.
  c = FlatAt(h(1.4f) - 5000);
  EXPECT_EQ(Red(c), 255u);
  EXPECT_LE(Blue(c), 255u);
  // A degenerate triangle has the zero normal: light factor 0.4.
  const uint32_t d = ShadedColour({0, 0, h(1.0f)}, {1, 0, h(1.0f)}, {2, 0, h(1.0f)});
  EXPECT_NEAR(Red(d), 237 * 0.4, 1.5);
}

TEST(AslResolve, ShadedAndKeyframedVariants) {
  OrthoBuffer b;
  b.Clear();
  const Projector proj = BufferProjector(b);
  // Depth above 1 is accepted by these variants (only z > 0 counts)...
  ResolveTriangleKeyframed(b, proj, At(-1, -1, 0.9f), At(20, -1, 1.2f), At(-1, 20, 1.2f), 5);
  EXPECT_EQ(b.Pixel(0, 0).samples[0].triangleId, 5);
  EXPECT_EQ(b.Pixel(0, 0).samples[0].color, 0xff000000u);  // keyframed: id and depth only
  // ...but a triangle with no vertex right of x = 0 is skipped.
  ResolveTriangleShaded(b, proj, At(-2, -1, 0.1f), At(0, -1, 0.1f), At(0, 20, 0.1f), 6);
  EXPECT_EQ(b.Pixel(0, 0).samples[0].triangleId, 5);
  ResolveTriangleShaded(b, proj, At(-1, -1, 0.1f), At(20, -1, 0.1f), At(-1, 20, 0.1f), 7);
  EXPECT_EQ(b.Pixel(0, 0).samples[0].triangleId, 7);
  EXPECT_EQ(b.Pixel(0, 0).samples[0].color,
            ShadedColour(At(-1, -1, 0.1f), At(20, -1, 0.1f), At(-1, 20, 0.1f)));
}
