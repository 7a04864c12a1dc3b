// The view window and, at the same time, the CPU-side colour and depth
// buffers that rendered images are read back into. What is drawn is decided
// by the render callback the application installs; keys move the camera.
#pragma once

#include <FL/Fl_Gl_Window.H>

#include <cstdint>
#include <functional>
#include <vector>

#include "SceneNumbers.h"
#include "Vex3.h"

class PPC;

class FrameBuffer : public Fl_Gl_Window {
 public:
  int renderMode = render_mode::kItemBuffer;
  // Buffer size in pixels (the window's size at construction). These hide
  // Fl_Widget::w() and h(); use Fl_Widget::w() for the widget's size.
  int w, h;
  std::vector<uint32_t> pixels;  // R | G << 8 | B << 16 | A << 24, row 0 at the bottom
  std::vector<float> zBuffer;    // window depth in [0, 1]
  PPC* camera = nullptr;         // not owned

  // Runs as the window's draw; unset, the window draws nothing.
  std::function<void(FrameBuffer&)> renderCallback;
  // The distance a key moves the camera (the Scene's step); 100 when unset.
  const float* cameraStep = nullptr;

  FrameBuffer(int width, int height);
  ~FrameBuffer() override = default;

  void Clear();
  // Read from whatever framebuffer is bound, in the current context.
  void ReadColor();
  void ReadDepth();
  // The colour buffer as it shows now: read directly while drawing; from
  // outside a draw, a redraw that reads back before the buffer swap. False
  // (pixels untouched) when the window is not shown.
  bool CaptureColor();
  // The same, with the depth buffer into zBuffer as well when asked.
  bool Capture(bool depth);
  // Draws pixels at the current raster position.
  void ShowPixels();
  // 9 x 9 white square centred on column x, row y counted from the top.
  void MarkSquare(int x, int y);
  // White line about 9 pixels wide through two points given in columns and
  // rows from the bottom (z ignored).
  void MarkLine(const Vex3_quarn& p0, const Vex3_quarn& p1);
  // redraw() followed by one pass of event processing.
  void RedrawNow();
  bool Drawing() const { return drawing_; }

  // The keys that move the camera (FL_Up ... and characters), as
  // CameraKey binds them; scripts check their keys against it.
  static constexpr int kCameraKeys[] = {FL_Up, FL_Down, '.', ',', '2', '1', FL_Left,
                                        FL_Right, 'q', 'w', 'p', 'o', 'a', 'z'};
  // What a press of `key` does: moves the camera and redraws. False when
  // there is no camera or the key moves nothing.
  bool CameraKey(int key);

  void draw() override;
  int handle(int event) override;

 private:
  bool drawing_ = false;
  bool captureColor_ = false;
  bool captureDepth_ = false;
};
