// The truth and replay members of the datasets without a window: the
// dense truth against ray casting at the same moments, the grass field's
// fly-through length, the id-list reader and the path replay.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "DatasetReplays.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "RayCaster.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "TruthRuns.h"
#include "WorkFolders.h"

namespace {

using Tri = std::array<Vex3_quarn, 3>;

// A quad sweeping across two others and a row of small triangles.
std::vector<Tri> Scene(float shift) {
  auto quad = [](float x, float y, float z, float s) {
    const Vex3_quarn a(x, y, z), b(x + s, y, z), c(x + s, y + s, z), d(x, y + s, z);
    return std::vector<Tri>{{a, b, c}, {a, c, d}};
  };
  std::vector<Tri> t;
  for (auto q : {quad(-300 + shift, -100, -500, 150), quad(-100, -150, -700, 300),
                 quad(150, -150, -700, 200)})
    t.insert(t.end(), q.begin(), q.end());
  for (int i = 0; i < 10; i++)
    t.push_back({Vex3_quarn(-200 + 40.0f * i, 150, -600), Vex3_quarn(-198 + 40.0f * i, 150, -600),
                 Vex3_quarn(-199 + 40.0f * i, 152, -600)});
  return t;
}

}  // namespace

TEST(TruthRuns, DenseTruthSeesWhatRaysSeeAtItsMoments) {
  std::vector<ObjLoader> states(2);
  BuildMesh(states[0], {Scene(0)});
  BuildMesh(states[1], {Scene(500)});
  ObjLoader moving;
  moving.ShareTopology(states[0]);
  PPC camera(55, 80, 45);
  camera.PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
  VisibleSet set;
  std::ostringstream out;
  const int moments = 20;
  const int32_t seen = DenseTruth(states[0], states[1], &moving, camera, moments, &set, out);

  RayCaster caster(camera);
  caster.AddMesh(states[0], &states[1]);
  std::set<int32_t> rays, ties;
  for (int k = 0; k <= moments; k++) {
    const double t = double(k) / moments;
    caster.BinAt(t);
    for (int y = 0; y < camera.h; y++)
      for (int x = 0; x < camera.w; x++) {
        const RayHit hit = caster.Cast(caster.WindowRay(x + 0.5, y + 0.5), t);
        if (hit.id >= 0) (hit.tie ? ties : rays).insert(hit.id);
      }
  }
  std::set<int32_t> found;
  for (size_t id = 0; id < set.size(); id++)
    if (set[id]) found.insert(int32_t(id));
  EXPECT_EQ(seen, int32_t(found.size()));
  for (int32_t id : rays) EXPECT_TRUE(found.count(id)) << "missed " << id;
  for (int32_t id : found) EXPECT_TRUE(rays.count(id) || ties.count(id)) << "never seen " << id;
  EXPECT_TRUE(found.count(0));  // the sweeping quad
}

TEST(TruthRuns, GrassFieldFlyThroughHas1300Frames) {
  PPC view(55, 64, 36);
  EXPECT_EQ(GrassTruthPath(view).FrameCount(), 1300);
}

TEST(DatasetReplays, IdListsAndThePathReplay) {
  ScratchDir dir;
  MakeFolders({"lists/"});
  WriteText("lists/step_0.txt", "6\n2\n1\n4\n\n");
  WriteText("lists/step_1.txt", "6\n1\n9\n\n");  // 9 lies outside the scene
  WriteText("lists/step_2.txt", "6\n1\nx\n\n");
  std::vector<int32_t> flags(6, 1);
  std::ostringstream err;
  EXPECT_EQ(ReadIdList("lists/step_0.txt", &flags, err), 2);
  EXPECT_EQ(flags, (std::vector<int32_t>{0, 1, 0, 0, 1, 0}));
  EXPECT_EQ(ReadIdList("lists/step_2.txt", &flags, err), -1);
  EXPECT_EQ(flags, std::vector<int32_t>(6, 0));
  EXPECT_NE(err.str().find("ERROR: lists/step_2.txt:3: 'x' is not an id"), std::string::npos);

  // The replay shows each step's list until one cannot be read.
  WriteIdFile("lists/union.bin", {1, 4});
  DatasetRow row;
  row.replay = {ReplayForm::kPathLists, {layout::Folder::kRoot, "lists/step_%d.txt"},
                {layout::Folder::kRoot, "lists/union.bin"}, {layout::Folder::kRoot, "replay.txt"}};
  std::vector<ObjLoader> states(1);
  std::vector<int32_t> drawFlags(6, 1);
  VisibleSet visible;
  std::vector<std::vector<int32_t>> shown;
  bool restored = false;
  std::ostringstream out;
  DatasetReplayScene s;
  s.row = &row;
  s.states = &states;
  s.flags = &drawFlags;
  s.visible = &visible;
  s.view.setMode = [](int) {};
  s.view.redraw = [] {};
  s.showOnly = [&](const std::vector<int32_t>& mask) { shown.push_back(mask); };
  s.showAll = [&] { restored = true; };
  s.out = &out;
  s.err = &err;
  EXPECT_EQ(DatasetReplay(s), 2);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], std::vector<int32_t>(6, 0));
  EXPECT_TRUE(restored);
  EXPECT_EQ(ReadText("replay.txt"), "0:1,4,\n1:\n");
  EXPECT_NE(out.str().find("2 triangles visible along the path"), std::string::npos);

  row.replay.set = {layout::Folder::kRoot, "lists/none.bin"};
  visible.assign(6, 7);
  EXPECT_EQ(DatasetReplay(s), -1);
  EXPECT_NE(err.str().find("ERROR: cannot read visible set lists/none.bin"), std::string::npos);
  EXPECT_EQ(visible, VisibleSet(6, 7));  // refused before anything changed

  // The city's replay moves its two states: one state is refused as such,
  // whether its set is there or not, and nothing is prepared or shown.
  row.replay = {ReplayForm::kStateMotion, {}, {layout::Folder::kRoot, "lists/union.bin"}, {}};
  int prepared = 0;
  ObjLoader drawn;
  s.drawn = [&] {
    prepared++;
    return &drawn;
  };
  shown.clear();
  err.str("");
  EXPECT_EQ(DatasetReplay(s), -1);
  EXPECT_NE(out.str().find("\"Play Visible triangles\": refused: the replay moves the scene "
                           "between two states and it has 1"),
            std::string::npos)
      << out.str();
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(prepared, 0);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(visible, VisibleSet(6, 7));
}
