// Point states: text and cache, the scale after either, interpolation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>

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
  // The cache is read while the text is as it was.
  float moved = 5.0f;
  std::memcpy(cache.data() + 4, &moved, 4);
  WriteBytes("p000.obj.rdd", cache);
  ParticleSet fromCache;
  EXPECT_EQ(StderrOf([&] { ASSERT_TRUE(fromCache.Load("p000.obj")); }), "");
  EXPECT_EQ(fromCache.positions[0], Vex3_quarn(500, 200, 300));
}

TEST(ParticleSet, StaleOrEmptyCachesAreRebuiltAndEmptyStatesRefused) {
  ScratchDir dir;
  namespace fs = std::filesystem;
  WriteText("p.obj", "v 1 2 3\nv 4 5 6\n");
  ParticleSet p;
  ASSERT_TRUE(Quiet([&] { return p.Load("p.obj"); }));
  // An edit of the text after the cache was written.
  WriteText("p.obj", "v 7 7 7\nv 4 5 6\n");
  fs::last_write_time("p.obj.rdd", fs::last_write_time("p.obj") - std::chrono::seconds(1));
  EXPECT_EQ(StderrOf([&] { ASSERT_TRUE(p.Load("p.obj")); }),
            "INFO: p.obj.rdd is older than p.obj; rebuilding it\n");
  EXPECT_EQ(p.positions[0], Vex3_quarn(700, 700, 700));
  // A cache newer than the text whose count disagrees with it, and an
  // empty one, as an earlier failed load left them.
  for (int32_t n : {1, 0}) {
    std::vector<char> stale(4 + 12 * size_t(n), 0);
    std::memcpy(stale.data(), &n, 4);
    WriteBytes("p.obj.rdd", stale);
    fs::last_write_time("p.obj", fs::last_write_time("p.obj.rdd") - std::chrono::seconds(1));
    const std::string err = StderrOf([&] { ASSERT_TRUE(p.Load("p.obj")); });
    EXPECT_EQ(err, "INFO: p.obj.rdd: " + std::to_string(n) + " points, p.obj has 2; rebuilding it\n");
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(ReadBytes("p.obj.rdd").size(), 28u);
  }
  // A state without points is refused and leaves no cache.
  WriteText("e.obj", "# nothing\n");
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(p.Load("e.obj")); }),
            "ERROR: e.obj: no point to load: it has no \"v\" line (an empty state)\n");
  EXPECT_EQ(p.count, 0);
  EXPECT_FALSE(FileExists("e.obj.rdd"));
  // Messages go to the stream given.
  std::ostringstream err;
  EXPECT_FALSE(p.Load("e.obj", err));
  EXPECT_NE(err.str().find("ERROR: e.obj: no point"), std::string::npos);
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
