// "Scene Setup" on the generated sample working directory: every catalogue
// entry loads what the generator wrote and draws, the per-entry rules, the
// refusals, the cache-first rule and the freeing of replaced scenes.
#include <FL/Fl.H>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "FrameBuffer.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneFixture.h"
#include "TestSupport.h"
#include "Workdir.h"

namespace {

class SceneSetupTest : public SharedScene<SceneSetupTest> {
 protected:
  static void SetUpTestSuite() {
    StartSuite([] {
      WorkdirOptions options;
      options.cgSource = WB_CG_SOURCE_DIR;
      manifest_ = new WorkdirManifest();
      ASSERT_TRUE(Quiet([&] { return MakeWorkdir(".", options, manifest_); }));
    });
  }
  static void TearDownTestSuite() {
    SharedScene::TearDownTestSuite();
    delete manifest_;
    manifest_ = nullptr;
  }
  void SetUp() override {
    SharedScene::SetUp();
    if (owner_ == nullptr) return;
    owner_->settings.movingCamera = 0;
    owner_->input = &input_;
  }

  // Runs Scene Setup for `sceneId`, returning standard output and error.
  Console RunSetup(int sceneId, int timeStamps, int segment = 1, const std::string& typed = "") {
    owner_->settings.sceneId = sceneId;
    input_.clear();
    input_.str(typed);
    return ConsoleOf([&] { owner_->SceneSetupPressed(segment, timeStamps); });
  }

  // Draws the view in `mode` and counts the pixels that are not the mode's
  // background.
  static size_t Drawn(int mode) {
    const uint32_t sky = 130u | 202u << 8 | 250u << 16 | 0xFFu << 24;
    namespace rm = render_mode;
    const uint32_t background =
        mode == rm::kVisibleSet || mode == rm::kPointFootage || mode == rm::kTid ? 0xFFFFFFFFu
        : mode == rm::kPoints || mode == rm::kFilled                             ? 0xFF000000u
                                                                                 : sky;
    FrameBuffer& v = *owner_->views.viewWindow;
    v.renderMode = mode;
    v.redraw();
    Fl::check();
    EXPECT_TRUE(v.CaptureColor());
    return size_t(std::count_if(v.pixels.begin(), v.pixels.end(),
                                [&](uint32_t p) { return p != background; }));
  }

  // The scene just set up draws in its setup mode and, unless it is a
  // point scene, in the panel's drawing modes, and the item buffer of
  // mode 1 holds triangles; every program the passes load compiles.
  static void ExpectDraws() {
    Scene& s = *owner_;
    const int setupMode = s.views.viewWindow->renderMode;
    const bool points = s.loaded.particleDrawState != nullptr;
    size_t setup = 0, point = 0, tid = 0, filled = 0, items = 0;
    const Console c = ConsoleOf([&] {
      s.settings.renderingFactor = 1;
      setup = Drawn(setupMode);
      if (!points) {
        point = Drawn(render_mode::kPoints);
        tid = Drawn(render_mode::kTid);
        filled = Drawn(render_mode::kFilled);
        Drawn(render_mode::kItemBuffer);
        items = size_t(std::count_if(s.buffers.itemBuffer.begin(), s.buffers.itemBuffer.end(),
                                     [](int32_t id) { return id >= 0; }));
      }
      s.settings.renderingFactor = 100;
    });
    EXPECT_GT(setup, 500u) << "mode " << setupMode;
    EXPECT_EQ(c.out.find("failed"), std::string::npos) << c.out;
    EXPECT_EQ(c.out.find("ERROR"), std::string::npos) << c.out;
    if (points) return;
    EXPECT_GT(point, 100u);
    EXPECT_GT(tid, 500u);
    EXPECT_GT(filled, 500u);
    EXPECT_GT(items, 500u);
  }
  static SceneCounts Counts(const std::string& key) { return manifest_->counts.at(key); }

  static inline WorkdirManifest* manifest_ = nullptr;
  std::istringstream input_;
};

struct Case {
  const char* key;  // manifest key
  int sceneId, timeStamps, moving, segment;
  const char* typed;
  int states;       // stateCount and loaded states after setup
  int sceneIdAfter;
  int renderMode;
};

const Case kCases[] = {
    {"Truck", 0, 2, 0, 1, "", 2, 4, 1},
    {"Truck_gfb", 10, 5, 0, 1, "", 5, 4, 1},
    {"Truck_gfb_step2", 11, 9, 0, 1, "", 4, 4, 1},
    {"WTC 911/0", 1, 2, 0, 0, "", 2, 1, 30010},
    {"WTC 911/1", 1, 2, 0, 1, "", 2, 1, 30010},
    {"WTC 911/8", 1, 2, 0, 8, "", 2, 1, 30010},
    {"Easy Plane", 2, 2, 0, 1, "", 2, 4, 10113},
    {"Moving Box", 3, 2, 0, 1, "", 20, 4, 10113},
    {"Moving Box", 3, 2, 1, 1, "", 3, 4, 10113},
    {"Triangle Pair", 4, 2, 0, 1, "", 2, 4, 10113},
    {"Water Flow", 5, 3, 0, 1, "", 3, 5, 10116},
    {"Fusion", 6, 8, 0, 1, "", 8, 5, 10116},
    {"RTI", 7, 2, 0, 1, "", 1, 7, 40000},
    {"RTI_Subdivided/1_2", 71, 2, 0, 1, "1 2", 1, 71, 40000},
    {"RTI_Subdivided/0_0", 71, 2, 1, 1, "0 0", 2, 71, 40000},
    {"Grass Field", 8, 2, 0, 1, "", 1, 8, 10001},
    {"Grass Field", 8, 2, 1, 1, "", 2, 8, 10001},
    {"Forest", 9, 2, 0, 1, "", 1, 9, 10001},
    {"Forest", 9, 2, 1, 1, "", 2, 9, 10001},
    {"Manhattan", 100, 2, 0, 1, "", 1, 100, 10001},
    {"Manhattan", 100, 2, 1, 1, "", 2, 100, 10001},
    {"Quarn Tree", 200, 2, 0, 1, "", 1, 0, 10001},
};

TEST_F(SceneSetupTest, EveryEntryLoadsWhatTheGeneratorWroteAndDraws) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.key << (c.moving ? " (moving camera)" : ""));
    owner_->settings.movingCamera = c.moving;
    const auto start = std::chrono::steady_clock::now();
    const Console con = RunSetup(c.sceneId, c.timeStamps, c.segment, c.typed);
    // For the record only: a first setup parses the text files.
    std::printf("%-22s %s %6.0f ms\n", c.key, c.moving ? "moving" : "      ",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    Scene& s = *owner_;
    const SceneCounts n = Counts(c.key);
    // Counts, scene number, render mode, and the window shown at (100, 100).
    EXPECT_EQ(
        (std::vector<int>{s.loaded.stateCount, s.settings.sceneId, s.views.viewWindow->renderMode,
                          s.loaded.triangleCount, int(s.buffers.drawFlags.size()),
                          s.views.viewWindow->x(), s.views.viewWindow->y()}),
        (std::vector<int>{c.states, c.sceneIdAfter, c.renderMode, n.triangles, n.triangles, 100,
                          100}));
    EXPECT_TRUE(s.views.viewWindow->shown());
    EXPECT_EQ(con.out.find("ERROR"), std::string::npos) << con.out;
    // Every catalogue scene once: without the moving camera, WTC segment 1.
    if (!c.moving && c.segment == 1) ExpectDraws();
    if (c.sceneId == 5 || c.sceneId == 6) {
      ASSERT_EQ(s.loaded.particleStates.size(), size_t(c.states));
      EXPECT_EQ(s.loaded.particleStates[0].count, n.vertices);
      EXPECT_EQ(s.buffers.pointIdBuffer.size(),
                size_t(s.views.viewCamera->w) * s.views.viewCamera->h);
      continue;
    }
    // Every state an operation may walk is loaded ("Moving Box" with the
    // moving camera keeps its 20 states for three keyframes).
    ASSERT_EQ(s.loaded.states.size(), size_t(c.sceneId == 3 ? 20 : c.states));
    ASSERT_NE(s.loaded.baseMesh, nullptr);
    EXPECT_EQ(s.loaded.baseMesh, &s.loaded.states[0]);
    EXPECT_EQ(s.loaded.baseMesh->vertexCount, n.vertices);
    // The console report of the counts.
    const std::string line = (c.sceneId == 8 || c.sceneId == 9 || c.sceneId == 100)
                                 ? "Loaded " + std::to_string(n.vertices) + " vertices and " +
                                       std::to_string(n.triangles) + " triangles\n"
                                 : "V: " + std::to_string(n.vertices) + "; T: " +
                                       std::to_string(n.triangles) + "\n";
    EXPECT_NE(con.out.find(line), std::string::npos) << con.out;
    // The view looks at the scene: most vertices of the first state project
    // into the image.
    const PPC& cam = *s.views.viewCamera;
    int inside = 0;
    for (const Vex3_quarn& p : s.loaded.baseMesh->positions) {
      const Vex3_quarn q = cam.invM * (p - cam.eye);
      inside += q.z > 0 && q.x / q.z >= 0 && q.x / q.z < cam.w && q.y / q.z >= 0 && q.y / q.z < cam.h;
    }
    EXPECT_GT(inside, s.loaded.baseMesh->vertexCount / 10);
  }
}

TEST_F(SceneSetupTest, StepTwoLoadsEverySecondFileAndWtcSegmentSixLoads28States) {
  Console c = RunSetup(11, 9);
  EXPECT_EQ(owner_->loaded.stateCount, 4);
  EXPECT_EQ(owner_->loaded.dataPath, "Geometry/truckGFB/state");
  EXPECT_NE(c.err.find("Load done: 42\nLoad done: 44\nLoad done: 46\n"), std::string::npos) << c.err;
  EXPECT_EQ(c.err.find("Load done: 41\n"), std::string::npos);

  c = RunSetup(1, 2, 6);
  EXPECT_EQ(owner_->loaded.states.size(), 28u);
  EXPECT_EQ(owner_->loaded.firstStateNumber, 66);
  EXPECT_EQ(owner_->loaded.lastState, 27);
  EXPECT_NE(c.err.find("Load done: 67\n"), std::string::npos);
  EXPECT_NE(c.err.find("Load done: 93\n"), std::string::npos);
  EXPECT_EQ(owner_->loaded.drawMesh, owner_->loaded.baseMesh);
  EXPECT_NE(c.out.find("Done load geometry."), std::string::npos);
  EXPECT_EQ(owner_->views.viewNumber, 2);
}

// The liveness file, the records and the keyframed trajectories of the
// animated entries.
TEST_F(SceneSetupTest, AnimatedEntriesWriteLivenessAndBuildTrajectories) {
  auto lines = [](const std::string& path) {
    std::istringstream in(ReadText(path));
    return std::vector<int>(std::istream_iterator<int>(in), {});
  };
  RunSetup(10, 3);
  std::vector<int> live = lines("Geometry/truck/stateliveness.txt");
  ASSERT_EQ(live.size(), size_t(owner_->loaded.triangleCount));
  EXPECT_EQ(*std::max_element(live.begin(), live.end()), 3);
  const KeyframeTrajectories* record = owner_->loaded.trajectories.get();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->keyframeCount, 3);
  EXPECT_EQ(owner_->buffers.drawFlags, record->goodTriangles);
  EXPECT_EQ(owner_->settings.holdTrajectory, 0);
  EXPECT_TRUE(FileExists("VisibilityRecord/DegenTriangleRecord.txt"));
  EXPECT_TRUE(FileExists("VisibilityRecord/DyingTriangleRecord.txt"));

  // The same scene again keeps its record.
  RunSetup(10, 3);
  EXPECT_EQ(owner_->loaded.trajectories.get(), record);

  // More states: the file written for three is replaced, and bricks that
  // fall off die before the last state.
  const Console c = RunSetup(10, 30);
  EXPECT_NE(c.err.find("does not match the loaded states"), std::string::npos);
  live = lines("Geometry/truck/stateliveness.txt");
  EXPECT_EQ(*std::max_element(live.begin(), live.end()), 30);
  EXPECT_LT(*std::min_element(live.begin(), live.end()), 30);
  EXPECT_EQ(owner_->loaded.trajectories->keyframeCount, 30);
  EXPECT_EQ(owner_->loaded.trajectories->lastKeyframe[size_t(owner_->loaded.triangleCount) - 1],
            live.back() - 1);

  // Another scene gets its own record.
  owner_->settings.movingCamera = 1;
  RunSetup(3, 2);
  EXPECT_EQ(owner_->loaded.trajectories->keyframeCount, 3);
  EXPECT_EQ(owner_->loaded.trajectories->triangleCount, owner_->loaded.triangleCount);
  EXPECT_EQ(owner_->views.pathCameras.size(), 3u);
}

TEST_F(SceneSetupTest, ManhattanWithTheMovingCameraReadsItsSamples) {
  owner_->settings.movingCamera = 1;
  RunSetup(100, 2);
  ASSERT_NE(owner_->buffers.sampleBuffer, nullptr);
  std::ostringstream report;
  EXPECT_EQ(owner_->buffers.sampleBuffer->ReportStatistics(report).maxCount, 2);
  EXPECT_NE(owner_->loaded.drawMesh, owner_->loaded.baseMesh);
  EXPECT_EQ(owner_->loaded.states[1].triangleCount, owner_->loaded.triangleCount);
}

TEST_F(SceneSetupTest, RefusedRequestsLoadNothing) {
  RunSetup(3, 2);  // Moving Box stays loaded through every refusal
  const ObjLoader* before = owner_->loaded.baseMesh;
  const struct {
    int sceneId, timeStamps, segment;
    const char* typed;
    const char* message;
  } refusals[] = {
      {1, 2, 10, "", "has no segment 10"},
      {1, 2, -1, "", "has no segment -1"},
      {0, 3, 1, "", "must be 2"},
      {10, 1, 1, "", "must be 2 or more"},
      {11, 3, 1, "", "must be 4 or more"},
      {5, 1, 1, "", "must be 2 or more"},
      {71, 2, 1, "3 0", "has no cell 3 0"},
      {71, 2, 1, "x", "needs two integers"},
      {10, 40, 1, "", "missing file Geometry/truck/state072.obj"},
      {77, 2, 1, "", "not in the catalogue"},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.message);
    const Console c = RunSetup(r.sceneId, r.timeStamps, r.segment, r.typed);
    EXPECT_NE(c.err.find(r.message), std::string::npos) << c.err;
    EXPECT_EQ(owner_->loaded.baseMesh, before);
    EXPECT_EQ(owner_->loaded.stateCount, 20);
    EXPECT_EQ(owner_->loaded.states.size(), 20u);
  }
  // A missing camera file is reported with its path, too.
  ASSERT_EQ(std::rename("Views/Final_views/Forest_final.ppc", "forest.ppc"), 0);
  const Console c = RunSetup(9, 2);
  EXPECT_NE(c.err.find("missing file Views/Final_views/Forest_final.ppc"), std::string::npos);
  EXPECT_EQ(owner_->loaded.baseMesh, before);
  ASSERT_EQ(std::rename("forest.ppc", "Views/Final_views/Forest_final.ppc"), 0);
}

// An edited state file wins over the cache written before the edit: the
// cache is rebuilt, with one line saying so.
TEST_F(SceneSetupTest, EditedStateFilesRebuildTheirCache) {
  RunSetup(0, 2);
  const Vex3_quarn first = owner_->loaded.states[1].positions[0];
  // Move every vertex of the second state's text file.
  std::ifstream in("Geometry/truck/state001.obj");
  std::ostringstream moved;
  for (std::string line; std::getline(in, line);) {
    float x, y, z;
    if (std::sscanf(line.c_str(), "v %f %f %f", &x, &y, &z) == 3)
      moved << "v " << x + 1000 << " " << y << " " << z << "\n";
    else
      moved << line << "\n";
  }
  in.close();
  const std::string original = ReadText("Geometry/truck/state001.obj");
  // The edit comes after the cache (file times can be coarser than the
  // time a test takes, so the cache is dated back).
  auto edit = [](const std::string& text) {
    namespace fs = std::filesystem;
    std::ofstream("Geometry/truck/state001.obj") << text;
    fs::last_write_time("Geometry/truck/state001.obj.rdd",
                        fs::last_write_time("Geometry/truck/state001.obj") - std::chrono::seconds(2));
  };
  edit(moved.str());

  Console c = RunSetup(0, 2);
  EXPECT_NEAR(owner_->loaded.states[1].positions[0].x, first.x + 1000, 0.01);  // the edit
  EXPECT_NE(c.err.find("INFO: Geometry/truck/state001.obj.rdd is older than "
                       "Geometry/truck/state001.obj; rebuilding it\n"),
            std::string::npos)
      << c.err;
  c = RunSetup(0, 2);
  EXPECT_EQ(c.err.find("rebuilding"), std::string::npos);  // the rebuilt cache stands
  EXPECT_NEAR(owner_->loaded.states[1].positions[0].x, first.x + 1000, 0.01);
  edit(original);
  RunSetup(0, 2);
  EXPECT_EQ(owner_->loaded.states[1].positions[0], first);
}

// Files that would give a scene with nothing to see, or a camera no view
// can have, are refused at Scene Setup with one line naming the file and
// what is wrong, and the previous scene and camera stay.
TEST_F(SceneSetupTest, StatesWithoutTrianglesAndImpossibleCamerasAreRefused) {
  RunSetup(3, 2);  // Moving Box stays loaded through every refusal
  const ObjLoader* before = owner_->loaded.baseMesh;
  const PPC camera = *owner_->views.viewCamera;
  auto expectKept = [&] {
    EXPECT_EQ(owner_->loaded.baseMesh, before);
    EXPECT_EQ(owner_->loaded.states.size(), 20u);
    EXPECT_EQ(owner_->loaded.stateCount, 20);
    EXPECT_EQ(owner_->views.viewCamera->w, camera.w);
    EXPECT_EQ(owner_->views.viewCamera->eye, camera.eye);
  };
  const std::string quad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
  const struct {
    const char* file;
    std::string text;
    const char* message;
  } states[] = {
      {"Geometry/TrianglePair/state000.obj", "o Pair\n" + quad + "usemtl Material\nf 1 2 3 4\n",
       "ERROR: Geometry/TrianglePair/state000.obj: no triangle to load: 1 face line (the first on "
       "line 7) come before any group line, and an \"o\" line starts no group"},
      {"Geometry/TrianglePair/state000.obj", quad + "g solid\nf 1 2 3 4\n",
       "ERROR: Geometry/TrianglePair/state000.obj:6: group line without its usemtl line"},
      {"Geometry/TrianglePair/state001.obj", "",
       "ERROR: Geometry/TrianglePair/state001.obj: no triangle to load: it holds no vertex (an empty "
       "state)"},
  };
  // A write after the cache (dated back: file times can be coarse).
  auto write = [](const std::string& file, const std::string& text) {
    namespace fs = std::filesystem;
    WriteText(file, text);
    if (FileExists(file + ".rdd"))
      fs::last_write_time(file + ".rdd", fs::last_write_time(file) - std::chrono::seconds(2));
  };
  for (const auto& st : states) {
    SCOPED_TRACE(st.message);
    const std::string original = ReadText(st.file);
    write(st.file, st.text);
    const Console c = RunSetup(4, 2);
    EXPECT_NE(c.err.find(st.message), std::string::npos) << c.err;
    EXPECT_NE(c.err.find("the previous scene stays loaded"), std::string::npos);
    EXPECT_EQ(c.out.find("V: "), std::string::npos);
    expectKept();
    EXPECT_FALSE(FileExists(std::string(st.file) + ".rdd") &&
                 ReadBytes(std::string(st.file) + ".rdd").size() <= 12u);  // no empty cache
    write(st.file, original);
  }

  // A flagged mesh without triangles: one vertex, flags 'y' 'n' 'n' 'n'.
  {
    const std::string tree = "Geometry/QUARNTree/tree1.bin";
    const std::vector<char> original = ReadBytes(tree);
    std::vector<char> bytes = {1, 0, 0, 0, 'y', 'n', 'n', 'n'};
    bytes.resize(bytes.size() + 12 + 4, 0);
    WriteBytes(tree, bytes);
    const Console c = RunSetup(200, 2);
    EXPECT_NE(c.err.find("ERROR: Scene Setup: " + tree + " yields no triangle; nothing loaded"),
              std::string::npos)
        << c.err;
    expectKept();
    WriteBytes(tree, original);
  }

  const std::string cameraFile = "Views/Truck_default.ppc";
  const std::string original = ReadText(cameraFile);
  const std::string plane = "1 0 0 0 -1 0 -640 360 -700 ";
  const std::pair<std::string, const char*> cameras[] = {
      {plane + "0 -3000 500 200000 200000 10 100000", "width 200000 is outside 1 to 16384"},
      {plane + "0 -3000 500 0 0 10 100000", "width 0 is outside 1 to 16384"},
      {plane + "0 -3000 500 1280 720 1000 1", "near distance 1000 and far distance 1"},
      {"1 0 0 0 -1 0 -640 nan -700 0 -3000 500 1280 720 10 100000", "corner y is nan"},
  };
  for (const auto& [text, what] : cameras) {
    SCOPED_TRACE(what);
    WriteText(cameraFile, text);
    const Console c = RunSetup(10, 2);
    EXPECT_NE(c.err.find("ERROR: camera file " + cameraFile + ": " + what), std::string::npos) << c.err;
    expectKept();
  }
  WriteText(cameraFile, original);
  RunSetup(10, 2);
  EXPECT_EQ(owner_->loaded.stateCount, 2);
}

// Scene Setup reports through the scene's streams only, so a script or a
// test can capture every line of it.
TEST_F(SceneSetupTest, ReportsGoToTheScenesStreams) {
  std::ostringstream out, err;
  owner_->output = &out;
  owner_->errors = &err;
  Console c;
  for (const Case& k : {kCases[1], kCases[3], kCases[10], kCases[15], kCases[17], kCases[21]}) {
    SCOPED_TRACE(k.key);
    owner_->settings.movingCamera = k.moving;
    c = RunSetup(k.sceneId, k.timeStamps, k.segment, k.typed);
    EXPECT_EQ(c.out + c.err, "");
  }
  owner_->output = &std::cout;
  owner_->errors = &std::cerr;
  EXPECT_NE(out.str().find("V: "), std::string::npos);
  EXPECT_NE(out.str().find("Loaded "), std::string::npos);
  EXPECT_NE(err.str().find("Load done: "), std::string::npos);
}

TEST_F(SceneSetupTest, ReplacedScenesAreFreed) {
  // The meadow takes about ten megabytes; five setups keep one of them.
  RunSetup(8, 2);
  RunSetup(8, 2);
  const size_t after2 = mallinfo2().uordblks;
  for (int i = 0; i < 3; i++) RunSetup(8, 2);
  const size_t after5 = mallinfo2().uordblks;
  EXPECT_LT(after5, after2 + 1024 * 1024);
}

}  // namespace

// The comparison buttons on the files the generator wrote: every report is
// written and nothing is refused.
TEST_F(SceneSetupTest, ComparisonsRunOnTheSampleResults) {
  const Console c = ConsoleOf([&] {
    owner_->CompareLogs();
    owner_->CompareImageSequences();
    owner_->MakeErrorImages();
  });
  EXPECT_EQ(c.err.find("ERROR"), std::string::npos) << c.err;
  EXPECT_NE(c.out.find("INFO: red pixesls in Images/Forest/SuperPixel/Control_wError/:"),
            std::string::npos);
  for (const char* f : {"VisibilityRecord/GFB_A_vs_B_overall.txt",
                        "VisibilityRecord/GFB_A_vs_B_perStep.txt",
                        "Images/Forest/SuperPixel/Trial.txt", "Process/RTI/Step2_grayQuarn.tif",
                        "Process/WTC/reverse/31X31_intensify.tif"})
    EXPECT_TRUE(FileExists(f)) << f;
}
