// The Scene shell under a display: panel layout, the working buttons, the
// view window's keys and the sky background.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Value_Input.H>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "ControlPanel.h"
#include "FrameBuffer.h"
#include "Scene.h"
#include "SceneFixture.h"
#include "ScriptRunner.h"
#include "TestSupport.h"
#include "TiffIO.h"
#include "WorkFolders.h"
#include "XKeyPress.h"

namespace {

enum Kind { kButton, kRadio, kCheck, kValue, kFile, kGroup };

struct Expected {
  Kind kind;
  const char* label;
  int x, y, w, h;
  double value;  // radio/check state, numeric value; unused for buttons
};

// Every widget in construction order.
const Expected kPanel[] = {
    {kButton, "Scene Setup", 25, 60, 120, 40, 0}, {kFile, nullptr, 490, 16, 265, 32, 0},
    {kButton, "Save Image", 660, 55, 120, 40, 0},
    {kButton, "Compare Accuracy", 505, 55, 130, 40, 0}, {kButton, "Play", 190, 175, 120, 40, 0},
    {kValue, "Total Time Stamps", 25, 22, 120, 26, 2}, {kGroup, nullptr, 15, 105, 140, 330, 0},
    {kRadio, "Truck", 35, 105, 64, 15, 0}, {kRadio, "WTC 911", 35, 165, 90, 15, 0},
    {kValue, "Seg# ", 75, 181, 45, 24, 1}, {kRadio, "Easy Plane", 35, 210, 64, 15, 0},
    {kRadio, "Moving Box", 35, 230, 64, 15, 0}, {kRadio, "Triangle Pair", 35, 250, 64, 15, 0},
    {kRadio, "Truck_gfb", 35, 125, 95, 15, 1}, {kRadio, "Water Flow", 35, 270, 64, 15, 0},
    {kRadio, "Truck_gfb_step2", 35, 145, 95, 15, 0}, {kRadio, "Fusion", 35, 290, 100, 15, 0},
    {kRadio, "RTI", 35, 310, 100, 15, 0}, {kRadio, "RTI_Subdivided", 35, 330, 100, 15, 0},
    {kRadio, "Grass Field", 35, 350, 100, 15, 0}, {kRadio, "Forest", 35, 370, 100, 15, 0},
    {kRadio, "Manhattan", 35, 390, 100, 15, 0}, {kRadio, "Quarn Tree", 35, 410, 100, 15, 0},
    {kButton, "Exit", 660, 110, 130, 65, 0}, {kButton, "Save Present View", 360, 115, 125, 50, 0},
    {kButton, "Load Prev View", 505, 115, 125, 50, 0}, {kButton, "GFB_DBG", 190, 120, 120, 40, 0},
    {kButton, "Cmp Log files", 360, 365, 120, 40, 0},
    {kCheck, "Switch Trajectory Holder", 185, 15, 155, 40, 1},
    {kButton, "control", 190, 225, 120, 40, 0},
    {kCheck, "Switch Frustum Culling", 185, 45, 155, 40, 1}, {kButton, "ASL", 360, 230, 120, 40, 0},
    {kButton, "ASL Control", 360, 285, 120, 40, 0}, {kButton, "ASL_truth", 360, 175, 120, 40, 0},
    {kButton, "cmp Image", 520, 365, 120, 40, 0},
    {kCheck, "Switch Moving/Static Cam", 185, 75, 155, 40, 0},
    {kButton, "ASL+GFB", 510, 230, 120, 40, 0}, {kButton, "ASL+GFB control", 510, 285, 120, 40, 0},
    {kButton, "generate Img", 665, 185, 120, 40, 0},
    {kButton, "ASL+GFB truth", 510, 175, 120, 40, 0},
    {kButton, "Play Visible triangles", 190, 280, 120, 40, 0},
    {kButton, "Vis GFB", 665, 365, 120, 40, 0},
    {kButton, "Set Rendering factor", 25, 590, 155, 45, 0},
    {kValue, "Sampling Step", 125, 556, 55, 24, 100}, {kGroup, nullptr, 20, 445, 290, 105, 0},
    {kRadio, "Point", 35, 465, 155, 15, 1}, {kRadio, "TID", 35, 485, 155, 15, 0},
    {kRadio, "Filled", 35, 505, 155, 15, 0}, {kRadio, "Filled(Software)", 35, 525, 155, 15, 0},
    {kButton, "Subdivide Geometry", 200, 590, 155, 45, 0},
    {kButton, "Convert Fileformat", 25, 645, 155, 45, 0}, {kGroup, nullptr, 665, 555, 140, 120, 0},
    {kRadio, "Truth", 675, 570, 64, 15, 1}, {kRadio, "ASL", 675, 590, 64, 15, 0},
    {kRadio, "Control", 675, 610, 64, 15, 0}, {kButton, "Load Visibility", 675, 630, 105, 35, 0},
    {kButton, "DBG", 190, 365, 120, 40, 0}, {kButton, "SWITCH!", 325, 415, 120, 40, 0},
    {kButton, "Merge Visibility", 200, 645, 155, 45, 0},
    {kButton, "Make 2013 Footage!", 390, 565, 240, 50, 0}, {kValue, "View ID", 445, 526, 30, 24, 1},
    {kValue, "Type ID", 570, 526, 30, 24, 1}, {kButton, "ASL with Factor", 665, 485, 120, 40, 0},
    {kValue, "ASL factor", 735, 451, 30, 24, 1},
    {kButton, "Evaluate Error 2013", 390, 625, 240, 50, 0},
    {kButton, "Make Image!", 460, 415, 120, 40, 0},
    {kButton, "Make Frame Image!", 460, 465, 120, 40, 0},
    {kButton, "Make Error Image!", 325, 465, 120, 40, 0},
};

Kind KindOf(Fl_Widget* w) {
  if (dynamic_cast<Fl_File_Input*>(w)) return kFile;
  if (dynamic_cast<Fl_Value_Input*>(w)) return kValue;
  if (dynamic_cast<Fl_Check_Button*>(w)) return kCheck;
  if (auto* r = dynamic_cast<Fl_Round_Button*>(w)) return r->type() == FL_RADIO_BUTTON ? kRadio : kButton;
  if (w->as_group() != nullptr) return kGroup;
  return kButton;
}

void Click(Fl_Widget* w) { ClickWidget(w); }

constexpr uint32_t kSky = 0xFFFACA82u;  // (130, 202, 250), opaque

class SceneGui : public SharedScene<SceneGui> {
 protected:
  static void SetUpTestSuite() { StartSuite(); }
  void SetUp() override {
    SharedScene::SetUp();
    if (owner_ != nullptr) owner_->controlPanel->scene = owner_;
  }

  static Fl_Widget* Find(Kind kind, const char* label) {
    const std::vector<Fl_Widget*> all = PanelWidgets(*owner_);
    for (Fl_Widget* w : all)
      if (KindOf(w) == kind && w->label() && std::strcmp(w->label(), label) == 0) return w;
    ADD_FAILURE() << "no widget " << label;
    return nullptr;
  }
  static void ShowView() {
    FrameBuffer* v = owner_->views.viewWindow.get();
    if (!v->shown()) {
      v->show();
      v->wait_for_expose();
    }
  }
  // The image a TIFF file holds (empty when it cannot be read).
  static std::vector<uint32_t> ReadImage(const std::string& path, int* w = nullptr, int* h = nullptr) {
    std::vector<uint32_t> raster;
    int rw = 0, rh = 0;
    Quiet([&] { ReadTiffQuiet(path, &raster, &rw, &rh); });
    if (w) *w = rw;
    if (h) *h = rh;
    return raster;
  }
};

}  // namespace

TEST_F(SceneGui, ConstructionGivesInitialState) {
  Scene& s = *owner_;
  EXPECT_EQ(
      (std::vector<int>{s.settings.sceneId, s.settings.holdTrajectory, s.settings.frustumCulling,
                        s.settings.movingCamera, s.loaded.stateCount, s.settings.renderingFactor}),
      (std::vector<int>{10, 1, 1, 0, 0, 100}));
  EXPECT_EQ(s.settings.cameraStep, 100.0f);
  EXPECT_EQ(s.loaded.baseMesh, nullptr);
  EXPECT_EQ(s.input, &std::cin);
  EXPECT_NEAR(s.views.lightDirection.Length(), 1.0f, 1e-6f);
  EXPECT_NEAR(s.views.lightDirection.z * 4.0f, s.views.lightDirection.x * 16.0f, 1e-6f);
  for (const AABB& b : s.views.boxes) EXPECT_TRUE(b.Empty());

  // The view window (1280 x 720, render mode 1) with the default camera.
  EXPECT_EQ(s.views.viewCamera->corner, PPC(55, 1280, 720).corner);
  FrameBuffer& v = *s.views.viewWindow;
  EXPECT_EQ(v.camera, s.views.viewCamera.get());
  EXPECT_EQ(
      (std::vector<int>{v.w, v.h, v.renderMode, s.views.viewCamera->w, s.views.viewCamera->h}),
      (std::vector<int>{1280, 720, 1, 1280, 720}));

  Fl_Double_Window& panel = *s.controlPanel->window;
  EXPECT_STREQ(panel.label(), "GUI");
  EXPECT_TRUE(panel.shown());
  EXPECT_EQ((std::vector<int>{panel.x(), panel.y(), panel.w(), panel.h()}),
            (std::vector<int>{1300, 40, 831, 704}));
}

TEST_F(SceneGui, PanelHasEveryWidgetInOrderWithLabelPlaceAndValue) {
  const std::vector<Fl_Widget*> all = PanelWidgets(*owner_);
  ASSERT_EQ(all.size(), std::size(kPanel));
  for (size_t i = 0; i < all.size(); i++) {
    const Expected& e = kPanel[i];
    Fl_Widget* w = all[i];
    std::string name = e.label ? e.label : (e.kind == kFile ? "file input" : "group");
    SCOPED_TRACE(name);
    EXPECT_EQ(KindOf(w), e.kind);
    if (e.label)
      EXPECT_STREQ(w->label(), e.label);
    else
      EXPECT_TRUE(w->label() == nullptr || w->label()[0] == '\0');
    EXPECT_EQ(w->x(), e.x);
    EXPECT_EQ(w->y(), e.y);
    EXPECT_EQ(w->w(), e.w);
    EXPECT_EQ(w->h(), e.h);
    switch (e.kind) {
      case kRadio:
      case kCheck:
        EXPECT_EQ(static_cast<Fl_Button*>(w)->value(), int(e.value));
        break;
      case kValue:
        EXPECT_EQ(static_cast<Fl_Value_Input*>(w)->value(), e.value);
        break;
      case kFile:
        EXPECT_STREQ(static_cast<Fl_File_Input*>(w)->value(), "images/HW1.tif");
        break;
      default:
        break;
    }
  }
  auto* stamps = static_cast<Fl_Value_Input*>(Find(kValue, "Total Time Stamps"));
  EXPECT_EQ(stamps->minimum(), 0);
  EXPECT_EQ(stamps->maximum(), 170);
  EXPECT_EQ(stamps->step(), 1);
  auto* seg = static_cast<Fl_Value_Input*>(Find(kValue, "Seg# "));
  EXPECT_EQ(seg->minimum(), 1);
  EXPECT_EQ(seg->maximum(), 3);
}

TEST_F(SceneGui, SceneRadiosSetSceneIdOnlyWhenSelected) {
  const std::pair<const char*, int> radios[] = {
      {"Truck", 0},   {"Truck_gfb_step2", 11}, {"WTC 911", 1}, {"Easy Plane", 2},
      {"Moving Box", 3}, {"Triangle Pair", 4}, {"Water Flow", 5}, {"Fusion", 6},
      {"RTI", 7},     {"RTI_Subdivided", 71}, {"Grass Field", 8}, {"Forest", 9},
      {"Manhattan", 100}, {"Quarn Tree", 200}, {"Truck_gfb", 10}};
  for (auto [label, id] : radios) {
    Click(Find(kRadio, label));
    EXPECT_EQ(owner_->settings.sceneId, id) << label;
  }
  // A deselected button's callback changes nothing; nor does a repeat click.
  Fl_Widget* truck = Find(kRadio, "Truck");
  truck->do_callback();
  EXPECT_EQ(owner_->settings.sceneId, 10);
  Click(Find(kRadio, "Truck_gfb"));
  EXPECT_EQ(owner_->settings.sceneId, 10);
}

TEST_F(SceneGui, CheckButtonsMirrorTheirSwitches) {
  const std::pair<const char*, int Settings::*> checks[] = {
      {"Switch Trajectory Holder", &Settings::holdTrajectory},
      {"Switch Frustum Culling", &Settings::frustumCulling},
      {"Switch Moving/Static Cam", &Settings::movingCamera}};
  for (int round = 0; round < 2; round++)  // off and on again, or on and off
    for (auto [label, field] : checks) {
      const int before = owner_->settings.*field;
      Click(Find(kCheck, label));
      EXPECT_EQ(owner_->settings.*field, 1 - before) << label;
    }
}

TEST_F(SceneGui, DrawingModeRadiosSetTheRenderMode) {
  const std::pair<const char*, int> modes[] = {
      {"TID", 40001}, {"Filled", 40002}, {"Filled(Software)", 40003}, {"Point", 40000}};
  for (auto [label, code] : modes) {
    Click(Find(kRadio, label));
    EXPECT_EQ(owner_->views.viewWindow->renderMode, code) << label;
  }
  owner_->views.viewWindow->renderMode = render_mode::kItemBuffer;
}

TEST_F(SceneGui, SetRenderingFactorTakesTheSamplingStepAndRefusesZero) {
  auto* step = static_cast<Fl_Value_Input*>(Find(kValue, "Sampling Step"));
  Fl_Widget* set = Find(kButton, "Set Rendering factor");
  step->value(1);
  Click(set);
  EXPECT_EQ(owner_->settings.renderingFactor, 1);
  step->value(100);
  Click(set);
  EXPECT_EQ(owner_->settings.renderingFactor, 100);
  step->value(0);
  const std::string err = StderrOf([&] { Click(set); });
  EXPECT_EQ(owner_->settings.renderingFactor, 100);
  EXPECT_NE(err.find("rendering factor 0 refused"), std::string::npos) << err;
  step->value(100);
}

// Every button is built; a button added later without its operation
// says so in this line.
TEST(ControlPanel, ReportNotBuiltNamesTheButton) {
  std::ostringstream out;
  ReportNotBuilt(out, "Vis GFB");
  EXPECT_EQ(out.str(), "\"Vis GFB\": not available in this build yet\n");
}

// The merge works on its own scratch set: the loaded scene's triangle
// count and the arrays sized by it stay as they were.
TEST_F(SceneGui, MergeVisibilityKeepsTheSceneAndRunsNeedAScene) {
  owner_->loaded.triangleCount = 7;
  owner_->buffers.drawFlags.assign(7, 1);
  owner_->buffers.runVisibleSet.assign(7, 0);
  Quiet([&] { Click(Find(kButton, "Merge Visibility")); });
  EXPECT_EQ(owner_->loaded.triangleCount, 7);
  EXPECT_EQ(owner_->buffers.drawFlags.size(), 7u);
  EXPECT_EQ(owner_->buffers.runVisibleSet.size(), 7u);
  owner_->loaded.triangleCount = 0;
  owner_->buffers.drawFlags.clear();
  owner_->buffers.runVisibleSet.clear();
  const std::string none = "no scene is set up; choose a scene and press \"Scene Setup\" first\n";
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "DBG")); }), "\"DBG\": " + none);
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "Make Image!")); }), "\"Make Image!\": " + none);
}

// Render mode 990002 draws the boxes with the depth test: the green box
// is wholly hidden behind the first blue box at the start and shows in the
// gap after it.
TEST_F(SceneGui, MovingBoxesPassBehindTheRow) {
  ScratchDir dir;
  MakeFolder("Images/MB_demo");
  const PPC camera = *owner_->views.viewCamera;
  const int mode = owner_->views.viewWindow->renderMode;
  Quiet([&] { Click(Find(kButton, "Vis GFB")); });
  EXPECT_EQ(owner_->views.viewWindow->renderMode, 990002);
  // The other tests share the Scene: give it back as it was.
  *owner_->views.viewCamera = camera;
  owner_->views.viewWindow->renderMode = mode;
  owner_->views.demoBoxes.clear();
  auto count = [](const char* file, bool green) {
    int w = 0, h = 0;
    size_t n = 0;
    for (uint32_t p : ReadImage(file, &w, &h)) {
      const int r = p & 0xff, g = (p >> 8) & 0xff, b = (p >> 16) & 0xff;
      n += green ? (g > r + 40 && g > b + 40) : (b > r + 40 && b > g + 20);
    }
    return n;
  };
  EXPECT_GT(count("Images/MB_demo/img000.tif", false), 1000u);
  EXPECT_EQ(count("Images/MB_demo/img000.tif", true), 0u);
  EXPECT_GT(count("Images/MB_demo/img060.tif", true), 100u);
  EXPECT_TRUE(FileExists("Images/MB_demo/img599.tif"));
}

TEST_F(SceneGui, PlaybackAndTruthButtonsRefuseWithoutAScene) {
  const std::string none = "no scene is set up; choose a scene and press \"Scene Setup\" first\n";
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "Play")); }), "\"Play\": " + none);
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "Play Visible triangles")); }),
            "\"Play Visible triangles\": " + none);
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "Load Visibility")); }),
            "\"Load Visibility\": " + none);
  EXPECT_NE(StdoutOf([&] { Click(Find(kButton, "ASL_truth")); }).find("no triangle scene"),
            std::string::npos);
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "SWITCH!")); }), "");
}

TEST_F(SceneGui, AslTakesItsTileFromViewIdAndTypeId) {
  auto* column = static_cast<Fl_Value_Input*>(Find(kValue, "View ID"));
  auto* row = static_cast<Fl_Value_Input*>(Find(kValue, "Type ID"));
  column->value(1);
  row->value(3);
  Quiet([&] { Click(Find(kButton, "ASL")); });
  EXPECT_EQ(owner_->settings.tileColumn, 1);
  EXPECT_EQ(owner_->settings.tileRow, 3);
  column->value(0);
  row->value(2);
  Quiet([&] { Click(Find(kButton, "ASL with Factor")); });
  EXPECT_EQ(owner_->settings.tileColumn, 0);
  EXPECT_EQ(owner_->settings.tileRow, 2);
  column->value(1);
  row->value(1);
}

TEST_F(SceneGui, SubdivisionRefusesWithoutTheTerrain) {
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "Subdivide Geometry")); }),
            "\"Subdivide Geometry\": the terrain \"RTI\" is not set up; choose it and press "
            "\"Scene Setup\" first\n");
}

TEST_F(SceneGui, CallbacksDoNothingWithoutAScene) {
  owner_->controlPanel->scene = nullptr;
  EXPECT_EQ(StdoutOf([&] {
              Click(Find(kButton, "Scene Setup"));
              Click(Find(kRadio, "Forest"));
              Click(Find(kCheck, "Switch Frustum Culling"));
            }),
            "");
  EXPECT_EQ(owner_->settings.sceneId, 10);
  EXPECT_EQ(owner_->settings.frustumCulling, 1);
  // Put the widgets back as the Scene sees them.
  owner_->controlPanel->scene = owner_;
  Click(Find(kCheck, "Switch Frustum Culling"));
  Click(Find(kRadio, "Truck_gfb"));
  EXPECT_EQ(owner_->settings.frustumCulling, 1);
  EXPECT_EQ(owner_->settings.sceneId, 10);
}

TEST_F(SceneGui, KeysMoveTheViewCamera) {
  // The key table itself is the view window's (its own test); here the
  // Scene's camera and cameraStep 100 are bound to it.
  PPC saved = *owner_->views.viewCamera;
  Fl::e_keysym = FL_Up;
  owner_->views.viewWindow->handle(FL_KEYBOARD);
  EXPECT_NEAR(owner_->views.viewCamera->eye.z, -100.0f, 1e-4f);
  *owner_->views.viewCamera = saved;

  // A key press delivered by the X server reaches the view window too.
  ShowView();
  SendKeyPress(owner_->views.viewWindow.get(), 'a');
  // Pump events until the key has arrived (or give up after many rounds).
  for (int i = 0; i < 500 && owner_->views.viewCamera->corner == saved.corner; i++) Fl::wait(0.01);
  EXPECT_NEAR(owner_->views.viewCamera->FocalLength() / saved.FocalLength(), 0.99, 1e-6);
  *owner_->views.viewCamera = saved;
}

TEST_F(SceneGui, EveryModeDrawsTheSkyAndRecordingWritesFrames) {
  ShowView();
  FrameBuffer& v = *owner_->views.viewWindow;
  for (int mode : {1, 0, 4, 10116, 40000, 40001, 40002, 40003, 990002}) {
    v.renderMode = mode;
    std::fill(v.pixels.begin(), v.pixels.end(), 0u);
    v.redraw();
    Fl::check();
    ASSERT_TRUE(v.CaptureColor());
    // The moving boxes need no scene: white with no boxes made yet.
    const uint32_t background = mode == 990002 ? 0xffffffffu : kSky;
    size_t wrong = 0;
    for (uint32_t p : v.pixels) wrong += p != background;
    EXPECT_EQ(wrong, 0u) << "mode " << mode;
  }
  v.renderMode = render_mode::kItemBuffer;

  ScratchDir dir;
  owner_->views.recording = 1;
  owner_->views.recordPrefix = "rec_";
  owner_->views.recordCounter = 0;
  v.redraw();
  Fl::check();
  v.redraw();
  Fl::check();
  owner_->views.recording = 0;
  EXPECT_EQ(owner_->views.recordCounter, 2);
  int w = 0, h = 0;
  const std::vector<uint32_t> frame = ReadImage("rec_1.tif", &w, &h);
  ASSERT_FALSE(frame.empty());
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 720);
  EXPECT_EQ(frame[0], kSky);
}

TEST_F(SceneGui, SaveImageAndSavedViews) {
  ShowView();
  ScratchDir dir;
  mkdir("Views", 0755);
  owner_->controlPanel->fileInput->value("shot.tif");
  // The probe pixel's packed value.
  EXPECT_EQ(StdoutOf([&] { Click(Find(kButton, "Save Image")); }), std::to_string(kSky) + "\n");
  const std::vector<uint32_t> shot = ReadImage("shot.tif_Edged.tif");
  ASSERT_EQ(shot.size(), 1280u * 720u);
  EXPECT_EQ(shot[640 * 360], kSky);
  owner_->controlPanel->fileInput->value("images/HW1.tif");

  PPC saved = *owner_->views.viewCamera;
  owner_->views.viewCamera->Pan(10);
  owner_->views.viewCamera->eye = {1.5f, -2.25f, 3};
  PPC moved = *owner_->views.viewCamera;
  Click(Find(kButton, "Save Present View"));
  EXPECT_TRUE(FileExists("Views/BufferPPC.ppc"));
  *owner_->views.viewCamera = saved;
  Click(Find(kButton, "Load Prev View"));
  EXPECT_NEAR(owner_->views.viewCamera->eye.y, -2.25f, 1e-6f);
  EXPECT_NEAR(owner_->views.viewCamera->a.z, moved.a.z, 1e-6f);
  EXPECT_NEAR(owner_->views.viewCamera->corner.x, moved.corner.x, 1e-5f);
  *owner_->views.viewCamera = saved;
}

TEST_F(SceneGui, ExitEndsWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(Click(Find(kButton, "Exit")), testing::ExitedWithCode(0), "");
}
