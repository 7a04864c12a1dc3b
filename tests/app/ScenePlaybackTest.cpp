// Playback, the truth, the terrain tools and the result display on the
// generated sample scenes (truck, points, terrain) and on a small mesh.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneFixture.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "VisibleSet.h"
#include "Workdir.h"

namespace {

class ScenePlayback : public SharedScene<ScenePlayback> {
 protected:
  static void SetUpTestSuite() {
    StartSuite([] {
      WorkdirOptions options;
      options.cgSource = WB_CG_SOURCE_DIR;
      options.only = {"truck", "points", "terrain"};
      ASSERT_TRUE(Quiet([&] { return MakeWorkdir(".", options); }));
    });
  }
  static Console RunSetup(int sceneId, int timeStamps) {
    owner_->settings.sceneId = sceneId;
    return ConsoleOf([&] { owner_->SceneSetupPressed(1, timeStamps); });
  }
  static int Lines(const std::string& path) {
    const std::string t = ReadText(path);
    return int(std::count(t.begin(), t.end(), '\n'));
  }
};

}  // namespace

TEST_F(ScenePlayback, MeshPlayWrites20FramesAndLeavesTheStatesAsLoaded) {
  RunSetup(dataset::kTruckGfb, 2);
  Scene& s = *owner_;
  ASSERT_EQ(s.loaded.states.size(), 2u);
  const std::vector<Vex3_quarn> first = s.loaded.states[0].positions;
  std::remove("Images/Truth/20.tif");
  const Console c = ConsoleOf([&] { s.Play(); });
  EXPECT_EQ(c.err.find("ERROR"), std::string::npos) << c.err;
  EXPECT_TRUE(FileExists("Images/Truth/0.tif"));
  EXPECT_TRUE(FileExists("Images/Truth/19.tif"));
  EXPECT_FALSE(FileExists("Images/Truth/20.tif"));
  EXPECT_TRUE(s.loaded.states[0].positions == first);
  EXPECT_EQ(s.settings.frustumCulling, 0);
  EXPECT_EQ(s.views.frameSteps, 20);

  // "Total Time Stamps" beyond the loaded states is refused.
  s.loaded.stateCount = 3;
  EXPECT_NE(StdoutOf([&] { s.Play(); }).find("\"Play\": refused"), std::string::npos);
  s.loaded.stateCount = 2;
  s.settings.frustumCulling = 1;
}

TEST_F(ScenePlayback, ReplayOfTheStoredTableLogsEachMoment) {
  RunSetup(dataset::kTruckGfb, 2);
  Scene& s = *owner_;
  const Console c = ConsoleOf([&] { s.PlayVisibleTriangles(); });
  EXPECT_EQ(Lines("SuperPixelResult/visibility_result.txt"), 200) << c.out << c.err;
  EXPECT_NE(c.out.find("Done with state 0.995/1\n"), std::string::npos);
  EXPECT_EQ(s.views.viewWindow->renderMode, render_mode::kGrass);
  EXPECT_GT(std::count(s.buffers.runVisibleSet.begin(), s.buffers.runVisibleSet.end(), 1), 10);
}

TEST_F(ScenePlayback, PointPlayOfThreeStatesWrites91Frames) {
  RunSetup(dataset::kWaterFlow, 3);
  Scene& s = *owner_;
  ASSERT_EQ(s.loaded.particleStates.size(), 3u);
  std::remove("Images/Truth/91.tif");
  const Console c = ConsoleOf([&] { s.Play(); });
  EXPECT_TRUE(FileExists("Images/Truth/90.tif"));
  EXPECT_FALSE(FileExists("Images/Truth/91.tif"));
  EXPECT_EQ(Lines("VisibilityRecord/Fusion.txt"), 90);
  EXPECT_EQ(ReadText("VisibilityRecord/Fusion.txt").rfind("State 0:", 0), 0u);
}

TEST_F(ScenePlayback, SwitchTwiceRestoresTheLists) {
  RunSetup(dataset::kTruckGfb, 2);
  Scene& s = *owner_;
  EXPECT_EQ(StdoutOf([&] { s.SwitchTriangleLists(); }), "");  // no pair: nothing happens
  ObjLoader& m = *s.loaded.drawMesh;
  const std::vector<uint32_t> full0 = m.groupTriangles[0];
  const int32_t fullCount = m.triangleCount;
  std::vector<int32_t> mask(size_t(m.IdCount()), 0);
  for (size_t i = 0; i < mask.size(); i += 3) mask[i] = 1;
  s.ShowOnlyMasked(mask);
  const int32_t reduced = m.triangleCount;
  EXPECT_LT(reduced, fullCount);
  s.SwitchTriangleLists();
  EXPECT_EQ(m.triangleCount, fullCount);
  EXPECT_EQ(m.groupTriangles[0], full0);
  s.SwitchTriangleLists();
  EXPECT_EQ(m.triangleCount, reduced);
  s.SwitchTriangleLists();
  EXPECT_EQ(m.groupTriangles[0], full0);
  // A new setup drops the pair.
  RunSetup(dataset::kTruckGfb, 2);
  EXPECT_FALSE(s.loaded.alternativeLists.held);
}

TEST_F(ScenePlayback, TerrainToolsLoadAndConvertTheTileLists) {
  RunSetup(dataset::kRti, 2);
  Scene& s = *owner_;
  const std::string all = StdoutOf([&] { s.LoadVisibility(0); });
  EXPECT_EQ(all, std::to_string(s.loaded.triangleCount) + " tiangles visibile\n");
  const std::string asl = StdoutOf([&] { s.LoadVisibility(1); });
  const int64_t aslCount = std::count(s.buffers.drawFlags.begin(), s.buffers.drawFlags.end(), 1);
  EXPECT_EQ(asl, std::to_string(aslCount) + " tiangles visibile\n");
  EXPECT_GT(aslCount, 1000);
  EXPECT_LT(aslCount, s.loaded.triangleCount);

  // The text lists converted give the same binary lists.
  for (const std::string& f : {std::string("ASL_Visibility/RTI_ASL/RTI_1_3_bin.txt"),
                               std::string("ASL_Visibility/RTI_Control/RTI_Control_160X_0_0_bin.txt")})
    std::remove(f.c_str());
  const std::string converted = StdoutOf([&] { s.ConvertFileformat(); });
  EXPECT_EQ(std::count(converted.begin(), converted.end(), '\n'), 9) << converted;
  EXPECT_EQ(StdoutOf([&] { s.LoadVisibility(1); }), asl);
  const std::string control = StdoutOf([&] { s.LoadVisibility(2); });
  EXPECT_EQ(control,
            std::to_string(std::count(s.buffers.drawFlags.begin(), s.buffers.drawFlags.end(), 1)) +
                " tiangles visibile\n");
  EXPECT_NE(StdoutOf([&] { s.LoadVisibility(3); }).find("unknown source 3"), std::string::npos);

  // The tile is the panel's: column 2 does not exist.
  s.settings.tileColumn = 2;
  s.settings.tileRow = 0;
  EXPECT_NE(StdoutOf([&] { s.Asl(); }).find("tile column 2 and row 0 refused"), std::string::npos);
  s.settings.tileColumn = 1;
  s.settings.tileRow = 3;
  const Console run = ConsoleOf([&] { s.Asl(); });
  EXPECT_TRUE(FileExists("ASL_Visibility/RTI_ASL_exp_45DegreeView_1_3.bin")) << run.out;
  EXPECT_NE(run.err.find("INFO: sls per pixel: min: 1"), std::string::npos) << run.err;
  EXPECT_EQ(s.views.viewWindow->renderMode, render_mode::kGrass);
}

namespace {

// Two quads, one hiding the other, in front of the view camera.
void HiddenPair(Scene& s, ObjLoader& mesh) {
  const float z = -3 * s.views.viewCamera->zNear;
  auto quad = [&](float depth) {
    const Vex3_quarn a(-100, -100, depth), b(100, -100, depth), c(100, 100, depth),
        d(-100, 100, depth);
    return std::vector<std::array<Vex3_quarn, 3>>{{a, b, c}, {a, c, d}};
  };
  std::vector<std::array<Vex3_quarn, 3>> tris = quad(z);
  for (auto& t : quad(z - 50)) tris.push_back(t);
  BuildMesh(mesh, {tris});
  s.loaded.states.clear();
  s.loaded.baseMesh = s.loaded.drawMesh = &mesh;
  s.loaded.ownDrawMesh.reset();
  s.loaded.triangleCount = mesh.IdCount();
  s.buffers.drawFlags.assign(size_t(s.loaded.triangleCount), 1);
  s.buffers.runVisibleSet.assign(size_t(s.loaded.triangleCount), 0);
  s.loaded.dataset = dataset::kTrianglePair;
}

int64_t Ids(Scene& s, int32_t id) {
  s.views.viewWindow->renderMode = render_mode::kItemBuffer;
  s.RedrawView();
  return std::count(s.buffers.itemBuffer.begin(), s.buffers.itemBuffer.end(), id);
}

}  // namespace

TEST_F(ScenePlayback, TheResultViewDrawsOnlyTheRunsSet) {
  Scene& s = *owner_;
  ObjLoader mesh;
  HiddenPair(s, mesh);
  s.views.viewCamera->PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
  s.ShowVisibleSet();
  const uint32_t sky = 130u | 202u << 8 | 250u << 16 | 0xFFu << 24;
  auto drawn = [&] {
    EXPECT_TRUE(s.views.viewWindow->CaptureColor());
    return std::count_if(s.views.viewWindow->pixels.begin(), s.views.viewWindow->pixels.end(),
                         [&](uint32_t p) { return p != sky; });
  };
  EXPECT_EQ(drawn(), 0);  // nothing in the set, nothing drawn
  s.buffers.runVisibleSet = {0, 0, 1, 1};  // only the hidden quad
  EXPECT_GT(drawn(), 1000);
  s.loaded.states.clear();
  s.loaded.baseMesh = s.loaded.drawMesh = nullptr;
}

TEST_F(ScenePlayback, TruthFirstLineIsTheViewCamerasItemBuffer) {
  Scene& s = *owner_;
  ObjLoader mesh;
  HiddenPair(s, mesh);
  // The truth renders the current state: make it the pair.
  s.loaded.states = std::vector<ObjLoader>(1);
  std::vector<std::array<Vex3_quarn, 3>> tris;
  for (int32_t id = 0; id < mesh.IdCount(); id++) {
    Vex3_quarn p[3];
    mesh.TrianglePositions(id, p);
    tris.push_back({p[0], p[1], p[2]});
  }
  BuildMesh(s.loaded.states[0], {tris});
  s.loaded.baseMesh = s.loaded.drawMesh = &s.loaded.states[0];
  s.loaded.stateCount = 1;
  s.views.currentState = 0;
  s.views.viewCamera->PositionAndOrient({30, 0, 0}, {0.1f, 0, -1}, {0, 1, 0});
  const PPC view = *s.views.viewCamera;
  // The whole path's 1000 views are counted by the driver's test; here the
  // views as the window draws them.
  s.views.truthViews = 3;
  const Console c = ConsoleOf([&] { s.TruthRun(); });
  s.views.truthViews = -1;
  EXPECT_EQ(Lines("ASL_Visibility/RTI_truth_1000.txt"), 3) << c.out;
  EXPECT_TRUE(FileExists("Images/Truth/2.tif"));
  EXPECT_EQ(s.views.viewCamera->eye, view.eye);

  ASSERT_GT(Ids(s, 0) + Ids(s, 1), 1000);
  std::vector<int32_t> seen(4, 0);
  for (int32_t id : s.buffers.itemBuffer)
    if (id >= 0 && id < 4) seen[size_t(id)] = 1;
  std::ostringstream line;
  WriteVisibilityLine(line, "0", seen.data(), 4);
  const std::string text = ReadText("ASL_Visibility/RTI_truth_1000.txt");
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), line.str());
  EXPECT_EQ(line.str(), "0:0,\n");  // the pair's first triangle fills the view
  s.loaded.states.clear();
  s.loaded.baseMesh = s.loaded.drawMesh = nullptr;
  s.loaded.stateCount = 0;
}

TEST_F(ScenePlayback, SoftwareRasterModeWritesItsImage) {
  RunSetup(dataset::kRti, 2);
  Scene& s = *owner_;
  std::remove("Images/RasterSW.tif");
  const Console c = ConsoleOf([&] { s.SetDrawingMode(render_mode::kFilledSoftware); });
  EXPECT_TRUE(FileExists("Images/RasterSW.tif"));
  EXPECT_NE(c.out.find(" processed"), std::string::npos);
  EXPECT_NE(c.err.find("INFO: sls per pixel"), std::string::npos);
  const int64_t coloured =
      std::count_if(s.views.viewWindow->pixels.begin(), s.views.viewWindow->pixels.end(),
                    [](uint32_t p) { return (p & 0xffffffu) != 0; });
  EXPECT_GT(coloured, 100000);
}

namespace {

// What a refused operation must leave as it was.
struct SceneState {
  ObjLoader* drawMesh;
  ObjLoader* ownDrawMesh;
  ObjLoader* playbackState;
  const SampleLocationBuffer* sampleBuffer;
  int32_t baseTriangles, drawnTriangles;
  int frustumCulling, renderMode;
  bool keepsFull;
  std::vector<int32_t> drawFlags, runVisibleSet;
  Vex3_quarn eye;
  explicit SceneState(const Scene& s)
      : drawMesh(s.loaded.drawMesh),
        ownDrawMesh(s.loaded.ownDrawMesh.get()),
        playbackState(s.views.playbackState),
        sampleBuffer(s.buffers.sampleBuffer.get()),
        baseTriangles(s.loaded.baseMesh->triangleCount),
        drawnTriangles(s.loaded.drawMesh->triangleCount),
        frustumCulling(s.settings.frustumCulling),
        renderMode(s.views.viewWindow->renderMode),
        keepsFull(s.loaded.alternativeLists.keepsFull),
        drawFlags(s.buffers.drawFlags),
        runVisibleSet(s.buffers.runVisibleSet),
        eye(s.views.viewCamera->eye) {}
  bool operator==(const SceneState& o) const {
    return drawMesh == o.drawMesh && ownDrawMesh == o.ownDrawMesh &&
           playbackState == o.playbackState && sampleBuffer == o.sampleBuffer &&
           baseTriangles == o.baseTriangles && drawnTriangles == o.drawnTriangles &&
           frustumCulling == o.frustumCulling && renderMode == o.renderMode &&
           keepsFull == o.keepsFull && drawFlags == o.drawFlags &&
           runVisibleSet == o.runVisibleSet && eye == o.eye;
  }
};

}  // namespace

// On a scene of one state the playbacks and the reference refuse; a refusal
// comes before any change, so the footage's reduced lists, "SWITCH!" and
// the evaluation that follows still see the scene as the footage left it.
TEST_F(ScenePlayback, RefusedOperationsLeaveTheSceneAsItWas) {
  RunSetup(dataset::kRti, 2);
  Scene& s = *owner_;
  ASSERT_EQ(s.loaded.states.size(), 1u);
  ASSERT_EQ(s.loaded.drawMesh, s.loaded.baseMesh);
  // What "Make 2013 Footage!" leaves: the base mesh drawn with the lists of
  // its set, the full lists kept.
  const int32_t full = s.loaded.baseMesh->triangleCount;
  std::vector<int32_t> mask(size_t(s.loaded.triangleCount), 0);
  for (size_t i = 0; i < mask.size(); i += 2) mask[i] = 1;
  s.ShowOnlyMasked(mask);
  ASSERT_LT(s.loaded.baseMesh->triangleCount, full);
  s.buffers.sampleBuffer.reset();
  s.settings.frustumCulling = 1;

  const SceneState before(s);
  const std::pair<const char*, std::function<void()>> refused[] = {
      {"\"Play\": refused", [&] { s.Play(); }},
      {"\"control\": needs a scene of at least two states", [&] { s.ControlRun(); }},
      {"\"Play Visible triangles\"", [&] { s.PlayVisibleTriangles(); }},
      {"\"Make 2013 Footage!\": Type ID 5 refused", [&] { s.MakeFootagePressed(1, 5); }},
      {"\"Evaluate Error 2013\": Type ID 0 refused",
       [&] { s.EvaluateFootageErrorPressed(1, 0); }},
  };
  for (const auto& [line, press] : refused) {
    const Console c = ConsoleOf(press);
    EXPECT_NE(c.out.find(line), std::string::npos) << c.out << c.err;
    EXPECT_TRUE(SceneState(s) == before) << line;
  }

  // "SWITCH!" gives the drawn base mesh its full lists back.
  s.SwitchTriangleLists();
  EXPECT_EQ(s.loaded.drawMesh, s.loaded.baseMesh);
  EXPECT_EQ(s.loaded.baseMesh->triangleCount, full);
  s.SwitchTriangleLists();
  EXPECT_LT(s.loaded.baseMesh->triangleCount, full);
}
