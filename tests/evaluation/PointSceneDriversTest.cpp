// The point scenes' drivers with frames recorded instead of drawn: tables
// per step, the sets each image member draws and logs, the camera path and
// the refusals.
#include <gtest/gtest.h>

#include <sstream>

#include "PointSceneDrivers.h"
#include "SampleLocationBuffer.h"
#include "TestSupport.h"
#include "WorkFolders.h"

namespace {

bool Near(const Vex3_quarn& a, const Vex3_quarn& b) { return (a - b).Length() < 1e-5f; }

size_t Lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }

// A 64 x 48 view down -z; three states of four points: 0 rests in view, 1
// right behind it, 2 crosses the view over the two steps, 3 stays far out.
struct PointScene {
  ScratchDir dir;
  PPC cam{55, 64, 48};
  SampleLocationBuffer buffer{64, 48};
  std::vector<std::vector<Vex3_quarn>> states;
  std::vector<int32_t> flags;
  std::ostringstream out, err;
  PointSceneExperiment e;
  struct Drawn {
    Vex3_quarn eye, a;
    int state;
    double weight;
    std::vector<int32_t> mask;
    std::string image;
  };
  std::vector<Drawn> drawn;

  PointScene() {
    using layout::Folder;
    MakeFolders({layout::FolderName(Folder::kTables), layout::FolderName(Folder::kCombined),
                 layout::FolderName(Folder::kExperimentLogs)});
    buffer.SetCamera(cam);
    const float z = -100;
    for (int i = 0; i < 3; i++)
      states.push_back({{0, 0, z}, {0, 0, z - 30}, {-80.0f + 80 * i, 20, z}, {100000, 0, z}});
    for (const auto& s : states) e.run.frames.push_back({s.data(), 4});
    e.run.buffer = &buffer;
    e.run.radius = 5;
    e.run.drawFlags = &flags;
    e.run.out = &out;
    e.run.err = &err;
    e.viewCamera = &cam;
    e.drawFrame = [this](const PointFrame& f) {
      drawn.push_back({f.camera->eye, f.camera->a, f.state, f.weight, std::vector<int32_t>(f.mask, f.mask + 4),
                       f.image});
    };
  }
  std::vector<int32_t> TablePoints(const std::string& path) {
    std::unique_ptr<TriangleIntervalTable> t = Quiet([&] { return ReadIntervalTable(path); });
    std::vector<int32_t> ids;
    if (t)
      for (int32_t i = 0; i < t->triangleCount; i++)
        if (t->counts[size_t(i)] > 0) ids.push_back(i);
    return ids;
  }
};

}  // namespace

TEST(PointSceneDrivers, RunsWriteOneTablePerStepInFrameTime) {
  PointScene f;
  EXPECT_EQ(PointSceneRun(f.e.run, 0, 2), 2);
  EXPECT_NE(f.out.str().find("Processing 0 through 2\n"), std::string::npos);
  EXPECT_EQ(f.TablePoints("VisibilityTable/Fusion_0_1.bin"), (std::vector<int32_t>{0, 2}));
  std::unique_ptr<TriangleIntervalTable> t =
      Quiet([&] { return ReadIntervalTable("VisibilityTable/Fusion_1_2.bin"); });
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Intervals(0)[0].start, 1);
  EXPECT_EQ(t->Intervals(0)[0].end, 2);
  // The crossing point is in view at state 1 and leaves during step 1.
  EXPECT_GT(t->Intervals(2)[0].start, 1 - 1e-9);
  EXPECT_EQ(f.flags, (std::vector<int32_t>{1, 1, 1, 1}));

  PointRunWork work;
  EXPECT_EQ(CombinedRun(f.e.run, 1, 2, &work), 1);
  EXPECT_GT(work.samplesAdded, 0);
  EXPECT_NE(f.out.str().find("Processing from 1 to 2\n"), std::string::npos);
  EXPECT_EQ(f.TablePoints("VisibilityTable/Fusion_combined_1_2.bin"), (std::vector<int32_t>{0, 2}));
  EXPECT_FALSE(FileExists("VisibilityTable/Fusion_combined_0_1.bin"));

  // Reversed, empty or out of range: one line, nothing run.
  for (auto [a, b] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{-1, 1}, std::pair{0, 3}}) {
    f.err.str("");
    EXPECT_EQ(PointSceneRun(f.e.run, a, b), 0);
    EXPECT_EQ(Lines(f.err.str()), 1u) << a << " " << b;
  }
}

TEST(PointSceneDrivers, ImageMembersDrawTheirSetsAlongTheFlyThrough) {
  PointScene f;
  EXPECT_FALSE(CombinedImages(f.e));
  EXPECT_FALSE(PointSceneReplay(f.e));
  EXPECT_TRUE(f.drawn.empty());

  CombinedControl(f.e);
  // 45 frames per step and the last state.
  ASSERT_EQ(f.drawn.size(), 91u);
  // Zoomed, turned and back to the view.
  EXPECT_TRUE(Near(f.drawn.front().a, f.cam.a));
  EXPECT_TRUE(Near(f.drawn.back().a, f.cam.a));
  EXPECT_FALSE(Near(f.drawn[45].a, f.cam.a));
  EXPECT_EQ(f.drawn.back().state, 2);
  EXPECT_EQ(f.drawn.back().image, "Images/Control/90.tif");
  // Step 0's ends: point 2 out of view at state 0, in view at state 1.
  EXPECT_EQ(f.drawn[0].mask, (std::vector<int32_t>{1, 0, 1, 0}));
  const std::string control = ReadText("CombinedVisibility/Fusion_combined_control.txt");
  EXPECT_EQ(Lines(control), 91u);
  EXPECT_EQ(control.substr(0, control.find('\n')), "0:0,2,");

  f.drawn.clear();
  CombinedTruth(f.e);
  ASSERT_EQ(f.drawn.size(), 91u);
  EXPECT_EQ(f.drawn[0].mask, (std::vector<int32_t>{1, 0, 1, 0}));
  EXPECT_EQ(f.drawn[0].image, "Images/Truth/0.tif");
  EXPECT_EQ(Lines(ReadText("CombinedVisibility/Fusion_combined_truth.txt")), 91u);

  // The experiment's set of step 0 takes step 1's table into account.
  CombinedRun(f.e.run, 1, 2);
  f.drawn.clear();
  EXPECT_TRUE(CombinedImages(f.e));
  ASSERT_EQ(f.drawn.size(), 91u);
  EXPECT_EQ(f.drawn[0].mask, (std::vector<int32_t>{1, 0, 1, 0}));
  EXPECT_EQ(f.drawn[0].image, "Images/GFB_ASL/0.tif");
  const std::string exp = ReadText("CombinedVisibility/Fusion_combined_exp.txt");
  EXPECT_NE(exp.find("\n1:0,2,\n"), std::string::npos);

  // The replay: from the view camera, the points visible around each frame.
  PointSceneRun(f.e.run, 0, 2);
  f.drawn.clear();
  EXPECT_TRUE(PointSceneReplay(f.e));
  ASSERT_EQ(f.drawn.size(), 91u);
  for (const auto& d : f.drawn) EXPECT_EQ(d.a, f.cam.a);
  EXPECT_EQ(f.drawn[0].mask, (std::vector<int32_t>{1, 0, 0, 0}));
  EXPECT_EQ(f.drawn[45].mask, (std::vector<int32_t>{1, 0, 1, 0}));
  EXPECT_EQ(f.drawn[90].mask, (std::vector<int32_t>{1, 0, 0, 0}));
  EXPECT_EQ(f.drawn[90].image, "Images/GFB_result/90.tif");
  const std::string log = ReadText("SuperPixelResult/visibility_result.txt");
  EXPECT_EQ(log.substr(0, log.find('\n')), "0:0,");
  EXPECT_NE(f.out.str().find("Done with state 2/2\n"), std::string::npos);
}

TEST(PointSceneDrivers, TablesOfAnotherSceneAreNotUsed) {
  PointScene f;
  PointSceneRun(f.e.run, 0, 1);
  // The same step file for a scene of three points.
  for (auto& s : f.states) s.pop_back();
  for (auto& fr : f.e.run.frames) fr.count = 3;
  EXPECT_FALSE(PointSceneReplay(f.e));
  EXPECT_NE(f.err.str().find("holds 4 points, the scene 3"), std::string::npos) << f.err.str();
}
