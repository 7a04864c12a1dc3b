// Every catalogue scene of the generated working directory draws in its
// setup render mode and in the panel's drawing modes: pixels other than the
// mode's background appear, and the item buffer of mode 1 holds triangles.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "RenderingFactor.h"
#include "Scene.h"
#include "ScratchDir.h"
#include "Workdir.h"

namespace {

constexpr uint32_t kSky = 130u | 202u << 8 | 250u << 16 | 0xFFu << 24;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;

uint32_t Background(int mode) {
  switch (mode) {
    case 10113:
    case 10116:
    case 40001: return kWhite;
    case 40000:
    case 40002: return kBlack;
    default: return kSky;
  }
}

class CatalogueRender : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::getenv("DISPLAY") == nullptr) return;
    dir_ = new ScratchDir();
    WorkdirOptions options;
    options.cgSource = WB_CG_SOURCE_DIR;
    WorkdirManifest manifest;
    testing::internal::CaptureStdout();
    bool made = MakeWorkdir(".", options, &manifest);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(made);
    owner_ = new Scene();
    scene = owner_;
  }
  static void TearDownTestSuite() {
    scene = nullptr;
    delete owner_;
    delete dir_;
    owner_ = nullptr;
  }
  void SetUp() override {
    if (owner_ == nullptr) GTEST_SKIP() << "no DISPLAY";
  }

  // Draws the view in `mode` and counts the pixels that are not the
  // mode's background.
  size_t Drawn(int mode) {
    FrameBuffer& v = *owner_->viewWindow;
    v.renderMode = mode;
    v.redraw();
    Fl::check();
    EXPECT_TRUE(v.CaptureColor());
    size_t n = 0;
    for (uint32_t p : v.pixels) n += p != Background(mode);
    return n;
  }

  static ScratchDir* dir_;
  static Scene* owner_;
};
ScratchDir* CatalogueRender::dir_ = nullptr;
Scene* CatalogueRender::owner_ = nullptr;

struct Case {
  const char* label;
  int sceneId, timeStamps, segment;
  const char* typed;
};

const Case kCases[] = {
    {"Truck", 0, 2, 1, ""},           {"Truck_gfb", 10, 3, 1, ""},
    {"Truck_gfb_step2", 11, 4, 1, ""}, {"WTC 911", 1, 2, 1, ""},
    {"Easy Plane", 2, 2, 1, ""},       {"Moving Box", 3, 2, 1, ""},
    {"Triangle Pair", 4, 2, 1, ""},    {"Water Flow", 5, 3, 1, ""},
    {"Fusion", 6, 3, 1, ""},           {"RTI", 7, 2, 1, ""},
    {"RTI_Subdivided", 71, 2, 1, "1 1"}, {"Grass Field", 8, 2, 1, ""},
    {"Forest", 9, 2, 1, ""},           {"Manhattan", 100, 2, 1, ""},
    {"Quarn Tree", 200, 2, 1, ""},
};

}  // namespace

TEST_F(CatalogueRender, EverySceneDrawsInItsSetupModeAndTheDrawingModes) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.label);
    Scene& s = *owner_;
    std::istringstream typed(c.typed);
    s.input = &typed;
    s.sceneId = c.sceneId;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    s.SceneSetupPressed(c.segment, c.timeStamps);
    const int setupMode = s.viewWindow->renderMode;
    renderingFactor = 1;
    size_t setup = Drawn(setupMode);
    bool points = s.particleDrawState != nullptr;
    size_t pointView = points ? 0 : Drawn(40000);
    size_t tid = points ? 0 : Drawn(40001);
    size_t filled = points ? 0 : Drawn(40002);
    size_t items = 0;
    if (!points) {
      Drawn(1);
      for (int32_t id : s.itemBuffer) items += id >= 0;
    }
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    renderingFactor = 100;
    s.input = &std::cin;

    EXPECT_GT(setup, 500u) << "mode " << setupMode;
    // Every program the passes loaded compiled.
    EXPECT_EQ(out.find("failed"), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
    if (points) continue;
    EXPECT_GT(pointView, 100u);
    EXPECT_GT(tid, 500u);
    EXPECT_GT(filled, 500u);
    EXPECT_GT(items, 500u);
  }
}
