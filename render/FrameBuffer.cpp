#include "FrameBuffer.h"

#include <FL/Fl.H>
#include <FL/gl.h>

#include <cmath>
#include <cstdlib>

#include "CameraGL.h"
#include "PPC.h"

FrameBuffer::FrameBuffer(int width, int height)
    : Fl_Gl_Window(1000, 40, width, height),
      w(width),
      h(height),
      pixels(size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0)),
      zBuffer(pixels.size()) {
  // Alpha bits are needed for the 4-byte identifier encoding.
  mode(FL_RGB | FL_ALPHA | FL_DEPTH | FL_DOUBLE);
  end();
  // Cameras follow into GL whenever a context is current.
  UseCameraGL();
}

void FrameBuffer::Clear() {
  std::fill(pixels.begin(), pixels.end(), 0xFFFFFFFFu);
  std::fill(zBuffer.begin(), zBuffer.end(), 0.0f);
}

void FrameBuffer::ReadColor() {
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

void FrameBuffer::ReadDepth() {
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, zBuffer.data());
}

bool FrameBuffer::CaptureColor() { return Capture(false); }

bool FrameBuffer::Capture(bool depth) {
  if (drawing_) {
    ReadColor();
    if (depth) ReadDepth();
    return true;
  }
  if (!shown()) return false;
  // After the swap the window's buffers are undefined: draw once more and
  // read back before swapping. A window shown a moment ago is drawn only
  // once it is mapped.
  wait_for_expose();
  captureColor_ = true;
  captureDepth_ = depth;
  redraw();
  Fl::flush();
  bool done = !captureColor_;
  captureColor_ = captureDepth_ = false;
  return done;
}

void FrameBuffer::ShowPixels() {
  glDrawPixels(w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

void FrameBuffer::MarkSquare(int x, int y) {
  for (int row = y - 4; row <= y + 4; row++) {
    if (row < 0 || row >= h) continue;
    for (int col = x - 4; col <= x + 4; col++) {
      if (col < 0 || col >= w) continue;
      pixels[size_t(h - row - 1) * w + col] = 0xFFFFFFFFu;
    }
  }
}

void FrameBuffer::MarkLine(const Vex3_quarn& p0, const Vex3_quarn& p1) {
  float dx = p1.x - p0.x, dy = p1.y - p0.y;
  float len = std::sqrt(dx * dx + dy * dy);
  int i0 = std::max(0, int(std::floor(std::min(p0.x, p1.x))));
  int i1 = std::min(w - 1, int(std::ceil(std::max(p0.x, p1.x))));
  int j0 = std::max(0, int(std::floor(std::min(p0.y, p1.y))));
  int j1 = std::min(h - 1, int(std::ceil(std::max(p0.y, p1.y))));
  for (int j = j0; j <= j1; j++) {
    for (int i = i0; i <= i1; i++) {
      // |cross product| / |P1 - P0| is the distance to the line.
      float c = (float(j) - p0.y) * dx - (float(i) - p0.x) * dy;
      if (std::fabs(c) < len) MarkSquare(i, h - j - 1);
    }
  }
}

void FrameBuffer::RedrawNow() {
  redraw();
  Fl::check();
}

void FrameBuffer::draw() {
  if (!renderCallback) return;
  drawing_ = true;
  renderCallback(*this);
  if (captureColor_) {
    ReadColor();
    if (captureDepth_) ReadDepth();
    captureColor_ = captureDepth_ = false;
  }
  drawing_ = false;
}

int FrameBuffer::handle(int event) {
  if (event != FL_KEYBOARD) {
    Fl_Gl_Window::handle(event);
    return 0;
  }
  CameraKey(Fl::event_key());
  return 0;
}

bool FrameBuffer::CameraKey(int key) {
  if (camera == nullptr) return false;
  float s = cameraStep != nullptr ? *cameraStep : 100.0f;
  switch (key) {
    case FL_Up: camera->MoveForward(s); break;
    case FL_Down: camera->MoveForward(-s); break;
    case '.': camera->MoveRight(s); break;
    case ',': camera->MoveRight(-s); break;
    case '2': camera->MoveDown(s); break;
    case '1': camera->MoveDown(-s); break;
    case FL_Left: camera->Pan(2); break;
    case FL_Right: camera->Pan(-2); break;
    case 'q': camera->Tilt(2); break;
    case 'w': camera->Tilt(-2); break;
    case 'p': camera->Roll(2); break;
    case 'o': camera->Roll(-2); break;
    case 'a': camera->Zoom(0.99f); break;
    case 'z':
      // Zoom in, show it, then the "a" step: net factor 1.485.
      camera->Zoom(1.5f);
      RedrawNow();
      camera->Zoom(0.99f);
      break;
    default: return false;
  }
  RedrawNow();
  return true;
}
