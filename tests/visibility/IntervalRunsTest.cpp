// The interval runs end to end on tiny scenes: the files they write,
// culling and the run log.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <sstream>

#include "Format.h"
#include "Frustum.h"
#include "IntervalDrivers.h"
#include "IntervalRuns.h"
#include "IntervalTable.h"
#include "KeyframeTrajectories.h"
#include "KeyframedMotion.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"

namespace {

using Tri = std::array<Vex3_quarn, 3>;

Tri Moved(const Tri& t, float dx) {
  Tri r = t;
  for (auto& v : r) v.x += dx;
  return r;
}

// A 64 x 48 view from the origin down -z (near plane at about 61.5):
// triangle 0 a static backdrop at depth 300, filling the view and reaching
// the rays of the trial's block (window 400..416, 130..146), triangle 1 a
// small triangle crossing the view at depth 200 (its centre passes the
// view's centre at time 0.25), triangle 2 behind the eye.
struct RunFixture {
  ScratchDir dir;
  PPC cam{55, 64, 48};
  SampleLocationBuffer buffer{64, 48};
  ObjLoader first, second;
  std::vector<int32_t> live;
  VisibleSet unionSet;
  std::ostringstream out, err, log;
  IntervalRunScene scene;

  explicit RunFixture(const std::vector<std::pair<Tri, Tri>>& tris) {
    MakeFolders({layout::FolderName(layout::Folder::kResults), layout::FolderName(layout::Folder::kTables)});
    buffer.SetCamera(cam);
    std::vector<Tri> a, b;
    for (const auto& t : tris) {
      a.push_back(t.first);
      b.push_back(t.second);
    }
    BuildMesh(first, {a});
    BuildMesh(second, {b});
    live.assign(tris.size(), 1);
    scene.buffer = &buffer;
    scene.first = &first;
    scene.second = &second;
    scene.triangleCount = int32_t(tris.size());
    scene.liveFlags = &live;
    scene.unionSet = &unionSet;
    scene.out = &out;
    scene.err = &err;
    scene.runLog = &log;
  }
};

const Tri kBackdrop = {Vex3_quarn(-9000, -5000, -300), Vex3_quarn(9000, -5000, -300),
                       Vex3_quarn(0, 5000, -300)};
const Tri kSmall = {Vex3_quarn(-120, -10, -200), Vex3_quarn(-100, -10, -200),
                    Vex3_quarn(-110, 10, -200)};
const Tri kBehind = {Vex3_quarn(-10, -10, 50), Vex3_quarn(10, -10, 50), Vex3_quarn(0, 10, 50)};

std::vector<std::pair<Tri, Tri>> ThreeTriangles() {
  return {{kBackdrop, kBackdrop}, {kSmall, Moved(kSmall, 440)}, {kBehind, kBehind}};
}

}  // namespace

TEST(SubIntervalRun, StepBoundsAndOutputs) {
  RunFixture f(ThreeTriangles());
  EXPECT_EQ(SubIntervalRun(f.scene, "Test", 39, 45), 1);
  EXPECT_NE(f.out.str().find("Culled out: 1\n"), std::string::npos);
  EXPECT_NE(f.out.str().find("Begin Saving canvas to VisibilityTable/Test_39.bin\nDone saving canvas\n"),
            std::string::npos);
  EXPECT_FALSE(FileExists("ASL_Visibility/Test_38.txt"));
  EXPECT_FALSE(FileExists("VisibilityTable/Test_40.bin"));
  // In the last fortieth the small triangle is far off to the right: only
  // the backdrop is seen, for the whole step.
  EXPECT_EQ(ReadText("ASL_Visibility/Test_39.txt"), "3\n1\n0\n\n");
  auto table = ReadIntervalTable("VisibilityTable/Test_39.bin");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->trianglesWithIntervals, 1);
  ASSERT_EQ(table->counts[0], 1);
  EXPECT_EQ(table->Intervals(0)[0].start, 0);
  EXPECT_EQ(table->Intervals(0)[0].end, 1);
  EXPECT_EQ(ReadText("ASL_Visibility/Test_Full.txt"), "3\n1\n0\n\n");
  // The liveness flags hold the last step's visible set.
  EXPECT_EQ(f.live, (std::vector<int32_t>{1, 0, 0}));
}

TEST(SubIntervalRun, MovingTriangleInItsStepsAndCulledOneNowhere) {
  RunFixture f(ThreeTriangles());
  EXPECT_EQ(SubIntervalRun(f.scene, "All", 0, 39), 40);
  EXPECT_EQ(ReadText("ASL_Visibility/All_10.txt"), "3\n2\n0\n1\n\n");
  EXPECT_EQ(ReadText("ASL_Visibility/All_Full.txt"), "3\n2\n0\n1\n\n");
  auto t10 = ReadIntervalTable("VisibilityTable/All_10.bin");
  ASSERT_TRUE(t10);
  ASSERT_GE(t10->counts[1], 1);
  // Times are local to the step.
  EXPECT_GE(t10->Intervals(1)[0].start, 0);
  EXPECT_LE(t10->Intervals(1)[t10->counts[1] - 1].end, 1);
  for (int i = 0; i < 40; i++) {
    auto t = ReadIntervalTable(Format("VisibilityTable/All_%d.bin", i));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->counts[2], 0) << "step " << i;
  }
  // The union set file holds ids 0 and 1.
  EXPECT_EQ(ReadIdFile("ASL_Visibility/All_visibleSet.bin"), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(ReadText("ASL_Visibility/All_visibleSet.bin").size(), 12u);
}

TEST(SubIntervalRun, EmptyStepAndReversedBounds) {
  RunFixture f({{kBehind, kBehind}});
  EXPECT_EQ(SubIntervalRun(f.scene, "None", 3, 3), 1);
  EXPECT_EQ(ReadText("ASL_Visibility/None_3.txt"), "1\n0\n\n");
  // An empty table: M = 0 records of N = 1 triangle.
  EXPECT_EQ(ReadText("VisibilityTable/None_3.bin"), std::string("\0\0\0\0\1\0\0\0", 8));

  // First after last runs no step.
  RunFixture h(ThreeTriangles());
  EXPECT_EQ(SubIntervalRun(h.scene, "Rev", 5, 4), 0);
  EXPECT_FALSE(FileExists("ASL_Visibility/Rev_5.txt"));
}

TEST(FullIntervalRun, LogStatisticsAndFiles) {
  // Triangle 3 lies beyond the far plane (about 12300): with culling off it
  // reaches the sample loop's box test, which finds nothing to do.
  Tri far = {Vex3_quarn(-10, -10, -20000), Vex3_quarn(10, -10, -20000),
             Vex3_quarn(0, 10, -20000)};
  auto tris = ThreeTriangles();
  tris.push_back({far, far});
  RunFixture f(tris);
  f.live[2] = 0;  // dead
  f.scene.frustumCulling = false;
  VisibleSet result;
  IntervalWork work;
  FullIntervalRun(f.scene, &result, &work);
  std::istringstream log(f.log.str());
  std::string line;
  std::getline(log, line);
  EXPECT_EQ(line.rfind("Now processing TID 0:3072 pixel processed ", 0), 0u) << line;
  std::getline(log, line);
  EXPECT_EQ(line.rfind("Now processing TID 1:", 0), 0u);
  EXPECT_NE(line.find(" pixel processed "), std::string::npos);
  std::getline(log, line);
  EXPECT_EQ(line, "Now processing TID 2:BAD triangle");
  std::getline(log, line);
  EXPECT_EQ(line, "Now processing TID 3:0 pixels are processed");
  EXPECT_EQ(result, (VisibleSet{1, 1, 0, 0}));
  EXPECT_EQ(ReadText("ASL_Visibility/Visibility_at_B.txt"), "0:0,1,\n");
  EXPECT_NE(f.out.str().find("Maxmum interval number is 3\n"), std::string::npos) << f.out.str();
  EXPECT_NE(f.out.str().find(" ditributed in 3072 pixels\n"), std::string::npos);
  EXPECT_NE(f.out.str().find("Begin Saving canvas\nDone saving canvas\n"), std::string::npos);
  auto table = ReadIntervalTable("VisibilityTable/whatever_1.bin");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->trianglesWithIntervals, 2);
  EXPECT_GT(work.evaluations, 3072);

  // With culling on, the triangle behind the eye and the one beyond the far
  // plane are culled and stay dead.
  RunFixture g(tris);
  FullIntervalRun(g.scene, nullptr);
  EXPECT_NE(g.out.str().find("Culled out: 2\n"), std::string::npos);
  EXPECT_EQ(g.live, (std::vector<int32_t>{1, 1, 0, 0}));
}

TEST(IntervalTrial, DumpsTheBlock) {
  RunFixture f(ThreeTriangles());
  IntervalTrial(f.scene);
  std::string dump = ReadText("trial_interval.txt");
  EXPECT_EQ(dump.rfind("Super Pixel[400.5,130.5]:\n1\n\tTID 0: [0,0]->[1,0]\n", 0), 0u)
      << dump.substr(0, 200);
  size_t blocks = 0;
  for (size_t p = dump.find("Super Pixel["); p != std::string::npos; p = dump.find("Super Pixel[", p + 1))
    blocks++;
  EXPECT_EQ(blocks, 256u);
  EXPECT_NE(f.out.str().find("Interval number is 1\nTotal Legit Interval number is 1\n"),
            std::string::npos);
}

TEST(KeyframedMotion, BlendsKeyframesAndHoldsTheLast) {
  ObjLoader k0, k1, k2;
  Tri t = {Vex3_quarn(0, 0, -10), Vex3_quarn(1, 0, -10), Vex3_quarn(0, 1, -10)};
  BuildMesh(k0, {{t}});
  BuildMesh(k1, {{Moved(t, 2)}});
  BuildMesh(k2, {{Moved(t, 6)}});
  auto tr = KeyframeTrajectories::Build(3, k0);
  tr->StoreKeyframe(k1, 1);
  tr->StoreKeyframe(k2, 2);
  TriangleMotion m;
  ASSERT_TRUE(KeyframedMotion(*tr, 0.5, 1.5).Motion(0, &m));
  EXPECT_FLOAT_EQ(m.a[0].x, 1);
  EXPECT_FLOAT_EQ(m.b[0].x, 4);
  // At and beyond the last keyframe its positions hold.
  ASSERT_TRUE(KeyframedMotion(*tr, 2, 7.5).Motion(0, &m));
  EXPECT_FLOAT_EQ(m.a[1].x, 7);
  EXPECT_FLOAT_EQ(m.b[1].x, 7);
  AABB box;
  ASSERT_TRUE(KeyframeBox(*tr, 0, &box));
  EXPECT_FLOAT_EQ(box.min.x, 0);
  EXPECT_FLOAT_EQ(box.max.x, 7);
}
