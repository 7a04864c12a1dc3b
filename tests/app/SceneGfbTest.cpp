// "GFB_DBG" on a Scene holding two small states: the run chosen by dataset
// number, the files each writes, the refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "IntervalRuns.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "SampleLocationBuffer.h"
#include "Scene.h"
#include "SceneFixture.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"

namespace {

class SceneGfb : public FreshScene {
 protected:
  SceneGfb()
      : FreshScene({layout::FolderName(layout::Folder::kResults),
                    layout::FolderName(layout::Folder::kTables)}) {}
  // A backdrop square (triangles 0, 1), a small triangle crossing the view
  // from left to right (2) and a triangle far off to the side (3).
  void LoadStates(size_t count = 2) {
    const float z = -3 * scene_->views.viewCamera->zNear;
    const float half = -z;  // well beyond the view's half-width at z
    using Tri = std::array<Vex3_quarn, 3>;
    auto states = [&](float dx) {
      Vex3_quarn a(-half, -half, z - 10), b(half, -half, z - 10), c(half, half, z - 10),
          d(-half, half, z - 10);
      Tri small = {Vex3_quarn(-0.8f * half + dx, -50, z), Vex3_quarn(-0.7f * half + dx, -50, z),
                   Vex3_quarn(-0.75f * half + dx, 50, z)};
      Tri away = {Vex3_quarn(-100000, 0, z), Vex3_quarn(-99000, 0, z), Vex3_quarn(-99500, 900, z)};
      return std::vector<Tri>{{a, b, c}, {a, c, d}, small, away};
    };
    scene_->loaded.states = std::vector<ObjLoader>(count);
    BuildMesh(scene_->loaded.states[0], {states(0)});
    if (count > 1) BuildMesh(scene_->loaded.states[1], {states(1.5f * half)});
    scene_->loaded.baseMesh = scene_->loaded.drawMesh = &scene_->loaded.states[0];
    scene_->loaded.stateCount = int(count);
    scene_->loaded.triangleCount = scene_->loaded.baseMesh->IdCount();
    scene_->buffers.drawFlags.assign(size_t(scene_->loaded.triangleCount), 1);
  }
  // "GFB_DBG" with `typed` on the input; returns its console output.
  Console GfbDbg(int sceneId, const std::string& typed = "") {
    scene_->loaded.dataset = sceneId;
    scene_->buffers.drawFlags.assign(size_t(scene_->loaded.triangleCount), 1);
    Type(typed);
    return ConsoleOf([&] { scene_->GfbDbg(); });
  }
};

}  // namespace

TEST_F(SceneGfb, RefusesWithoutAScene) {
  const std::string out = GfbDbg(dataset::kTruckGfb).out;
  EXPECT_NE(out.find("\"GFB_DBG\": no scene is set up"), std::string::npos) << out;
  EXPECT_FALSE(scene_->buffers.sampleBuffer);
}

// A radio chosen without "Scene Setup" changes what the next setup loads,
// not which run the loaded scene gets.
TEST_F(SceneGfb, ThePanelsChoiceLeavesTheLoadedScenesRun) {
  LoadStates();
  scene_->settings.sceneId = dataset::kForest;
  const std::string out = GfbDbg(dataset::kTrianglePair).out;
  EXPECT_EQ(out.find("Give start and end factor pos"), std::string::npos) << out;
  EXPECT_TRUE(FileExists("VisibilityTable/whatever_1.bin"));
}

TEST_F(SceneGfb, FullRunOnAnyOtherScene) {
  LoadStates();
  const std::string out = GfbDbg(dataset::kTrianglePair).out;
  EXPECT_NE(out.find("Culled out: 1\n"), std::string::npos) << out;
  EXPECT_EQ(ReadText("ASL_Visibility/Visibility_at_B.txt"), "0:0,1,2,\n");
  EXPECT_TRUE(FileExists("VisibilityTable/whatever_1.bin"));
  EXPECT_EQ(scene_->settings.holdTrajectory, 0);
  EXPECT_EQ(scene_->buffers.drawFlags[3], 0);
  scene_->buffers.intervalRunLog->flush();
  std::string log = ReadText("ASL_Visibility/log2.txt");
  EXPECT_EQ(log.rfind("Now processing TID 0:", 0), 0u) << log.substr(0, 100);
  EXPECT_NE(log.find("Now processing TID 3:BAD triangle\n"), std::string::npos);
}

TEST_F(SceneGfb, SubIntervalRunsByDataset) {
  LoadStates();
  GfbDbg(dataset::kForest, "39 45\n");
  EXPECT_TRUE(FileExists("ASL_Visibility/Forest_visibility_39.txt"));
  EXPECT_FALSE(FileExists("ASL_Visibility/Forest_visibility_38.txt"));
  EXPECT_TRUE(FileExists("VisibilityTable/Forest_visibility_39.bin"));
  EXPECT_TRUE(FileExists("ASL_Visibility/Forest_visibility_visibleSet.bin"));

  // Timelines of another scene are dropped before a run on this one.
  scene_->loaded.dataPath = "elsewhere/";
  GfbDbg(dataset::kTrianglePair);
  IntervalStatistics st = CountTimelineIntervals(*scene_->buffers.sampleBuffer);
  GfbDbg(dataset::kTrianglePair);  // the same scene again: its intervals are found again
  EXPECT_EQ(CountTimelineIntervals(*scene_->buffers.sampleBuffer).totalIntervals,
            st.totalIntervals);

  // The city scene names its output by the chosen view.
  scene_->views.viewNumber = 2;
  EXPECT_EQ(GfbDbg(dataset::kManhattan, "0 0\n").err, "no haha!\n");
  EXPECT_TRUE(FileExists("ASL_Visibility/Manhattan_midtown_visibility_0.txt"));
  scene_->views.viewNumber = 0;
  EXPECT_EQ(GfbDbg(dataset::kManhattan, "0 0\n").err, "haha!\n");
  EXPECT_TRUE(FileExists("ASL_Visibility/Manhattan_visibility_0.txt"));
}

TEST_F(SceneGfb, SubIntervalStepBoundsAreTypedAfterCulling) {
  LoadStates();
  const Console typed = GfbDbg(dataset::kForest, "39 45\n");
  const size_t culled = typed.out.find("Culled out: 1\n");
  ASSERT_NE(culled, std::string::npos) << typed.out;
  EXPECT_EQ(typed.out.find("Give start and end factor pos\n"), culled + 14) << typed.out;

  // A refused line is dropped: the next run reads the line after it. The
  // refusal comes before any change: no buffer, culling switch, union set
  // or run log is touched.
  scene_->buffers.sampleBuffer.reset();
  scene_->buffers.intervalRunLog.reset();
  std::remove("ASL_Visibility/log2.txt");
  scene_->settings.frustumCulling = 0;
  scene_->buffers.runVisibleSet.assign(size_t(scene_->loaded.triangleCount), 7);
  const Console refused = GfbDbg(dataset::kForest, "first last\n0 0\n");
  EXPECT_EQ(refused.err, "Step bounds must be two integers; nothing is computed.\n");
  EXPECT_EQ(refused.out.find("Begin Saving canvas"), std::string::npos) << refused.out;
  EXPECT_NE(refused.out.find("Culled out: 1\n"), std::string::npos) << refused.out;
  EXPECT_FALSE(scene_->buffers.sampleBuffer);
  EXPECT_FALSE(scene_->buffers.intervalRunLog);
  EXPECT_FALSE(FileExists("ASL_Visibility/log2.txt"));
  EXPECT_EQ(scene_->settings.frustumCulling, 0);
  EXPECT_EQ(scene_->buffers.runVisibleSet,
            std::vector<int32_t>(size_t(scene_->loaded.triangleCount), 7));
  scene_->buffers.drawFlags.assign(size_t(scene_->loaded.triangleCount), 1);
  const std::string next = StdoutOf([&] { scene_->GfbDbg(); });
  EXPECT_NE(next.find("Begin Saving canvas to VisibilityTable/Forest_visibility_0.bin\n"),
            std::string::npos)
      << next;
  EXPECT_EQ(scene_->settings.frustumCulling, 1);
  EXPECT_EQ(scene_->buffers.runVisibleSet, (std::vector<int32_t>{1, 1, 0, 0}));  // step 0's union
}

TEST_F(SceneGfb, KeyframedModeTakesTrajectoryPositions) {
  LoadStates();
  // Trajectories whose second keyframe keeps the small triangle where it
  // starts, off the left of the view: in keyframed mode it is never seen,
  // while between the states it crosses the middle in step 20.
  auto tr = KeyframeTrajectories::Build(2, scene_->loaded.states[0]);
  tr->StoreKeyframe(scene_->loaded.states[0], 1);
  scene_->loaded.trajectories = std::move(tr);
  scene_->settings.holdTrajectory = 1;
  GfbDbg(dataset::kGrassField, "20 20");
  EXPECT_EQ(ReadText("ASL_Visibility/Grassfield_visibility_20.txt"), "4\n2\n0\n1\n\n");
  scene_->settings.holdTrajectory = 0;
  GfbDbg(dataset::kGrassField, "20 20");
  EXPECT_EQ(ReadText("ASL_Visibility/Grassfield_visibility_20.txt"), "4\n3\n0\n1\n2\n\n");
}

TEST_F(SceneGfb, TrialOnOneStateAndPointScene) {
  LoadStates(1);  // the terrain has one state: it stands still
  const std::string out = GfbDbg(dataset::kRti).out;
  EXPECT_NE(out.find("\"GFB_DBG\": the scene has one state"), std::string::npos) << out;
  EXPECT_NE(out.find("Total Legit Interval number is "), std::string::npos);
  EXPECT_EQ(ReadText("trial_interval.txt").rfind("Super Pixel[400.5,130.5]:\n", 0), 0u);

  // The point-scene branch needs the points it moves.
  EXPECT_NE(GfbDbg(dataset::kWaterFlow)
                .out.find("\"GFB_DBG\": needs a point scene of at least two states"),
            std::string::npos);
}
