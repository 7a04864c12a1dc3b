// The two-end reference without a window: the set of the item-buffer
// members, their log and sequence, and the sample-buffer run against ray
// casting at the interval ends.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "ControlRuns.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "RayCaster.h"
#include "SampleLocationBuffer.h"
#include "SoftwareRaster.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"

namespace {

using Tri = std::array<Vex3_quarn, 3>;

// Two states of quads sliding across each other in front of a backdrop.
class ControlRuns : public testing::Test {
 protected:
  void SetUp() override {
    camera_ = PPC(55, 64, 36);
    camera_.PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    camera_.SetGLAndCache();
    auto quads = [](float shift) {
      auto quad = [](float x, float y, float z, float s) {
        const Vex3_quarn a(x, y, z), b(x + s, y, z), c(x + s, y + s, z), d(x, y + s, z);
        return std::vector<Tri>{{a, b, c}, {a, c, d}};
      };
      std::vector<Tri> t;
      for (auto q : {quad(-300 + shift, -100, -600, 200), quad(100 - shift, -50, -500, 120),
                     quad(-2000, -2000, -1500, 4000), quad(5000, 0, -600, 10)})
        t.insert(t.end(), q.begin(), q.end());
      return t;
    };
    states_ = std::vector<ObjLoader>(2);
    BuildMesh(states_[0], {quads(0)});
    BuildMesh(states_[1], {quads(250)});
    drawn_.ShareTopology(states_[0]);
    flags_.assign(size_t(states_[0].IdCount()), 1);
    MakeFolders({layout::ImageFolder("Control"), layout::FolderName(layout::Folder::kResults),
                 layout::FolderName(layout::Folder::kExperimentLogs),
                 layout::In(layout::Folder::kRecords, "Control/")});
  }

  ControlScene Scene(int dataset) {
    ControlScene s;
    s.row = &FindDataset(dataset);
    s.stateCount = 2;
    s.states = &states_;
    s.drawn = [this] {
      prepared_++;
      return &drawn_;
    };
    s.flags = &flags_;
    s.visible = &visible_;
    s.visibleFlags = &visibleFlags_;
    s.view.setMode = [this](int m) { modes_.push_back(m); };
    s.view.redraw = [] {};
    s.view.redrawAndSave = [this](const std::string& path) { saved_.push_back(path); };
    s.itemBuffer = [this](int index, size_t* n) -> const int32_t* {
      ids_.assign(size_t(camera_.w) * size_t(camera_.h), -1);
      std::vector<double> depth(ids_.size(), 2.0);
      std::ostringstream quiet;
      TriangleRaster(states_[size_t(index)], ids_.data(), camera_, depth.data(), 1, nullptr, quiet);
      *n = ids_.size();
      for (int32_t id : ids_)
        if (id >= 0) union_.insert(id);
      return ids_.data();
    };
    s.showOnly = [this](const std::vector<int32_t>& mask) { shown_ = mask; };
    s.showAll = [this] { restored_ = true; };
    s.sampleBuffer = [this]() -> SampleLocationBuffer& {
      buffer_.Create(camera_.w, camera_.h);
      buffer_.SetCamera(camera_);
      return buffer_;
    };
    s.setRenderingFactor = [](int) {};
    s.out = &out_;
    s.err = &err_;
    return s;
  }

  ScratchDir dir_;
  PPC camera_;
  std::vector<ObjLoader> states_;
  ObjLoader drawn_;
  std::vector<int32_t> flags_, visibleFlags_, ids_, shown_;
  VisibleSet visible_;
  SampleLocationBuffer buffer_;
  std::set<int32_t> union_;
  std::vector<int> modes_;
  std::vector<std::string> saved_;
  bool restored_ = false;
  int prepared_ = 0;
  std::ostringstream out_, err_;
};

}  // namespace

TEST_F(ControlRuns, TwoEndMembersStoreTheUnionOfTheirItemBuffers) {
  EXPECT_EQ(ControlRun(Scene(dataset::kForest)), 200);
  std::set<int32_t> set;
  for (size_t id = 0; id < visible_.size(); id++)
    if (visible_[id]) set.insert(int32_t(id));
  EXPECT_EQ(set, union_);
  EXPECT_FALSE(set.count(6) || set.count(7));  // off to the side at both ends
  // The log: the triangle count, the set's size, its ids one per line.
  std::ostringstream expected;
  expected << flags_.size() << "\n" << set.size() << "\n";
  for (int32_t id : set) expected << id << "\n";
  EXPECT_EQ(ReadText("SuperPixelResult/visibility_result_of_Forest_control.txt"), expected.str());
  // The sequence shows only the set, then the lists come back.
  EXPECT_EQ(shown_, visible_);
  EXPECT_TRUE(restored_);
  ASSERT_EQ(saved_.size(), 200u);
  EXPECT_EQ(saved_.back(), "Images/Control/199.tif");
  EXPECT_EQ(modes_, (std::vector<int>{40001, 10001}));
  EXPECT_NE(out_.str().find("we're now in control!\n"), std::string::npos);
  EXPECT_NE(out_.str().find("Done with state 0.995/1\n"), std::string::npos) << out_.str();

  // The city writes its set instead of a sequence.
  saved_.clear();
  EXPECT_EQ(ControlRun(Scene(dataset::kManhattan)), 0);
  EXPECT_EQ(ReadIdFile("ASL_Visibility/controlGroup_DBG.bin"),
            std::vector<int32_t>(set.begin(), set.end()));
  EXPECT_TRUE(saved_.empty());
}

TEST_F(ControlRuns, SampleBufferRunSeesWhatRaysSeeAtTheEnds) {
  EXPECT_EQ(ControlRun(Scene(dataset::kTruckGfb)), 100);
  RayCaster caster(camera_);
  caster.AddMesh(states_[0], &states_[1]);
  std::set<int32_t> seen;
  for (double t : {0.0, 0.999}) {
    caster.BinAt(t);
    for (int y = 0; y < camera_.h; y++)
      for (int x = 0; x < camera_.w; x++) {
        const RayHit hit = caster.Cast(caster.WindowRay(x + 0.5, y + 0.5), t);
        if (hit.id >= 0 && !hit.tie) seen.insert(hit.id);
      }
  }
  for (int32_t id : seen) EXPECT_EQ(visible_[size_t(id)], 1) << "triangle " << id;
  EXPECT_EQ(visible_[6] + visible_[7], 0);
  // One log line per frame, in the log comparison's format.
  std::istringstream log(ReadText("VisibilityRecord/Control/Result.txt"));
  std::string line;
  int lines = 0;
  while (std::getline(log, line)) lines++;
  EXPECT_EQ(lines, 100);
  EXPECT_EQ(saved_.size(), 100u);
  EXPECT_NE(out_.str().find("Culled out: 2\n"), std::string::npos) << out_.str();
}

TEST_F(ControlRuns, RefusesWithoutTwoStates) {
  ControlScene s = Scene(dataset::kForest);
  s.stateCount = 1;
  EXPECT_EQ(ControlRun(s), -1);
  EXPECT_NE(out_.str().find("\"control\": needs a scene of at least two states"),
            std::string::npos);
  EXPECT_FALSE(FileExists("SuperPixelResult/visibility_result_of_Forest_control.txt"));
  // A refused run makes no moving copy and leaves the flags as they were.
  s = Scene(dataset::kTruckGfb);
  states_.pop_back();
  flags_[0] = 7;
  EXPECT_EQ(ControlRun(s), -1);
  EXPECT_EQ(prepared_, 0);
  EXPECT_EQ(flags_[0], 7);
  EXPECT_TRUE(saved_.empty());
  EXPECT_TRUE(modes_.empty());
}
