#include <gtest/gtest.h>

#include "AABB.h"
#include "M33.h"
#include "TestSupport.h"
#include "Vex3.h"

TEST(Vex3, NormaliseThresholdAndUnitCase) {
  EXPECT_EQ(Vex3_quarn(1e-11f, 0, 0).Normalized(), Vex3_quarn(0, 0, 0));
  Vex3_quarn n = Vex3_quarn(0, 3, 4).Normalized();
  EXPECT_FLOAT_EQ(n.y, 0.6f);
  EXPECT_FLOAT_EQ(n.z, 0.8f);
  EXPECT_EQ(Vex3_quarn(1, 0, 0).Cross(Vex3_quarn(0, 1, 0)), Vex3_quarn(0, 0, 1));
}

TEST(Vex3, DoubleIndexOutOfRangeReportsAndGivesComponentZero) {
  Vex3_quarnd v(7, 8, 9);
  double got = 0;
  EXPECT_EQ(StderrOf([&] { got = v[3]; }), "ERROR: index out of bounds in Vex3_quarn::operator[]");
  EXPECT_EQ(got, 7);
  EXPECT_EQ(v[2], 9);
}

TEST(M33, InverseAndProduct) {
  M33 m = M33::FromRows({2, 1, 0}, {0, 3, 1}, {1, 0, 4});
  M33 p = m * m.Inverse();
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) EXPECT_NEAR(p(r, c), r == c ? 1 : 0, 1e-6);
  M33d md = M33d::FromColumns({1, 2, 3}, {0, 1, 4}, {5, 6, 0});
  M33d pd = md.Inverse() * md;
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) EXPECT_NEAR(pd(r, c), r == c ? 1 : 0, 1e-12);
}

TEST(M33, RotationDirectionsAndPiConstant) {
  EXPECT_EQ(kRotationPi, 3.1415925f);
  uint32_t bits;
  std::memcpy(&bits, &kRotationPi, 4);
  EXPECT_EQ(bits, 0x40490FDAu);
  Vex3_quarn y = RotationMatrix("roty", 90) * Vex3_quarn(1, 0, 0);
  EXPECT_NEAR(y.x, 0, 1e-6);
  EXPECT_NEAR(y.z, -1, 1e-6);
  Vex3_quarn x = RotationMatrix("rotx", 90) * Vex3_quarn(0, 1, 0);
  EXPECT_NEAR(x.y, 0, 1e-6);
  EXPECT_NEAR(x.z, 1, 1e-6);
  EXPECT_EQ(StderrOf([] { RotationMatrix("rotz", 10); }), "ERROR: unsupported matrix type\n");
}

TEST(AABB, EmptyExtendAndCornerSelectors) {
  AABB box;
  EXPECT_EQ(box.min.x, 3.4028235e38f);
  EXPECT_EQ(box.max.z, -3.4028235e38f);
  box.Extend({1, 2, 3});
  EXPECT_EQ(box.min, Vex3_quarn(1, 2, 3));
  EXPECT_EQ(box.max, Vex3_quarn(1, 2, 3));
  box.Extend({4, 5, 6});
  EXPECT_EQ(box.Corner(1), Vex3_quarn(4, 2, 3));
  EXPECT_EQ(box.Corner(3), Vex3_quarn(1, 5, 3));
  EXPECT_EQ(box.Corner(4), Vex3_quarn(1, 2, 6));
  EXPECT_EQ(box.Corner(6), Vex3_quarn(4, 5, 6));
  Vex3_quarn big(kFloatMax, kFloatMax, kFloatMax);
  EXPECT_EQ(box.Corner(8), big);
  EXPECT_EQ(box.Corner(-1), big);
}

TEST(AABB, FrustumTestIsStrictAndRegionTouchingOverlaps) {
  AABB box;
  box.Extend({0, 0, 0});
  box.Extend({1, 1, 1});
  double planes[6][4] = {{1, 0, 0, 10}, {1, 0, 0, 10}, {1, 0, 0, 10},
                         {1, 0, 0, 10}, {1, 0, 0, 10}, {1, 0, 0, 10}};
  AABB region;
  region.Extend({1, 1, 1});
  region.Extend({2, 2, 2});
  EXPECT_TRUE(box.InFrustumAndRegion(planes, region));
  // Every corner of a flat box lying in the plane x = 0 gives exactly 0.
  AABB flat;
  flat.Extend({0, 0, 0});
  flat.Extend({0, 1, 1});
  planes[3][0] = 1;
  planes[3][3] = 0;
  EXPECT_FALSE(flat.InFrustumAndRegion(planes, region));
  AABB far;
  far.Extend({5, 5, 5});
  far.Extend({6, 6, 6});
  planes[3][3] = 10;
  EXPECT_FALSE(far.InFrustumAndRegion(planes, region));
}

TEST(AABB, ScreenBoxHasZeroDepthRange) {
  AABB box;
  box.Extend({-1, -1, -5});
  box.Extend({1, 1, -3});
  GLMatrices m;
  m.projection[11] = -1;  // a projective matrix: w = -z
  m.projection[15] = 0;
  m.viewport[2] = 100;
  m.viewport[3] = 100;
  AABB s = box.ScreenBox(m.modelView, m.projection, m.viewport);
  EXPECT_EQ(s.min.z, 0);
  EXPECT_EQ(s.max.z, 0);
  EXPECT_LT(s.min.x, s.max.x);
}
