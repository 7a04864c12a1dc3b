// The mesh: loading text and cache, identifiers across states, dying
// triangles, interpolation and sharing, access by id and colours.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "ObjLoader.h"
#include "StateCache.h"
#include "TestSupport.h"

namespace {
// Two states of one scene: group 0 (material 1) has a quad and a triangle,
// group 1 (material 2) two triangles. In state 1 the last triangle of each
// group has died and every vertex has moved.
const char* kState0 =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 1 1\n"
    "g solid\nusemtl solid1_mat\nf 1 2 3 4\nt 1 3 5\n"
    "g shell\nusemtl shell2_mat\nt 2 3 6\nt 4 5 6\n";
const char* kState1 =
    "v 2 0 0\nv 3 0 0\nv 3 1 0\nv 2 1 0\nv 2 0 1\nv 3 1 1\n"
    "g solid\nusemtl solid1_mat\nf 1 2 3 4\n"
    "g shell\nusemtl shell2_mat\nt 2 3 6\n";

class Scene : public testing::Test {
 protected:
  void SetUp() override {
    WriteText("state000.obj", kState0);
    WriteText("state001.obj", kState1);
  }
  // Loads quietly; the messages are returned in *err when asked for.
  static bool Load(ObjLoader& mesh, const std::string& path, ObjLoader* source, std::string* err = nullptr) {
    bool ok = false;
    const std::string e = ConsoleOf([&] { ok = mesh.Load(path, source); }).err;
    if (err) *err = e;
    return ok;
  }
  ScratchDir dir;
};

void ExpectIdInvariant(const ObjLoader& m) {
  for (int32_t t = 0; t < m.IdCount(); t++) {
    int32_t g = m.groupOfTriangle[t], k = m.indexInGroup[t];
    ASSERT_GE(g, 0);
    EXPECT_EQ(m.triangleId[g][k], t);
  }
}

void ExpectSameState(const ObjLoader& a, const ObjLoader& b) {
  EXPECT_EQ(a.positions, b.positions);
  EXPECT_EQ(a.groupCount, b.groupCount);
  EXPECT_EQ(a.triangleCount, b.triangleCount);
  EXPECT_EQ(a.groupTriCount.vec(), b.groupTriCount.vec());
  EXPECT_EQ(a.groupMaterial.vec(), b.groupMaterial.vec());
  for (int32_t g = 0; g < a.groupCount; g++)
    for (int32_t k = 0; k < a.groupTriCount[g]; k++) {
      EXPECT_EQ(a.IdOf(g, k), b.IdOf(g, k));
      EXPECT_EQ(0, std::memcmp(a.Triangle(g, k), b.Triangle(g, k), 12));
    }
  EXPECT_EQ(a.IdCount(), b.IdCount());
  EXPECT_EQ(a.normals.size(), b.normals.size());
  for (size_t i = 0; i < a.normals.size(); i++) EXPECT_EQ(a.normals[i], b.normals[i]);
  EXPECT_EQ(a.vertexColors.size(), b.vertexColors.size());
  for (size_t i = 0; i < a.vertexColors.size(); i++) EXPECT_EQ(a.vertexColors[i], b.vertexColors[i]);
}
}  // namespace

TEST_F(Scene, FirstStateFromTextAssignsIdsAndWritesCache) {
  ObjLoader s0;
  std::string err;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr, &err));
  EXPECT_EQ(err, "Total Num of Triangles5\nTID added.\n");
  EXPECT_EQ(s0.cacheName, "state000.obj.rdd");
  EXPECT_TRUE(FileExists("state000.obj.rdd"));
  EXPECT_EQ(s0.IdCount(), 5);
  EXPECT_EQ(s0.triangleId[0], (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(s0.triangleId[1], (std::vector<int32_t>{3, 4}));
  ExpectIdInvariant(s0);
  // Normals are per id: triangle 0 is (0,1,2), lying in z = 0.
  EXPECT_EQ(s0.normals[0], Vex3_quarn(0, 0, 1));
  EXPECT_EQ(s0.vertexColors.size(), 6u);
}

TEST_F(Scene, LaterStateSharesTopologyAndShrinkingCountsKillTriangles) {
  ObjLoader s0, s1;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr));
  ASSERT_TRUE(Load(s1, "state001.obj", &s0));
  EXPECT_EQ(s1.topologySource, &s0);
  EXPECT_TRUE(s1.groupTriangles.SharedWith(s0.groupTriangles));
  EXPECT_TRUE(s1.triangleId.SharedWith(s0.triangleId));
  EXPECT_TRUE(s1.groupOfTriangle.SharedWith(s0.groupOfTriangle));
  EXPECT_FALSE(s1.groupTriCount.SharedWith(s0.groupTriCount));
  EXPECT_EQ(s1.groupTriCount.vec(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(s1.triangleCount, 3);
  // Same ids in both states; the last of each group is dead in state 1.
  for (int32_t t : {0, 1, 3}) EXPECT_TRUE(s1.Exists(t)) << t;
  for (int32_t t : {2, 4}) EXPECT_FALSE(s1.Exists(t)) << t;
  for (int32_t t = 0; t < 5; t++) EXPECT_TRUE(s0.Exists(t));
  EXPECT_FALSE(s0.Exists(5));
  EXPECT_FALSE(s0.Exists(-1));
  EXPECT_EQ(s1.normals.size(), 5u);
  Vex3_quarn p[3];
  ASSERT_TRUE(s1.TrianglePositions(3, p));
  EXPECT_EQ(p[0], Vex3_quarn(3, 0, 0));
  EXPECT_FALSE(s1.TrianglePositions(4, p));
  EXPECT_EQ(s1.ColorAtPoint(0.5f, 0.5f, 4).x, kFloatMax);
}

TEST_F(Scene, CachesReadBackEqualInEveryShadingMode) {
  for (uint8_t mode : {0, 1, 3}) {
    SCOPED_TRACE(int(mode));
    std::remove("state000.obj.rdd");
    std::remove("state001.obj.rdd");
    ObjLoader t0, t1, c0, c1;
    t0.shadingMode = t1.shadingMode = c0.shadingMode = c1.shadingMode = mode;
    ASSERT_TRUE(Load(t0, "state000.obj", nullptr));
    ASSERT_TRUE(Load(t1, "state001.obj", &t0));
    std::string err;
    ASSERT_TRUE(Load(c0, "state000.obj", nullptr, &err));
    EXPECT_EQ(err, "");  // from the cache: no text messages
    ASSERT_TRUE(Load(c1, "state001.obj", &c0, &err));
    EXPECT_EQ(err, "");
    ExpectSameState(t0, c0);
    ExpectSameState(t1, c1);
    EXPECT_EQ(c1.topologySource, &c0);
    ExpectIdInvariant(c0);
    // Byte for byte: 4 + 6*12 + 8 + 2*8 + triangles * per-triangle bytes.
    size_t perTriangle0 = 16 + (mode == 0 ? 12 : 0), perTriangle1 = mode == 0 ? 12 : 0;
    EXPECT_EQ(ReadBytes("state000.obj.rdd").size(), 100 + 5 * perTriangle0);
    EXPECT_EQ(ReadBytes("state001.obj.rdd").size(), 100 + 3 * perTriangle1);
  }
}

TEST_F(Scene, CacheOfTheOtherKindIsRefusedAndTheTextRead) {
  ObjLoader s0, s1;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr));
  ASSERT_TRUE(Load(s1, "state001.obj", &s0));
  std::vector<char> later = ReadBytes("state001.obj.rdd");
  std::vector<char> first = ReadBytes("state000.obj.rdd");

  ObjLoader m;
  std::string err = StderrOf([&] {
    EXPECT_FALSE(ReadStateCache(later.data(), later.size(), "state001.obj.rdd", m, nullptr));
    EXPECT_FALSE(ReadStateCache(first.data(), first.size(), "state000.obj.rdd", m, &s0));
  });
  EXPECT_NE(err.find("ERROR: state001.obj.rdd: "), std::string::npos);
  EXPECT_NE(err.find("ERROR: state000.obj.rdd: "), std::string::npos);
  EXPECT_EQ(m.vertexCount, 0);
  EXPECT_TRUE(m.positions.empty());
  EXPECT_TRUE(m.groupTriangles.empty());

  // Load falls back to the text and replaces the cache by its own kind.
  ObjLoader alone;
  ASSERT_TRUE(Load(alone, "state001.obj", nullptr, &err));
  EXPECT_NE(err.find("ERROR: state001.obj.rdd: "), std::string::npos);
  EXPECT_NE(err.find("Total Num of Triangles3"), std::string::npos);
  EXPECT_EQ(alone.IdCount(), 3);
  EXPECT_EQ(alone.topologySource, nullptr);
  ObjLoader again;
  ASSERT_TRUE(Load(again, "state001.obj", nullptr, &err));
  EXPECT_EQ(err, "");
  ExpectSameState(alone, again);
}

// A cache stands for its text only while the text is unchanged: an edit
// after it was written, or a cache whose counts are not the text's (a
// copy that kept an old time stamp, an empty cache an older version left),
// is rebuilt with one line, and messages reach the stream given.
TEST_F(Scene, StaleCachesAreRebuiltFromTheirText) {
  namespace fs = std::filesystem;
  ObjLoader s0, s1;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr));
  ASSERT_TRUE(Load(s1, "state001.obj", &s0));
  const std::vector<char> oldCache = ReadBytes("state001.obj.rdd");
  // Makes `b` two seconds older than `a`.
  auto newer = [](const char* a, const char* b) {
    fs::last_write_time(b, fs::last_write_time(a) - std::chrono::seconds(2));
  };

  // Edited after the cache: the edit is read.
  WriteText("state001.obj", std::string(kState1).replace(0, 7, "v 9 0 0"));
  newer("state001.obj", "state001.obj.rdd");
  std::ostringstream err;
  ObjLoader edited;
  ASSERT_TRUE(edited.Load("state001.obj", &s0, err));
  EXPECT_EQ(edited.positions[0], Vex3_quarn(9, 0, 0));
  EXPECT_EQ(err.str().substr(0, err.str().find('\n') + 1),
            "INFO: state001.obj.rdd is older than state001.obj; rebuilding it\n");
  std::string quiet;
  ObjLoader again;
  ASSERT_TRUE(Load(again, "state001.obj", &s0, &quiet));
  EXPECT_EQ(quiet, "");  // the rebuilt cache
  EXPECT_EQ(again.positions[0], Vex3_quarn(9, 0, 0));

  // A newer cache with other counts: one more vertex in the text.
  WriteText("state001.obj", std::string("v 5 5 5\n") + kState1);
  WriteBytes("state001.obj.rdd", oldCache);
  newer("state001.obj.rdd", "state001.obj");
  err.str("");
  ObjLoader more;
  ASSERT_TRUE(more.Load("state001.obj", &s0, err));
  EXPECT_EQ(more.vertexCount, 7);
  EXPECT_EQ(err.str().substr(0, err.str().find('\n') + 1),
            "INFO: state001.obj.rdd: 6 vertices in 2 groups, state001.obj has 7 in 2; rebuilding it\n");

  // An empty cache beside a good text, as a failed load once wrote it.
  WriteBytes("state000.obj.rdd", std::vector<char>(12, 0));
  newer("state000.obj.rdd", "state000.obj");
  err.str("");
  ObjLoader first;
  ASSERT_TRUE(first.Load("state000.obj", nullptr, err));
  EXPECT_EQ(first.triangleCount, 5);
  EXPECT_NE(err.str().find("INFO: state000.obj.rdd: 0 vertices in 0 groups, state000.obj has 6 in 2; "
                           "rebuilding it\n"),
            std::string::npos);
  EXPECT_GT(ReadBytes("state000.obj.rdd").size(), 12u);
}

TEST_F(Scene, InterpolationAndCopiesNeverWriteIntoSharedCounts) {
  ObjLoader s0, s1, draw;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr));
  ASSERT_TRUE(Load(s1, "state001.obj", &s0));
  draw.ShareTopology(s0);
  EXPECT_TRUE(draw.groupTriCount.SharedWith(s0.groupTriCount));

  // t = 0: A's positions, B's live triangles.
  draw.Interpolate(s0, s1, 0.0);
  EXPECT_EQ(draw.positions, s0.positions);
  EXPECT_EQ(draw.groupTriCount.vec(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(draw.triangleCount, 3);
  EXPECT_EQ(s0.groupTriCount.vec(), (std::vector<int32_t>{3, 2}));  // not written through
  EXPECT_FALSE(draw.Exists(2));
  EXPECT_EQ(draw.topologySource, &s0);

  draw.Interpolate(s0, s1, 0.25);
  EXPECT_EQ(draw.positions[1], Vex3_quarn(1.5f, 0, 0));
  draw.InterpolatePositions(s1, s0, 1.0);
  EXPECT_EQ(draw.positions, s0.positions);
  EXPECT_EQ(draw.triangleCount, 3);

  ObjLoader copy;
  copy.ShareTopology(s1);
  copy.CopyState(s0);
  EXPECT_EQ(copy.groupTriCount.vec(), (std::vector<int32_t>{3, 2}));
  EXPECT_EQ(s1.groupTriCount.vec(), (std::vector<int32_t>{2, 1}));
  EXPECT_TRUE(copy.Exists(4));
}

TEST_F(Scene, ShareTopologyWithViewsReprojects) {
  ObjLoader s0;
  s0.shadingMode = 3;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr));
  GLMatrices same;
  same.viewport[2] = 640;
  same.viewport[3] = 480;
  GLMatrices shifted = same;
  shifted.modelView[12] = 0.5;  // the second view looks from 0.5 further right
  ObjLoader moved;
  moved.ShareTopology(s0, &same, &shifted);
  EXPECT_EQ(moved.shadingMode, 3);
  EXPECT_TRUE(moved.triangleId.SharedWith(s0.triangleId));
  ASSERT_EQ(moved.vertexCount, 6);
  for (int i = 0; i < 6; i++) {
    EXPECT_NEAR(moved.positions[i].x, s0.positions[i].x - 0.5f, 1e-5);
    EXPECT_NEAR(moved.positions[i].y, s0.positions[i].y, 1e-5);
  }
}

TEST_F(Scene, AccessByIdBoxesAndMarks) {
  ObjLoader s0;
  ASSERT_TRUE(Load(s0, "state000.obj", nullptr));
  uint32_t idx[3];
  ASSERT_TRUE(s0.TriangleVertices(4, idx));  // t 4 5 6
  EXPECT_EQ(idx[0], 3u);
  ASSERT_TRUE(s0.TriangleVertices(1, idx));  // second half of the quad: (3, 4, 1)
  EXPECT_EQ((std::vector<uint32_t>(idx, idx + 3)), (std::vector<uint32_t>{2, 3, 0}));
  ASSERT_TRUE(s0.TriangleIndicesSorted(1, idx));
  EXPECT_EQ((std::vector<uint32_t>(idx, idx + 3)), (std::vector<uint32_t>{0, 2, 3}));
  Vex3_quarn p[3];
  ASSERT_TRUE(s0.TrianglePositionsSorted(1, p));
  EXPECT_EQ(p[0], Vex3_quarn(0, 0, 0));
  EXPECT_EQ(p[2], Vex3_quarn(0, 1, 0));
  AABB tb = s0.TriangleBox(3);  // (2, 3, 6): (1,0,0) (1,1,0) (1,1,1)
  EXPECT_EQ(tb.min, Vex3_quarn(1, 0, 0));
  EXPECT_EQ(tb.max, Vex3_quarn(1, 1, 1));
  EXPECT_TRUE(s0.TriangleBox(9).Empty());
  EXPECT_EQ(s0.Box().max, Vex3_quarn(1, 1, 1));
  EXPECT_EQ(s0.Centroid(), Vex3_quarn(0.5f, 0.5f, 2.0f / 6));

  int32_t mask[5] = {0, 1, 0, 0, 1};
  std::vector<std::vector<uint32_t>> lists;
  std::vector<int32_t> counts;
  s0.VisibleSubset(mask, &lists, &counts);
  EXPECT_EQ(counts, (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(lists[0], (std::vector<uint32_t>{2, 3, 0}));
  EXPECT_EQ(lists[1], (std::vector<uint32_t>{3, 4, 5}));
  s0.VisibleSubset(nullptr, &lists, &counts);
  EXPECT_EQ(counts, (std::vector<int32_t>{3, 2}));

  // Triangle 0 turns its front (+z by (p1-p0)x(p2-p1)) away from an eye
  // below it and towards one above it.
  int32_t marks[5] = {7, 7, 7, 7, 7};
  s0.FacingMarks(Vex3_quarn(0.5f, 0.5f, 10), marks);
  EXPECT_EQ(marks[0], -1);
  int32_t marks2[5] = {7, 7, 7, 7, 7};
  s0.FacingMarks(Vex3_quarn(0.5f, 0.5f, -10), marks2);
  EXPECT_EQ(marks2[0], 7);

  s0.BaseHeights();
  float y;
  std::memcpy(&y, &s0.baseHeights[2], 4);
  EXPECT_EQ(y, 1.0f);
  ObjLoader later;
  later.ShareTopology(s0);
  later.BaseHeights();
  EXPECT_TRUE(later.baseHeights.SharedWith(s0.baseHeights));
}

TEST(MeshColors, MaterialAndIndexColours) {
  ObjLoader m;
  EXPECT_EQ(m.IndexColor(19), Vex3_quarn(1.6f, 0.6f, 0.6f));  // not clamped
  EXPECT_EQ(m.IndexColor(0), Vex3_quarn(0.8f, 0.3f, 0.3f));
  EXPECT_EQ(m.IndexColor(10), Vex3_quarn(0.8f, 0.3f, 0.3f) * float(10.0 / 19 + 1));
  m.groupCount = 40;
  EXPECT_EQ(m.IndexColor(20), Vex3_quarn(0.25882354f, 0.33333334f, 1.0f) * 1.5f);
  EXPECT_EQ(m.MaterialColor(7), Vex3_quarn(0.9f, 0.91f, 0.98f));
  EXPECT_EQ(m.MaterialColor(11), Vex3_quarn(0.876f, 0.576f, 0.408f));
  EXPECT_EQ(m.MaterialColor(13), Vex3_quarn(0.2f, 0.4f, 0.8f));
  EXPECT_EQ(m.MaterialColor(-1), Vex3_quarn(0.2f, 0.4f, 0.8f));
  m.colorScheme = 1;
  EXPECT_EQ(m.MaterialColor(19), Vex3_quarn(1.6f, 0.6f, 0.6f));
  EXPECT_EQ(m.lightDir, Vex3_quarn(-1, -2, 4) / std::sqrt(21.0f));
}

TEST(MeshColors, CollapsedTriangleLitAtFourTenthsAndDeadStateBlack) {
  ScratchDir dir;
  WriteText("c.obj", "v 0 0 0\nv 1 0 0\nv 1 0 0\nv 5 5 5\ng cubes\nusemtl cubes4_mat\nt 1 2 3\n");
  WriteText("d.obj", "v 0 0 0\nv 1 0 0\nv 1 0 0\nv 5 5 5\ng cubes\nusemtl cubes4_mat\n");
  ObjLoader c, d;
  ASSERT_TRUE(Quiet([&] { return c.Load("c.obj", nullptr) && d.Load("d.obj", &c); }));
  EXPECT_EQ(c.normals[0], Vex3_quarn(0, 0, 0));
  Vex3_quarn lit = Vex3_quarn(0.8f, 0.5f, 0.2f) * 0.4f;
  EXPECT_EQ(c.vertexColors[0], lit);
  EXPECT_EQ(c.vertexColors[3], Vex3_quarn(0, 0, 0));  // in no triangle
  EXPECT_EQ(c.ColorAtPoint(0.5f, 0.5f, 0), lit);
  for (int i = 0; i < 4; i++) EXPECT_EQ(d.vertexColors[i], Vex3_quarn(0, 0, 0));
  EXPECT_FALSE(d.Exists(0));

  c.shadingMode = 1;  // flat: from the positions, collapsed gives 0.4
  c.BuildTriangleColors();
  EXPECT_EQ(c.triangleColors[0], lit);
  d.BuildTriangleColors();
  EXPECT_TRUE(d.triangleColors.SharedWith(c.triangleColors));
}
