// The view window's buffers, marks, read-back and key bindings.
#include <FL/Fl.H>
#include <FL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "FrameBuffer.h"
#include "PPC.h"
#include "TestSupport.h"
#include "TiffIO.h"
#include "TiffWindow.h"

namespace {

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

void ExpectSameCamera(const PPC& got, const PPC& want, int key) {
  EXPECT_EQ(got.a, want.a) << key;
  EXPECT_EQ(got.b, want.b) << key;
  EXPECT_EQ(got.corner, want.corner) << key;
  EXPECT_EQ(got.eye, want.eye) << key;
}

void PressKey(FrameBuffer& fb, int key) {
  Fl::e_keysym = key;
  EXPECT_EQ(fb.handle(FL_KEYBOARD), 0);
}

}  // namespace

TEST(FrameBuffer, ConstructionAndBufferOperations) {
  FrameBuffer fb(20, 10);
  EXPECT_EQ((std::vector<int>{fb.renderMode, fb.w, fb.h, fb.x(), fb.y()}),
            (std::vector<int>{1, 20, 10, 1000, 40}));
  EXPECT_EQ(fb.camera, nullptr);
  EXPECT_TRUE(fb.mode() & FL_ALPHA);

  std::fill(fb.pixels.begin(), fb.pixels.end(), 7u);
  std::fill(fb.zBuffer.begin(), fb.zBuffer.end(), 0.5f);
  fb.Clear();
  EXPECT_EQ(fb.pixels, std::vector<uint32_t>(200, 0xFFFFFFFFu));
  EXPECT_EQ(fb.zBuffer, std::vector<float>(200, 0.0f));

  // A square at the top-left corner keeps to the buffer: rows counted from
  // the top land at the end of the bottom-up buffer.
  std::fill(fb.pixels.begin(), fb.pixels.end(), 0u);
  fb.MarkSquare(0, 0);
  for (int y = 0; y < 10; y++)
    for (int x = 0; x < 20; x++)
      EXPECT_EQ(fb.pixels[y * 20 + x] == 0xFFFFFFFFu, x <= 4 && y >= 5) << x << "," << y;
}

TEST(FrameBuffer, MarkLineDrawsAWideLineInsideTheBuffer) {
  FrameBuffer fb(40, 30);
  std::fill(fb.pixels.begin(), fb.pixels.end(), 0u);
  fb.MarkLine({2, 15, 0}, {30, 15, 0});  // horizontal, rows from the bottom
  for (int y = 0; y < 30; y++) {
    bool on = fb.pixels[y * 40 + 20] == 0xFFFFFFFFu;
    EXPECT_EQ(on, y >= 11 && y <= 19) << y;  // row 15 +- 4
  }
  EXPECT_EQ(fb.pixels[15 * 40 + 0], 0xFFFFFFFFu);  // square around column 2
  EXPECT_EQ(fb.pixels[15 * 40 + 34], 0xFFFFFFFFu);  // square around column 30
  EXPECT_EQ(fb.pixels[15 * 40 + 35], 0u);

  std::fill(fb.pixels.begin(), fb.pixels.end(), 0u);
  fb.MarkLine({-100, -100, 0}, {500, 500, 0});  // clamped, diagonal
  EXPECT_EQ(fb.pixels[10 * 40 + 10], 0xFFFFFFFFu);
  EXPECT_EQ(fb.pixels[29 * 40 + 0], 0u);
}

TEST(FrameBuffer, KeysMoveTheCameraAsBound) {
  FrameBuffer fb(64, 36);
  int draws = 0;
  fb.renderCallback = [&draws](FrameBuffer&) { draws++; };
  // No camera: nothing happens and nothing is redrawn.
  PressKey(fb, 'a');
  EXPECT_EQ(draws, 0);

  PPC cam(55, 64, 36);
  cam.PositionAndOrient({10, 20, 30}, {0.2f, -0.3f, -1}, {0, 1, 0});
  fb.camera = &cam;
  float step = 7.0f;
  fb.cameraStep = &step;
  struct Binding {
    int key;
    void (*apply)(PPC&, float);
  } table[] = {
      {FL_Up, [](PPC& c, float s) { c.MoveForward(s); }},
      {FL_Down, [](PPC& c, float s) { c.MoveForward(-s); }},
      {'.', [](PPC& c, float s) { c.MoveRight(s); }},
      {',', [](PPC& c, float s) { c.MoveRight(-s); }},
      {'2', [](PPC& c, float s) { c.MoveDown(s); }},
      {'1', [](PPC& c, float s) { c.MoveDown(-s); }},
      {FL_Left, [](PPC& c, float) { c.Pan(2); }},
      {FL_Right, [](PPC& c, float) { c.Pan(-2); }},
      {'q', [](PPC& c, float) { c.Tilt(2); }},
      {'w', [](PPC& c, float) { c.Tilt(-2); }},
      {'p', [](PPC& c, float) { c.Roll(2); }},
      {'o', [](PPC& c, float) { c.Roll(-2); }},
      {'a', [](PPC& c, float) { c.Zoom(0.99f); }},
      {'z', [](PPC& c, float) { c.Zoom(1.5f); c.Zoom(0.99f); }},
      {'x', [](PPC&, float) {}},  // unbound
  };
  for (const Binding& b : table) {
    PPC want = cam;
    b.apply(want, step);
    PressKey(fb, b.key);
    ExpectSameCamera(cam, want, b.key);
  }
  // The published key list is exactly the bound keys of the table.
  std::vector<int> bound;
  for (const Binding& b : table)
    if (b.key != 'x') bound.push_back(b.key);
  EXPECT_EQ(std::vector<int>(std::begin(FrameBuffer::kCameraKeys),
                             std::end(FrameBuffer::kCameraKeys)),
            bound);
  EXPECT_FALSE(fb.CameraKey('x'));
  EXPECT_TRUE(fb.CameraKey('q'));
  PPC before = cam;
  PressKey(fb, 'z');
  EXPECT_NEAR(cam.FocalLength() / before.FocalLength(), 1.485, 1e-5);
}

TEST(FrameBuffer, CaptureReadsTheDrawnFrame) {
  if (!HaveDisplay()) GTEST_SKIP() << "no DISPLAY";
  FrameBuffer fb(32, 16);
  fb.renderCallback = [](FrameBuffer& w) {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 32, 1);  // bottom row green
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    w.ReadDepth();
  };
  EXPECT_FALSE(fb.CaptureColor());  // not shown: nothing to read
  fb.show();
  Fl::check();
  ASSERT_TRUE(fb.CaptureColor());
  EXPECT_EQ(fb.pixels[0], 0xFF00FF00u);
  EXPECT_EQ(fb.pixels[31], 0xFF00FF00u);
  EXPECT_EQ(fb.pixels[32], 0xFF0000FFu);
  EXPECT_EQ(fb.pixels[16 * 32 - 1], 0xFF0000FFu);
  EXPECT_EQ(fb.zBuffer[5], 1.0f);

  ScratchDir dir;
  // No probe pixel printed: it lies outside a small view.
  EXPECT_EQ(StdoutOf([&] { EXPECT_EQ(SaveImage("view.tiff", &fb), -1); }), "");
  EXPECT_FALSE(FileExists("view.tiff"));
  EXPECT_EQ(SaveImage("view.tif", &fb), 1);
  std::vector<uint32_t> raster;
  int w = 0, h = 0;
  ASSERT_TRUE(Quiet([&] { return ReadTiffQuiet("view.tif", &raster, &w, &h); }));
  EXPECT_EQ(raster, fb.pixels);
  fb.hide();
}
