// The three ASL buttons' operations on a Scene holding a small mesh: the
// files each writes, and the refusal without a scene.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "DatasetTable.h"
#include "Format.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneFixture.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"

namespace {

using Ids = std::vector<int32_t>;

class SceneAsl : public FreshScene {
 protected:
  SceneAsl()
      : FreshScene({layout::FolderName(layout::Folder::kResults), layout::ImageFolder("ASL"),
                    layout::ImageFolder("Control")}) {}
  // Three quads side by side in front of the view, a fourth hidden behind
  // the first, and a fifth out of view.
  void LoadMesh() {
    const float z = -3 * scene_->views.viewCamera->zNear;
    auto quad = [&](float x, float depth, float size = 200) {
      const Vex3_quarn a(x, -size / 2, depth), b(x + size, -size / 2, depth),
          c(x + size, size / 2, depth), d(x, size / 2, depth);
      return std::vector<std::array<Vex3_quarn, 3>>{{a, b, c}, {a, c, d}};
    };
    std::vector<std::array<Vex3_quarn, 3>> tris;
    for (auto q : {quad(-400, z), quad(-100, z), quad(200, z), quad(-350, z - 500, 100),
                   quad(-100000, z)})
      tris.insert(tris.end(), q.begin(), q.end());
    BuildMesh(mesh_, {tris});
    scene_->loaded.baseMesh = scene_->loaded.drawMesh = &mesh_;
    scene_->loaded.triangleCount = mesh_.IdCount();
    scene_->buffers.drawFlags.assign(size_t(scene_->loaded.triangleCount), 1);
  }
  ObjLoader mesh_;
};

}  // namespace

TEST_F(SceneAsl, RefusesWithoutAScene) {
  const std::string out = StdoutOf([&] {
    scene_->Asl();
    scene_->AslWithFactor(2);
    scene_->AslControl();
  });
  EXPECT_NE(out.find("\"ASL\": no scene is set up"), std::string::npos) << out;
  EXPECT_NE(out.find("\"ASL with Factor\": no scene is set up"), std::string::npos);
  EXPECT_NE(out.find("\"ASL Control\": no scene is set up"), std::string::npos);
  EXPECT_FALSE(FileExists("ASL_Visibility/Whoknowswhat.bin"));
}

TEST_F(SceneAsl, PlainRunWritesTheSetAndItsFrames) {
  LoadMesh();
  const std::string out = StdoutOf([&] { scene_->Asl(); });
  EXPECT_NE(out.find("Culled out: 2\n"), std::string::npos) << out;
  EXPECT_NE(out.find("6 visible triangle detected and saved!"), std::string::npos) << out;
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Whoknowswhat.bin"),
            (Ids{0, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(FileExists("Images/ASL/0.tif"));
  EXPECT_TRUE(FileExists("Images/ASL/4.tif"));
  // The culled pair stays dead; the hidden pair is live but unseen.
  EXPECT_EQ(scene_->buffers.drawFlags[8], 0);
  EXPECT_EQ(scene_->buffers.drawFlags[6], 1);
  EXPECT_EQ(scene_->buffers.runVisibleSet[6], 0);
}

TEST_F(SceneAsl, FactorRunNamesTheFileByScene) {
  LoadMesh();
  scene_->loaded.dataset = dataset::kForest;
  // A factor that gives no pixels, or more than memory can hold, is refused.
  const std::string refused = StdoutOf([&] {
    scene_->AslWithFactor(0);
    scene_->AslWithFactor(100);
  });
  EXPECT_NE(refused.find("\"ASL with Factor\": factor 0 refused"), std::string::npos) << refused;
  EXPECT_NE(refused.find("\"ASL with Factor\": factor 100 refused"), std::string::npos);
  EXPECT_FALSE(scene_->buffers.sampleBuffer);
  const std::string out = StdoutOf([&] { scene_->AslWithFactor(2); });
  EXPECT_NE(out.find("Average area of triangle is "), std::string::npos) << out;
  EXPECT_EQ(scene_->buffers.sampleBuffer->width, 2560);
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Forest_ASL_exp_X2.000000_.bin").size(), 6u);
  // The buffer keeps its size on later runs.
  Quiet([&] { scene_->AslWithFactor(1); });
  EXPECT_EQ(scene_->buffers.sampleBuffer->width, 2560);
  EXPECT_TRUE(FileExists("ASL_Visibility/Forest_ASL_exp_X1.000000_.bin"));
}

TEST_F(SceneAsl, ControlRunsTheReferenceOfTheScene) {
  LoadMesh();
  scene_->loaded.dataset = dataset::kForest;  // factor 2, then the image series
  Quiet([&] { scene_->AslControl(); });
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Forest_2X.txt"), (Ids{0, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(FileExists("Images/Control/0.tif"));
  EXPECT_EQ(scene_->buffers.runVisibleSet[0], 1);
  EXPECT_EQ(scene_->buffers.runVisibleSet[6], 0);

  // Any other scene: the pixel-centre pass as a text list.
  scene_->loaded.dataset = dataset::kTrianglePair;
  scene_->buffers.drawFlags.assign(size_t(scene_->loaded.triangleCount), 1);
  Quiet([&] { scene_->AslControl(); });
  EXPECT_EQ(ReadText("ASL_Visibility/Whoknowswhat_control.txt"), "0\n1\n2\n3\n4\n5\n");
}

TEST_F(SceneAsl, PointSceneControlCastsSpheresOnTheFineGrid) {
  scene_->loaded.dataset = dataset::kWaterFlow;
  scene_->loaded.radius = 20;
  const float z = -3 * scene_->views.viewCamera->zNear;
  scene_->loaded.particleDrawState = std::make_unique<ParticleSet>();
  // Two visible points, one hidden right behind the first, one out of view.
  scene_->loaded.particleDrawState->positions = {
      {0, 0, z}, {300, 0, z}, {0, 0, z - 100}, {100000, 0, z}};
  scene_->loaded.particleDrawState->count = 4;
  scene_->loaded.triangleCount = 4;
  scene_->buffers.drawFlags.assign(4, 0);
  const std::string out = StdoutOf([&] { scene_->AslControl(); });
  EXPECT_NE(out.find("Radius is 20\n"), std::string::npos) << out;
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Fusion_asl_control_32.bin"), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(scene_->buffers.drawFlags, (std::vector<int32_t>{1, 1, 0, 0}));
  EXPECT_EQ(scene_->buffers.runVisibleSet, (VisibleSet{1, 1, 0, 0}));
}

TEST_F(SceneAsl, CitySecondViewUnitesTheStoredSets) {
  LoadMesh();
  scene_->loaded.dataset = dataset::kManhattan;
  scene_->views.viewNumber = 2;
  const std::string sets = FindDataset(dataset::kManhattan).storedSets.For(2).Path();
  MakeFolder(FolderOf(sets));
  WriteIdFile(Format(sets.c_str(), 1), {0, 1});
  WriteIdFile(Format(sets.c_str(), 3), {4});
  scene_->buffers.runVisibleSet.assign(size_t(scene_->loaded.triangleCount),
                                       1);  // cleared by the first
  Quiet([&] { scene_->Asl(); });
  EXPECT_EQ(scene_->buffers.runVisibleSet, (VisibleSet{1, 1, 0, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(scene_->buffers.sampleBuffer);  // nothing computed
  // The union reaches the view: its display draws the run's set.
  EXPECT_EQ(scene_->views.viewWindow->renderMode, render_mode::kGrass);
}

TEST_F(SceneAsl, ControlMakesTheBufferAtTheViewsSizeOnEveryScene) {
  for (int id : {int(dataset::kForest), int(dataset::kWtc), int(dataset::kGrassField),
                 int(dataset::kTrianglePair)}) {
    LoadMesh();
    scene_->buffers.sampleBuffer.reset();
    scene_->loaded.dataset = id;
    scene_->views.viewNumber = 1;
    Quiet([&] { scene_->AslControl(); });
    ASSERT_TRUE(scene_->buffers.sampleBuffer) << id;
    // A factor run afterwards keeps that size.
    Quiet([&] { scene_->AslWithFactor(2); });
    EXPECT_EQ(scene_->buffers.sampleBuffer->width, scene_->views.viewCamera->w) << id;
  }
  // The grass scene's control then shows only its visible triangles.
  EXPECT_EQ(scene_->views.viewWindow->renderMode, render_mode::kGrass);
}

// "Compare Accuracy": the background-only rendering against the item
// buffer. The depth pre-test passes everywhere (the cleared depth is not
// the zero of the compare buffer) and the item buffer's empty background
// is not the sky, so every pixel differs and is painted red.
TEST_F(SceneAsl, CompareRenderingsMarksEveryDifferingPixel) {
  LoadMesh();
  const std::string err = StderrOf([&] { scene_->CompareRenderings(); });
  const FrameBuffer& v = *scene_->views.viewWindow;
  const size_t n = size_t(v.w) * size_t(v.h);
  size_t red = 0;
  for (size_t k = 0; k < n; k++) red += v.pixels[k] == 0xff0000ffu;
  EXPECT_EQ(red, n);
  EXPECT_NE(err.find("OUTPUT test:\nDifferent sample count:" + std::to_string(n) + "\n"),
            std::string::npos)
      << err;
  EXPECT_EQ(v.renderMode, render_mode::kItemBufferSecond);
}
