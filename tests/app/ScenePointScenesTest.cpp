// The point scenes' sphere buttons on a Scene holding three small point
// states: the files "GFB_DBG", "ASL", "ASL+GFB" and the image members
// write, and their refusals.
#include <gtest/gtest.h>

#include <FL/Fl.H>

#include <sstream>

#include "FrameBuffer.h"
#include "IntervalTable.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneFixture.h"
#include "TestSupport.h"
#include "WorkFolders.h"

namespace {

class ScenePoints : public FreshScene {
 protected:
  ScenePoints()
      : FreshScene({layout::FolderName(layout::Folder::kResults),
                    layout::FolderName(layout::Folder::kTables),
                    layout::FolderName(layout::Folder::kCombined),
                    layout::FolderName(layout::Folder::kExperimentLogs),
                    layout::ImageFolder("GFB_ASL"), layout::ImageFolder("Control"),
                    layout::ImageFolder("Truth"), layout::ImageFolder("GFB_result")}) {}
  // Point 0 rests in view; point 1 rests right behind it; point 2 comes
  // into view from the left (state 0 to 2); point 3 stays far out.
  void LoadPoints(int count = 3) {
    const float z = -3 * scene_->views.viewCamera->zNear;
    const float x = -z;  // beyond the view's half-width at z
    scene_->loaded.dataset = dataset::kWaterFlow;
    scene_->loaded.drawForm = DrawForm::kPoints;
    scene_->loaded.radius = 20;
    scene_->loaded.particleStates = std::vector<ParticleSet>(size_t(count));
    for (int i = 0; i < count; i++) {
      ParticleSet& s = scene_->loaded.particleStates[size_t(i)];
      s.positions = {{0, 0, z}, {0, 0, z - 100}, {-x + x * i, 100, z}, {100000, 0, z}};
      s.count = 4;
    }
    scene_->loaded.particleDrawState = std::make_unique<ParticleSet>();
    *scene_->loaded.particleDrawState = scene_->loaded.particleStates[1];
    scene_->loaded.triangleCount = 4;
    scene_->loaded.stateCount = count;
    scene_->buffers.drawFlags.assign(4, 0);
    scene_->views.viewWindow->show();
    Fl::check();
  }
  Console Run(void (Scene::*op)(), const std::string& typed = "") {
    Type(typed);
    return ConsoleOf([&] { (scene_.get()->*op)(); });
  }
  // The points with an interval in a table.
  std::vector<int32_t> TablePoints(const std::string& path) {
    std::unique_ptr<TriangleIntervalTable> t = Quiet([&] { return ReadIntervalTable(path); });
    std::vector<int32_t> ids;
    if (!t) return ids;
    for (int32_t i = 0; i < t->triangleCount; i++)
      if (t->counts[size_t(i)] > 0) ids.push_back(i);
    return ids;
  }
};

size_t Lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST_F(ScenePoints, ButtonsRefuseWithoutAPointScene) {
  for (auto op : {&Scene::GfbDbg, &Scene::CombinedRun, &Scene::CombinedControl,
                  &Scene::CombinedTruth, &Scene::CombinedImages, &Scene::PlayPointSceneReplay}) {
    scene_->loaded.dataset = dataset::kWaterFlow;
    scene_->loaded.drawForm = DrawForm::kPoints;
    const std::string out = Run(op).out;
    EXPECT_TRUE(out.find("needs a point scene") != std::string::npos ||
                out.find("no scene is set up") != std::string::npos)
        << out;
  }
  EXPECT_FALSE(FileExists("VisibilityTable/Fusion_0_1.bin"));
}

TEST_F(ScenePoints, IntervalRunWritesOneTablePerStepAndRefusesBadBounds) {
  LoadPoints();
  // Refused bounds change nothing: no buffer is made, no run log opened.
  for (const char* typed : {"a b", "1 1", "2 1", "-1 1", "0 3", "0"}) {
    const Console c = Run(&Scene::GfbDbg, typed);
    EXPECT_NE(c.err.find("nothing is computed"), std::string::npos) << typed;
    EXPECT_EQ(Lines(c.err), 1u) << typed << ": " << c.err;
  }
  EXPECT_FALSE(FileExists("VisibilityTable/Fusion_0_1.bin"));
  EXPECT_FALSE(scene_->buffers.sampleBuffer);
  EXPECT_FALSE(scene_->buffers.intervalRunLog);

  const Console c = Run(&Scene::GfbDbg, "0 2");
  EXPECT_NE(c.out.find("Processing 0 through 2\n"), std::string::npos) << c.out;
  EXPECT_NE(c.out.find("Done Saving canvas"), std::string::npos);
  // The crossing point is seen in both steps; the hidden one never.
  EXPECT_EQ(TablePoints("VisibilityTable/Fusion_0_1.bin"), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(TablePoints("VisibilityTable/Fusion_1_2.bin"), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(scene_->buffers.drawFlags, (std::vector<int32_t>{1, 1, 1, 1}));
  // Step 1's times lie in [1, 2].
  std::unique_ptr<TriangleIntervalTable> t = ReadIntervalTable("VisibilityTable/Fusion_1_2.bin");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Intervals(0)[0].start, 1);
  EXPECT_EQ(t->Intervals(0)[0].end, 2);

}

TEST_F(ScenePoints, ReplayDrawsTheTablesFramesAndLog) {
  LoadPoints(2);
  EXPECT_NE(Run(&Scene::PlayPointSceneReplay).out.find("run \"GFB_DBG\" first"),
            std::string::npos);
  Run(&Scene::GfbDbg, "0 1");
  const Console r = Run(&Scene::PlayPointSceneReplay);
  // One frame per 1/45 of the step and one at its end.
  EXPECT_TRUE(FileExists("Images/GFB_result/45.tif"));
  EXPECT_FALSE(FileExists("Images/GFB_result/46.tif"));
  const std::string log = ReadText("SuperPixelResult/visibility_result.txt");
  EXPECT_EQ(Lines(log), 46u);
  EXPECT_EQ(log.substr(0, log.find('\n')), "0:0,");  // point 2 still out of view
  EXPECT_NE(log.find("\n1:0,2,\n"), std::string::npos);
  EXPECT_NE(r.out.find("Done with state 1/1\n"), std::string::npos);
  EXPECT_EQ(scene_->buffers.drawFlags, (std::vector<int32_t>{1, 1, 1, 1}));  // restored
}

TEST_F(ScenePoints, AslOnTheDrawnFrame) {
  LoadPoints();
  Quiet([&] { scene_->Asl(); });
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Fusion_ASL_exp.bin"), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(scene_->buffers.drawFlags, (std::vector<int32_t>{1, 0, 1, 0}));
  Quiet([&] { scene_->AslWithFactor(1); });
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Fusion_ASL_exp_X1.000000_.bin"),
            (std::vector<int32_t>{0, 2}));
}

TEST_F(ScenePoints, CombinedRunAndItsImages) {
  LoadPoints(2);
  // Refusals change nothing: no sample buffer, no run log.
  EXPECT_NE(Run(&Scene::CombinedImages).out.find("run \"ASL+GFB\" first"), std::string::npos);
  EXPECT_NE(Run(&Scene::PlayPointSceneReplay).out.find("run \"GFB_DBG\" first"), std::string::npos);
  EXPECT_NE(Run(&Scene::CombinedRun, "1 0").err.find("nothing is computed"), std::string::npos);
  EXPECT_FALSE(scene_->buffers.sampleBuffer);
  EXPECT_FALSE(scene_->buffers.intervalRunLog);
  const Console c = Run(&Scene::CombinedRun, "0 1");
  EXPECT_NE(c.out.find("Processing from 0 to 1\n"), std::string::npos) << c.out;
  EXPECT_EQ(TablePoints("VisibilityTable/Fusion_combined_0_1.bin"), (std::vector<int32_t>{0, 2}));

  const PPC view = *scene_->views.viewCamera;
  Run(&Scene::CombinedImages);
  const std::string exp = ReadText("CombinedVisibility/Fusion_combined_exp.txt");
  EXPECT_EQ(Lines(exp), 46u);
  EXPECT_EQ(exp.substr(0, exp.find('\n')), "0:0,2,");
  EXPECT_TRUE(FileExists("Images/GFB_ASL/45.tif"));
  EXPECT_EQ(scene_->views.viewCamera->eye, view.eye);  // the fly-through put the view back
}
