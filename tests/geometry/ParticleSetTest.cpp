// Point states: text and cache, the scale after either, interpolation.
#include <gtest/gtest.h>

#include <cstring>

#include "ParticleSet.h"
#include "TestSupport.h"

TEST(ParticleSet, TextThenCacheBothScaledBy100) {
  ScratchDir dir;
  WriteText("p000.obj", "# points\nv 1 2 3\nvn 9 9 9\n");
  ParticleSet fromText;
  EXPECT_FALSE(Quiet([&] { return fromText.Load("p000.obj"); }));  // "vn" is no point line
  EXPECT_EQ(fromText.count, 0);

  WriteText("p000.obj", "# points\nv 1 2 3\n\nv -0.5 0 0.25\n");
  ASSERT_TRUE(fromText.Load("p000.obj"));
  ASSERT_EQ(fromText.count, 2);
  EXPECT_EQ(fromText.positions[0], Vex3_quarn(100, 200, 300));
  EXPECT_EQ(fromText.positions[1], Vex3_quarn(-50, 0, 25));
  // The cache holds the values as read.
  std::vector<char> cache = ReadBytes("p000.obj.rdd");
  ASSERT_EQ(cache.size(), 4 + 24u);
  float first;
  std::memcpy(&first, cache.data() + 4, 4);
  EXPECT_EQ(first, 1.0f);
  // The cache wins over the text from now on.
  WriteText("p000.obj", "v 7 7 7\n");
  ParticleSet fromCache;
  ASSERT_TRUE(fromCache.Load("p000.obj"));
  EXPECT_EQ(fromCache.positions, fromText.positions);
}

TEST(ParticleSet, InterpolateAndGlyph) {
  ParticleSet a, b, mid;
  a.positions = {{0, 0, 0}, {2, 2, 2}};
  b.positions = {{4, 0, 0}, {2, 2, 6}};
  a.colors = {{1, 0, 0}, {1, 0, 0}};
  b.colors = {{0, 0, 1}, {0, 0, 1}};
  mid.Interpolate(a, b, 0.25);
  EXPECT_EQ(mid.count, 2);
  EXPECT_EQ(mid.positions[0], Vex3_quarn(1, 0, 0));
  EXPECT_EQ(mid.positions[1], Vex3_quarn(2, 2, 3));
  EXPECT_EQ(mid.colors[0], Vex3_quarn(0.75f, 0, 0.25f));
  b.colors.clear();
  ParticleSet plain;
  plain.Interpolate(a, b, 0.0);
  EXPECT_EQ(plain.positions, a.positions);
  EXPECT_TRUE(plain.colors.empty());

  EXPECT_EQ(a.glyphVertices.size(), 42u);
  EXPECT_EQ(a.glyphTriangles.size(), 240u);
  for (const Vex3_quarn& v : a.glyphVertices) EXPECT_NEAR(v.Length(), 0.1f, 1e-6);
}
