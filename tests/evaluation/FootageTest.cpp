// The footage evaluation without a window: its key cameras and frame
// counts, the per-frame counts against an independent ray cast of frame 0,
// the edge cases of complete and empty sets, and the refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "ErrorImages.h"
#include "FlyThrough.h"
#include "Footage.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "RayCaster.h"
#include "SampleLocationBuffer.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"

namespace {

using Tri = std::array<Vex3_quarn, 3>;

// A small view onto overlapping quads at three depths, a far backdrop and
// a row of sub-pixel triangles.
class FootageEvaluation : public testing::Test {
 protected:
  void SetUp() override {
    MakeFolder(layout::FolderName(layout::Folder::kViews));
    PPC camera(55, 96, 54);
    camera.PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    ASSERT_TRUE(camera.SaveToFile(layout::CameraFile("footage_test.ppc")));
    view_ = camera;
    auto quad = [](float x, float y, float z, float s) {
      const Vex3_quarn a(x, y, z), b(x + s, y, z), c(x + s, y + s, z), d(x, y + s, z);
      return std::vector<Tri>{{a, b, c}, {a, c, d}};
    };
    std::vector<Tri> tris;
    // The near plane lies at the focal length (92 pixels here).
    for (auto q : {quad(-600, -400, -1000, 800), quad(-200, -200, -800, 400),
                   quad(0, -100, -600, 150), quad(-4000, -4000, -1800, 8000)})
      tris.insert(tris.end(), q.begin(), q.end());
    for (int i = 0; i < 12; i++)  // well under a pixel each
      tris.push_back({Vex3_quarn(-150 + 25.0f * i, 125, -500),
                      Vex3_quarn(-149 + 25.0f * i, 125, -500),
                      Vex3_quarn(-149.5f + 25.0f * i, 126, -500)});
    BuildMesh(mesh_, {tris});
    flags_.assign(size_t(mesh_.IdCount()), 1);

    row_ = FindDataset(dataset::kForest);
    FootageView& v = row_.footage.views[0];
    v.camera = "footage_test.ppc";
    for (int t = 0; t < 3; t++) {
      v.footageSet[t] = {layout::Folder::kFootage, kSets[t]};
      v.evaluationSet[t] = FileRef();
      v.evaluationFolder[t] = kFolders[t];
    }
    MakeFolders({layout::In(layout::Folder::kFootage, "test/"), layout::ImageFolder(kFolders[0]),
                 layout::ImageFolder(kFolders[1]), layout::ImageFolder(kFolders[2])});
    std::vector<int32_t> all;
    for (int32_t id = 0; id < mesh_.IdCount(); id++) all.push_back(id);
    WriteIdFile(layout::In(layout::Folder::kFootage, kSets[0]), all);
    WriteIdFile(layout::In(layout::Folder::kFootage, kSets[1]), {});
  }

  FootageScene Scene(int type, int view = 1) {
    FootageScene s;
    s.row = &row_;
    s.dataset = dataset::kForest;
    s.view = view;
    s.type = type;
    s.mesh = &mesh_;
    s.flags = &flags_;
    s.visible = &visible_;
    s.viewCamera = &camera_;
    s.sampleBuffer = [this]() -> SampleLocationBuffer& {
      buffer_.Create(camera_.w, camera_.h);
      buffer_.SetCamera(camera_);
      return buffer_;
    };
    s.out = &out_;
    s.err = &err_;
    return s;
  }
  // The log lines State #i,j,k,l of a folder.
  static std::vector<std::array<int64_t, 4>> Log(const char* folder) {
    std::ifstream in(layout::ImageFolder(folder) + "Log.txt");
    std::vector<std::array<int64_t, 4>> rows;
    std::string line;
    while (std::getline(in, line)) {
      std::array<int64_t, 4> r{};
      char c;
      std::istringstream ls(line.substr(7));  // after "State #"
      ls >> r[0] >> c >> r[1] >> c >> r[2] >> c >> r[3];
      rows.push_back(r);
    }
    return rows;
  }

  static constexpr const char* kSets[3] = {"test/all.bin", "test/none.bin", "test/missing.bin"};
  static constexpr const char* kFolders[3] = {"FootAll", "FootNone", "FootMissing"};
  ScratchDir dir_;
  PPC view_, camera_;
  ObjLoader mesh_;
  std::vector<int32_t> flags_;
  VisibleSet visible_;
  SampleLocationBuffer buffer_;
  DatasetRow row_;
  std::ostringstream out_, err_;
};

}  // namespace

TEST(FlyThrough, KeysAndFrameCounts) {
  PPC view(55, 128, 72);
  view.PositionAndOrient({1, 2, 3}, {0, 0, -1}, {0, 1, 0});
  const std::vector<PPC> keys = KeyCameras(view, KeyScheme());
  ASSERT_EQ(keys.size(), 9u);
  EXPECT_EQ(keys[0].eye, view.eye);
  EXPECT_NEAR(keys[1].FocalLength(), 3.5f * view.FocalLength(), 1e-3f);
  EXPECT_EQ(keys[7].a, keys[1].a);
  EXPECT_EQ(keys[8].corner, view.corner);
  EXPECT_EQ(FootagePath(view, KeyScheme()).FrameCount(), 1800);
  const FlyThrough eval = EvaluationPath(view, KeyScheme());
  EXPECT_EQ(eval.keys.size(), 8u);
  int last = -1;
  PPC first;
  EXPECT_EQ(eval.ForEach([&](int i, const PPC& c) {
    if (i == 0) first = c;
    last = i;
    return true;
  }),
            1050);
  EXPECT_EQ(last, 1049);
  EXPECT_EQ(first.eye, view.eye);
}

TEST(FlyThrough, CountFrameErrorCountsAndResets) {
  uint32_t colour[5] = {kErrorRed, 0xff00ff00u, kErrorRed, 0xffffffffu, kErrorRed};
  int32_t ids[5] = {2, 0, 2, -1, 7};  // id 7 lies outside the flags
  double depth[5] = {0.5, 0.5, 0.5, 1, 0.5};
  const std::vector<int32_t> flags = {1, 1, 0, 0};
  VisibleSet marks(4, 0);
  std::vector<int32_t> seen;
  const FrameError e = CountFrameError(colour, ids, depth, 5, 1.0, flags, &marks, &seen);
  EXPECT_EQ(e.red, 3);
  EXPECT_EQ(e.seen, 2);
  EXPECT_EQ(e.missing, 1);
  EXPECT_EQ(marks, VisibleSet(4, 0));
  for (int p = 0; p < 5; p++) {
    EXPECT_EQ(colour[p], 0xffffffffu);
    EXPECT_EQ(ids[p], -1);
    EXPECT_EQ(depth[p], 1.0);
  }
}

TEST_F(FootageEvaluation, CompleteAndEmptySetsAgainstRayCasting) {
  EXPECT_EQ(EvaluateFootageError(Scene(1)), 1050);
  const auto all = Log(kFolders[0]);
  ASSERT_EQ(all.size(), 1050u);
  for (const auto& r : all) {
    EXPECT_EQ(r[1], 0) << "frame " << r[0];
    EXPECT_EQ(r[2], 0) << "frame " << r[0];
  }
  EXPECT_NE(out_.str().find(std::to_string(mesh_.IdCount()) + " loaded\n"), std::string::npos);
  EXPECT_NE(out_.str().find("Culled out: 0\n"), std::string::npos) << out_.str();
  EXPECT_TRUE(FileExists(layout::Frame(layout::ImageFolder(kFolders[0]), 1049)));

  EXPECT_EQ(EvaluateFootageError(Scene(2)), 1050);
  const auto none = Log(kFolders[1]);
  ASSERT_EQ(none.size(), 1050u);
  for (const auto& r : none) EXPECT_EQ(r[2], r[3]) << "frame " << r[0];

  // Frame 0 is the view: cast a ray through every pixel centre.
  RayCaster caster(view_);
  caster.AddMesh(mesh_, nullptr);
  caster.BinAt(0);
  int64_t covered = 0, ties = 0;
  std::set<int32_t> seen;
  for (int y = 0; y < view_.h; y++)
    for (int x = 0; x < view_.w; x++) {
      const RayHit hit = caster.Cast(caster.WindowRay(x + 0.5, y + 0.5), 0);
      ties += hit.tie;
      if (hit.id < 0) continue;
      covered++;
      seen.insert(hit.id);
    }
  EXPECT_LE(std::abs(none[0][1] - covered), ties);
  EXPECT_EQ(none[0][3], int64_t(seen.size()));
  EXPECT_EQ(none[0][2], int64_t(seen.size()));
  EXPECT_GT(covered, 0);
}

TEST_F(FootageEvaluation, RefusesWhatTheMemberDoesNotHave) {
  EXPECT_EQ(EvaluateFootageError(Scene(0)), -1);
  EXPECT_EQ(EvaluateFootageError(Scene(4)), -1);
  EXPECT_EQ(EvaluateFootageError(Scene(3)), -1);  // its set file is missing
  EXPECT_NE(err_.str().find("ERROR: cannot read visible set FootageVisibility/test/missing.bin"),
            std::string::npos)
      << err_.str();
  EXPECT_NE(out_.str().find("\"Evaluate Error 2013\": Type ID 4 refused"), std::string::npos)
      << out_.str();
  // A two-view member refuses a third view.
  row_.footage.twoViews = true;
  EXPECT_EQ(EvaluateFootageError(Scene(1, 3)), -1);
  EXPECT_NE(out_.str().find("\"Evaluate Error 2013\": View ID 3 refused"), std::string::npos);
  // Another scene has no member: nothing happens, and nothing is said.
  FootageScene other = Scene(1);
  other.dataset = dataset::kTruckGfb;
  out_.str("");
  EXPECT_EQ(EvaluateFootageError(other), -1);
  EXPECT_EQ(out_.str(), "");
  EXPECT_FALSE(FileExists(layout::ImageFolder(kFolders[0]) + "Log.txt"));
  EXPECT_EQ(flags_, std::vector<int32_t>(flags_.size(), 1));
}

// Every refusal comes before any change: a set or camera file that cannot
// be read leaves the flags, the camera and the drawn mesh as they were.
TEST_F(FootageEvaluation, ARefusedRequestChangesNothing) {
  camera_.eye = Vex3_quarn(1, 2, 3);
  flags_[0] = 7;
  int prepared = 0, shown = 0;
  auto refused = [&](FootageScene s, bool evaluation) {
    s.prepare = [&] { prepared++; };
    s.showOnly = [&](const std::vector<int32_t>&) { shown++; };
    s.showAll = [&] { shown++; };
    s.setRenderMode = [&](int) { shown++; };
    EXPECT_EQ(evaluation ? EvaluateFootageError(s) : MakeFootage(s), -1);
  };
  refused(Scene(3), false);  // its set file is missing
  refused(Scene(3), true);
  row_.footage.views[0].camera = "no_such_camera.ppc";
  refused(Scene(1), false);
  refused(Scene(1), true);
  EXPECT_NE(err_.str().find("ERROR: cannot read camera Views/no_such_camera.ppc"),
            std::string::npos)
      << err_.str();
  EXPECT_EQ(prepared, 0);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(flags_[0], 7);
  EXPECT_EQ(camera_.eye, Vex3_quarn(1, 2, 3));
  EXPECT_EQ(out_.str().find("loaded"), std::string::npos);
  EXPECT_FALSE(FileExists(layout::ImageFolder(kFolders[0]) + "Log.txt"));
}

// The footage driver with a stand-in window: the set it shows, the frames
// it asks for and the files it writes.
TEST_F(FootageEvaluation, FootageShowsTheSetAlongTheFlyThrough) {
  row_.footage.views[0].footageFolder[0] = kFolders[0];
  row_.footage.renderMode = 40002;
  FootageScene s = Scene(1);
  std::vector<int32_t> shown;
  int mode = 0, frames = 0;
  PPC first, last;
  std::vector<uint32_t> pixels(6, 0xff336699u);
  s.showOnly = [&](const std::vector<int32_t>& mask) { shown = mask; };
  s.setRenderMode = [&](int m) { mode = m; };
  s.renderFrame = [&](const PPC& camera, int* w, int* h) -> const uint32_t* {
    if (frames++ == 0) first = camera;
    last = camera;
    *w = 3;
    *h = 2;
    return pixels.data();
  };
  int prepared = 0;
  s.prepare = [&] { prepared++; };
  EXPECT_EQ(MakeFootage(s), 1800);
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(frames, 1800);
  EXPECT_EQ(mode, 40002);
  EXPECT_EQ(shown, std::vector<int32_t>(size_t(mesh_.IdCount()), 1));
  // The path starts and ends at the prepared view.
  EXPECT_EQ(first.eye, view_.eye);
  EXPECT_LT((last.corner - view_.corner).Length(), 1e-3f);
  EXPECT_TRUE(FileExists(layout::ImageFolder(kFolders[0]) + "1799.tif"));
  EXPECT_NE(out_.str().find("1800 frames written to Images/FootAll/"), std::string::npos);

  // A frame the window cannot give, or that cannot be written, is named.
  int left = 2;
  s.renderFrame = [&](const PPC&, int* w, int* h) -> const uint32_t* {
    *w = 3;
    *h = 2;
    return left-- > 0 ? nullptr : pixels.data();
  };
  row_.footage.views[0].footageFolder[0] = "NoSuchFolder";
  err_.str("");
  EXPECT_EQ(Quiet([&] { return MakeFootage(s); }), 0);
  EXPECT_NE(err_.str().find("ERROR: Images/NoSuchFolder/0.tif not written: the view window "
                            "could not be read"),
            std::string::npos)
      << err_.str().substr(0, 300);
  EXPECT_NE(err_.str().find("ERROR: cannot write file: Images/NoSuchFolder/2.tif"),
            std::string::npos);
}
