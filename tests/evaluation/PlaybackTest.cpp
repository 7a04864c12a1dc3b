// The playback drivers with the view window replaced by callbacks that
// record what they were asked: frame counts and names, the logs, the
// refusals, and the positions each replayed moment draws.
#include <gtest/gtest.h>

#include <sstream>

#include "IntervalTable.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Playback.h"
#include "ScratchDir.h"
#include "SceneNumbers.h"
#include "TestSupport.h"
#include "TriangleSoup.h"

namespace {

struct Recorder {
  std::vector<int> modes;
  std::vector<std::string> saved;
  int redraws = 0;
  std::function<void()> onDraw;
  PlaybackView View() {
    PlaybackView v;
    v.setMode = [this](int m) { modes.push_back(m); };
    v.redraw = [this] {
      redraws++;
      if (onDraw) onDraw();
    };
    v.redrawAndSave = [this](const std::string& p) {
      saved.push_back(p);
      if (onDraw) onDraw();
    };
    return v;
  }
};

std::vector<std::string> Frames(const std::string& folder, int n) {
  std::vector<std::string> names;
  for (int i = 0; i < n; i++) names.push_back(folder + std::to_string(i) + ".tif");
  return names;
}

// Two triangles, the second state moved by `shift` along x.
void States(std::vector<ObjLoader>& states, int count) {
  states = std::vector<ObjLoader>(size_t(count));
  for (int s = 0; s < count; s++) {
    const float x = 10.0f * s;
    BuildMesh(states[size_t(s)], {{{Vex3_quarn(x, 0, 0), Vex3_quarn(x + 1, 0, 0),
                                    Vex3_quarn(x, 1, 0)},
                                   {Vex3_quarn(x, 0, 1), Vex3_quarn(x + 1, 0, 1),
                                    Vex3_quarn(x, 1, 1)}}});
  }
}

void WriteTable(const std::string& path, int32_t n,
                const std::vector<std::tuple<int32_t, double, double>>& intervals) {
  IntervalTableBuilder b(n);
  for (auto& [t, s, e] : intervals) b.Count(uint32_t(t));
  b.Allocate();
  for (auto& [t, s, e] : intervals) b.Append(uint32_t(t), s, e);
  ASSERT_TRUE(WriteIntervalTable(*b.Finish(), path));
}

}  // namespace

TEST(Playback, FramesPerIntervalFollowTheDoubleSum) {
  EXPECT_EQ(FramesPerInterval(kPointFrameSteps), 45);
  EXPECT_EQ(FramesPerInterval(kMeshFrameSteps), 20);
  EXPECT_EQ(FramesPerInterval(200), 200);
}

TEST(Playback, PointSceneOfThreeStatesWrites91FramesAndLogsEachIdOnce) {
  ScratchDir dir;
  std::vector<ParticleSet> states(3);
  for (int s = 0; s < 3; s++)
    states[size_t(s)].positions = {Vex3_quarn(float(s), 0, 0), Vex3_quarn(float(s), 1, 0),
                                   Vex3_quarn(float(s), 2, 0)};
  ParticleSet drawn;
  std::vector<int32_t> ids = {-1, 2, 0, 2, 7};  // 7 lies beyond the flags
  std::vector<int32_t> flags;
  double interpolation = 0;
  int current = 5, steps = 0;
  Recorder rec;
  PointPlayback p;
  p.stateCount = 3;
  p.states = &states;
  p.drawn = &drawn;
  // Each redraw may move the buffer: the ids are asked anew every frame.
  int asked = 0;
  p.pointIds = [&](size_t* n) -> const int32_t* {
    asked++;
    *n = ids.size();
    return ids.data();
  };
  p.visibleFlags = &flags;
  p.interpolation = &interpolation;
  p.currentState = &current;
  p.frameSteps = &steps;
  p.view = rec.View();
  p.imageFolder = "Images/Truth/";
  p.logPath = "log.txt";
  std::ostringstream out;
  p.out = &out;
  EXPECT_EQ(PlayPoints(p), 91);
  EXPECT_EQ(asked, 90);
  EXPECT_EQ(flags.size(), 3u);  // one flag per point
  EXPECT_EQ(rec.saved, Frames("Images/Truth/", 91));
  EXPECT_EQ(rec.modes, std::vector<int>{render_mode::kPointFootage});
  EXPECT_EQ(steps, 45);
  EXPECT_EQ(current, 0);
  EXPECT_DOUBLE_EQ(interpolation, 0.5);
  // The last frame is the last state itself.
  EXPECT_EQ(drawn.positions[0].x, 2.0f);
  const std::string log = ReadText("log.txt");
  EXPECT_EQ(log.substr(0, log.find('\n') + 1), "State 0:0,2,\n");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 90);

  p.stateCount = 2;  // fewer than loaded
  rec.saved.clear();
  flags = {7, 7};
  steps = 3;
  EXPECT_EQ(PlayPoints(p), -1);
  EXPECT_TRUE(rec.saved.empty());
  EXPECT_EQ(flags, (std::vector<int32_t>{7, 7}));  // a refusal changes nothing
  EXPECT_EQ(steps, 3);
  EXPECT_NE(out.str().find("\"Play\": refused"), std::string::npos);
}

TEST(Playback, MeshSceneOfTwoStatesWrites20Frames) {
  ScratchDir dir;
  std::vector<ObjLoader> states;
  States(states, 2);
  ObjLoader drawn;
  drawn.ShareTopology(states[0]);
  Recorder rec;
  MeshPlayback p;
  p.stateCount = 2;
  p.states = &states;
  int prepared = 0;
  p.drawn = [&] {
    prepared++;
    return &drawn;
  };
  p.view = rec.View();
  p.imageFolder = "F/";
  p.logPath = "box.txt";
  std::ostringstream out;
  p.out = &out;
  EXPECT_EQ(PlayMeshes(p), 20);
  EXPECT_EQ(rec.saved, Frames("F/", 20));
  EXPECT_EQ(rec.modes, std::vector<int>{render_mode::kShaded});
  EXPECT_EQ(rec.redraws, 1);
  EXPECT_TRUE(FileExists("box.txt"));
  EXPECT_FLOAT_EQ(drawn.positions[0].x, 9.5f);  // s = 19/20
  EXPECT_EQ(states[0].positions[0].x, 0.0f);     // the states stay as loaded

  // A refused request prepares nothing: the scene is left as it was.
  for (int bad : {1, 3}) {
    p.stateCount = bad;
    EXPECT_EQ(PlayMeshes(p), -1);
  }
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(rec.saved.size(), 20u);
}

TEST(Playback, ReplayDrawsTheTrianglesOfEachMomentBetweenTheRightStates) {
  ScratchDir dir;
  std::vector<ObjLoader> states;
  States(states, 3);
  ObjLoader drawn;
  drawn.ShareTopology(states[0]);
  WriteTable("table.bin", 2, {{0, 0.0, 0.2}, {1, 1.6, 1.7}});
  VisibleSet visible(2, 0);
  Recorder rec;
  std::vector<float> xs;
  rec.onDraw = [&] { xs.push_back(drawn.positions[0].x); };
  ReplayScene r;
  r.stateCount = 3;
  r.states = &states;
  int prepared = 0;
  r.drawn = [&] {
    prepared++;
    return &drawn;
  };
  r.visible = &visible;
  r.view = rec.View();
  r.logPath = "replay.txt";
  std::ostringstream out;
  r.out = &out;
  EXPECT_EQ(ReplayIntervalTable(r, "table.bin"), 400);
  EXPECT_EQ(rec.redraws, 400);
  EXPECT_EQ(rec.modes, std::vector<int>{render_mode::kGrass});
  // t = 1.5 lies halfway between states 1 and 2 (x 10 and 20).
  EXPECT_NEAR(xs[300], 15.0f, 1e-3);
  const std::string log = ReadText("replay.txt");
  EXPECT_EQ(log.substr(0, log.find('\n') + 1), "0:0,\n");
  EXPECT_NE(log.find("\n1.5:1,\n"), std::string::npos);
  EXPECT_NE(out.str().find("Done with state 0/2\n"), std::string::npos);

  // A missing table, a table of another scene and trajectories of another
  // keyframe count draw, log and prepare nothing.
  rec.redraws = 0;
  prepared = 0;
  std::remove("replay.txt");
  EXPECT_EQ(ReplayIntervalTable(r, "missing.bin"), -1);
  WriteTable("other.bin", 5, {{4, 0.0, 1.0}});
  EXPECT_EQ(ReplayIntervalTable(r, "other.bin"), -1);
  r.stateCount = 2;
  EXPECT_EQ(ReplayIntervalTable(r, "table.bin"), -1);
  EXPECT_EQ(prepared, 0);
  EXPECT_EQ(rec.redraws, 0);
  EXPECT_FALSE(FileExists("replay.txt"));
  EXPECT_NE(out.str().find("no interval table missing.bin"), std::string::npos);
}
