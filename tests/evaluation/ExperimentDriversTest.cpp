// The experiment drivers without a window: the merged unions, the
// separated image pairs' choice of set and camera and their log line, the
// frame outline, the two-dimensional run's menu, refusals and log, and
// where the moving boxes start and end.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "ExperimentDrivers.h"
#include "MovingBoxes.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "PPCd.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "TwoDimensionalRun.h"
#include "WorkFolders.h"

namespace {

using layout::Folder;
using Tri = std::array<Vex3_quarn, 3>;

std::vector<Tri> Quad(float x, float y, float z, float s) {
  const Vex3_quarn a(x, y, z), b(x + s, y, z), c(x + s, y + s, z), d(x, y + s, z);
  return {{a, b, c}, {a, c, d}};
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// A small view onto a backdrop quad (ids 0, 1) and a nearer quad (ids 2,
// 3) that hides part of it.
class SmallScene : public testing::Test {
 protected:
  void SetUp() override {
    MakeFolders({layout::FolderName(Folder::kViews), layout::In(Folder::kFootage, "t/"),
                 layout::FolderName(Folder::kImages)});
    view_ = PPC(55, 64, 36);
    view_.PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    other_ = view_;
    other_.Pan(60);  // sees none of the quads
    ASSERT_TRUE(view_.SaveToFile(layout::CameraFile("sep_a.ppc")));
    ASSERT_TRUE(other_.SaveToFile(layout::CameraFile("sep_b.ppc")));
    std::vector<Tri> tris = Quad(-2000, -2000, -900, 4000);
    for (const Tri& t : Quad(-100, -100, -500, 200)) tris.push_back(t);
    BuildMesh(mesh_, {tris});
    flags_.assign(4, 1);
  }

  static std::string Set(const char* name) { return layout::In(Folder::kFootage, name); }

  SeparatedScene Separated(const SeparatedMember* member) {
    SeparatedScene s;
    s.member = member;
    s.counter = &counter_;
    s.mesh = &mesh_;
    s.flags = &flags_;
    s.viewCamera = &camera_;
    s.renderView = [this](int* w, int* h) -> const uint32_t* {
      *w = camera_.w;
      *h = camera_.h;
      shown_.assign(size_t(*w) * size_t(*h), 0xff808080u);
      return shown_.data();
    };
    s.out = &out_;
    s.err = &err_;
    return s;
  }

  ScratchDir dir_;
  PPC view_, other_, camera_;
  ObjLoader mesh_;
  std::vector<int32_t> flags_;
  VisibleSet visible_;
  std::vector<uint32_t> shown_;
  int counter_ = 0;
  std::ostringstream out_, err_;
};

}  // namespace

TEST_F(SmallScene, MergeWritesBothUnionsAndLeavesTheSceneAlone) {
  MakeFolders({Set("m/1/"), Set("m/2/"), Set("m/3/")});
  WriteIdFile(Set("m/1/a.bin"), {3, 10});
  WriteIdFile(Set("m/2/a.bin"), {10, 4999999});
  WriteIdFile(Set("m/3/a.bin"), {0});
  WriteIdFile(Set("m/1/b.bin"), {7});
  WriteIdFile(Set("m/3/b.bin"), {8, 7});  // part 2 of this kind is missing
  MergeMember merge;
  merge.count = 3;
  merge.parts[0] = {Folder::kFootage, "m/%d/a.bin"};
  merge.parts[1] = {Folder::kFootage, "m/%d/b.bin"};
  merge.unions[0] = {Folder::kFootage, "m/A.bin"};
  merge.unions[1] = {Folder::kFootage, "m/B.bin"};

  SeparatedMember view;
  const std::string before =
      std::to_string(MakeSeparatedImages(Separated(&view)).counts.seen) + " " +
      ReadText(layout::SeparatedLog(0));
  VisibleSet scratch;
  EXPECT_EQ(Quiet([&] { return MergeVisibility(merge, &scratch, out_, err_); }), 2);
  EXPECT_EQ(ReadIdFile(Set("m/A.bin")), (std::vector<int32_t>{0, 3, 10, 4999999}));
  EXPECT_EQ(ReadIdFile(Set("m/B.bin")), (std::vector<int32_t>{7, 8}));  // not cleared of kind A
  EXPECT_EQ(scratch.size(), size_t(kMergeEntries));
  EXPECT_NE(err_.str().find("ERROR: cannot read visible set FootageVisibility/m/2/b.bin"),
            std::string::npos);
  // The loaded scene's arrays keep their size: a run after the merge
  // counts as the one before it.
  EXPECT_EQ(flags_.size(), 4u);
  const std::string after = std::to_string(MakeSeparatedImages(Separated(&view)).counts.seen) +
                            " " + ReadText(layout::SeparatedLog(1));
  EXPECT_EQ(after, before);

  MergeMember none;
  EXPECT_EQ(MergeVisibility(none, &scratch, out_, err_), -1);
}

TEST_F(SmallScene, SeparatedPairsTakeSetAndCameraByTheCounterAndLogTheirCounts) {
  WriteIdFile(Set("t/all.bin"), {0, 1, 2, 3});
  WriteIdFile(Set("t/back.bin"), {0, 1});  // the nearer quad is missing
  SeparatedMember m;
  m.form = SeparatedForm::kSets;
  m.setCount = 2;
  m.sets[0] = {Folder::kFootage, "t/all.bin"};
  m.sets[1] = {Folder::kFootage, "t/back.bin"};
  m.cameras[0] = "sep_a.ppc";
  m.cameras[1] = "sep_a.ppc";

  camera_ = other_;
  SeparatedResult r = Quiet([&] { return MakeSeparatedImages(Separated(&m)); });
  EXPECT_EQ(r.image, 0);
  EXPECT_EQ(camera_.eye, view_.eye);
  EXPECT_EQ(camera_.a, view_.a);  // the set's camera was loaded
  EXPECT_EQ(r.counts.red, 0);
  EXPECT_EQ(r.counts.missing, 0);
  EXPECT_EQ(r.counts.seen, 4);
  EXPECT_EQ(Lines(layout::SeparatedLog(0)), std::vector<std::string>{"Log: 0,0,4"});
  EXPECT_TRUE(FileExists(layout::SeparatedImage(0)));
  EXPECT_TRUE(FileExists(layout::SeparatedErrorImage(0)));

  // Pair 1 reads the second set: the near quad's pixels are red.
  r = Quiet([&] { return MakeSeparatedImages(Separated(&m)); });
  EXPECT_EQ(r.image, 1);
  EXPECT_EQ(counter_, 2);
  EXPECT_EQ(r.counts.missing, 2);
  EXPECT_EQ(r.counts.seen, 4);
  // 200 units at 500 with a focal length of 61.5 pixels: about 24 x 24.
  EXPECT_NEAR(double(r.counts.red), 24.6 * 24.6, 60);
  EXPECT_EQ(Lines(layout::SeparatedLog(1)),
            std::vector<std::string>{"Log: " + std::to_string(r.counts.red) + ",2,4"});

  // Pair 2 wraps round to the first set; the view form reads nothing.
  flags_.assign(4, 0);
  SeparatedMember view;
  r = Quiet([&] { return MakeSeparatedImages(Separated(&view)); });
  EXPECT_EQ(r.counts.missing, 4);
  EXPECT_EQ(flags_, std::vector<int32_t>(4, 0));

  // No mesh: refused, the counter unchanged.
  SeparatedScene s = Separated(&m);
  s.mesh = nullptr;
  EXPECT_EQ(MakeSeparatedImages(s).image, -1);
  EXPECT_EQ(counter_, 3);
}

TEST(FrameOutline, TheSavedViewsCornersInTheView) {
  PPC view(55, 128, 72);
  view.PositionAndOrient({10, 20, 30}, {0, 0, -1}, {0, 1, 0});
  auto near = [](const Vex3_quarn& p, float x, float y) {
    return std::fabs(p.x - x) < 0.05f && std::fabs(p.y - y) < 0.05f;
  };
  std::array<Vex3_quarn, 4> o = FrameOutline(view, view);
  EXPECT_TRUE(near(o[0], 0, 0) && near(o[1], 128, 0) && near(o[2], 128, 72) && near(o[3], 0, 72));
  PPC zoomed = view;
  zoomed.Zoom(2);
  o = FrameOutline(zoomed, view);
  EXPECT_TRUE(near(o[0], 32, 18) && near(o[2], 96, 54)) << o[0].x << " " << o[0].y;
  int edges = 0;
  ForEachOutlineEdge(o, [&](const Vex3_quarn&, const Vex3_quarn&) { edges++; });
  EXPECT_EQ(edges, 4);
  // A saved view looking backwards: its corners lie behind the eye.
  PPC behind = view;
  behind.Pan(180);
  o = FrameOutline(behind, view);
  edges = 0;
  ForEachOutlineEdge(o, [&](const Vex3_quarn&, const Vex3_quarn&) { edges++; });
  EXPECT_EQ(edges, 0);
}

TEST_F(SmallScene, PlaneRunMenuRefusalsAndLog) {
  DatasetRow row = FindDataset(dataset::kManhattan);
  PlaneMember& plane = row.plane;
  std::ostringstream menu;
  PrintPlaneMenu(plane, menu);
  EXPECT_EQ(menu.str(),
            "0 - control\n1 - step2\n2 - step3\n3 - 4 endpoints step3\n4 - 4 endpoints step2\n");
  for (const char* typed : {"5", "x", "-1", "12", "1.5", ""}) {
    std::istringstream in(typed);
    std::ostringstream said;
    int choice = -1;
    EXPECT_FALSE(ReadPlaneChoice(in, said, &choice)) << typed;
    EXPECT_EQ(choice, -1);
    EXPECT_NE(said.str().find("nothing is run"), std::string::npos);
  }
  std::istringstream typed("\n 3 \n");
  int choice = -1;
  EXPECT_TRUE(ReadPlaneChoice(typed, out_, &choice));
  EXPECT_EQ(choice, 3);

  MakeFolders({layout::FolderName(Folder::kPlane), layout::ImageFolder("P0"),
               layout::ImageFolder("P1")});
  // The moving camera starts at the view and slides right and down.
  std::ofstream(layout::In(Folder::kPlane, "cam.ppc"))
      << "1 0 0\n0 -1 0\n-32 18 -30.7\n0 0 0\n0 0 0\n64 36\n30 100000\n";
  plane.rasterCamera = {Folder::kPlane, "cam.ppc"};
  WriteIdFile(layout::In(Folder::kPlane, "all.bin"), {0, 1, 2, 3});
  WriteIdFile(layout::In(Folder::kPlane, "none.bin"), {});
  plane.choices[0] = {"all", {Folder::kPlane, "all.bin"}, "P0"};
  plane.choices[1] = {"none", {Folder::kPlane, "none.bin"}, "P1"};
  PlaneRunScene s;
  s.plane = &plane;
  s.mesh = &mesh_;
  s.flags = &flags_;
  s.visible = &visible_;
  s.w = 64;
  s.h = 36;
  s.frames = 4;
  s.out = &out_;
  s.err = &err_;

  PlaneRunTotals t = TwoDimensionalRun(s, 0);
  EXPECT_EQ(t.frames, 3);
  EXPECT_EQ(t.missing, 0);
  EXPECT_EQ(t.allVisible, 4);
  const std::vector<std::string> all = Lines(layout::SeriesLog(layout::ImageFolder("P0")));
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[0], "State #1,0,0,4;0");
  EXPECT_EQ(all[2], "State #3,0,0,4;0");
  EXPECT_EQ(all[3], "All states:");
  EXPECT_EQ(all[4], "missing:0");
  EXPECT_EQ(all[5], "all visible:4");
  EXPECT_TRUE(FileExists(layout::Frame(layout::ImageFolder("P0"), 3)));
  EXPECT_FALSE(FileExists(layout::Frame(layout::ImageFolder("P0"), 0)));

  t = TwoDimensionalRun(s, 1);
  const std::vector<std::string> none = Lines(layout::SeriesLog(layout::ImageFolder("P1")));
  ASSERT_EQ(none.size(), 6u);
  // Every pixel is covered (the backdrop fills the view), and all red.
  EXPECT_EQ(none[1], "State #2,2304,4,4;2304");
  EXPECT_EQ(none[4], "missing:4");
  EXPECT_EQ(t.missing, 4);

  s.mesh = nullptr;
  EXPECT_EQ(TwoDimensionalRun(s, 0).frames, -1);
}

TEST(MovingBoxes, StartAndEndOfEveryBox) {
  const int w = 1280, h = 720;
  const MovingBoxesDemo demo = MakeMovingBoxesDemo(w, h);
  ASSERT_EQ(demo.boxes.size(), 6u);
  PPC untilted(30, w, h);
  untilted.PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
  untilted.SetGLAndCache();
  const Projector before = untilted.MakeProjector();
  auto window = [&](const Vex3_quarn& p, double* x, double* y, double* z) {
    ASSERT_TRUE(before.Project(p, x, y, z));
  };
  const double xs[5] = {160, 400, 640, 880, 1120};
  double x = 0, y = 0, z = 0;
  for (int i = 0; i < 5; i++) {
    const MovingBox& b = demo.boxes[size_t(i)];
    EXPECT_EQ(b.start, b.end);
    EXPECT_EQ(b.colour, kRowBoxColour);
    window(b.start, &x, &y, &z);
    EXPECT_NEAR(x, xs[i], 0.01);
    EXPECT_NEAR(y, -h / 3.0, 0.01);
    EXPECT_NEAR(z, 0.5, 1e-5);
  }
  const MovingBox& passing = demo.boxes[5];
  EXPECT_EQ(passing.colour, kPassingBoxColour);
  window(passing.start, &x, &y, &z);
  EXPECT_NEAR(x, 160, 0.01);
  EXPECT_NEAR(z, 0.6, 1e-5);
  window(passing.end, &x, &y, &z);
  EXPECT_NEAR(x, 1120, 0.01);

  std::vector<ColouredSurface> drawn;
  auto centre = [](const ColouredSurface& s) {
    Vex3_quarn c;
    for (const Vex3_quarn& p : s.mesh.positions) c += p * (1.0f / 8);
    return c;
  };
  PlaceMovingBoxes(demo, 0, kMovingBoxesFrames, &drawn);
  ASSERT_EQ(drawn.size(), 6u);
  EXPECT_LT((centre(drawn[5]) - passing.start).Length(), 0.01f);
  PlaceMovingBoxes(demo, kMovingBoxesFrames - 1, kMovingBoxesFrames, &drawn);
  EXPECT_LT((centre(drawn[5]) - passing.end).Length(), 0.01f);
  EXPECT_LT((centre(drawn[2]) - demo.boxes[2].start).Length(), 0.01f);
  EXPECT_EQ(drawn[0].mesh.TriangleCount(), 12);

  // The tilted view sees every box whole, the passing one behind the row.
  const Projector after = demo.camera.MakeProjector();
  for (const ColouredSurface& s : drawn)
    for (const Vex3_quarn& p : s.mesh.positions) {
      ASSERT_TRUE(after.Project(p, &x, &y, &z));
      EXPECT_TRUE(x > 0 && x < w && y > 0 && y < h && z > 0 && z < 1) << x << " " << y;
    }
}
