// One shown GL window per test program whose context is current.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>

#include "CameraGL.h"

// A plain GL window with the mode the view window uses (alpha bits keep the
// byte encoding's top byte).
class TestGLWindow : public Fl_Gl_Window {
 public:
  TestGLWindow(int w, int h) : Fl_Gl_Window(0, 0, w, h) {
    mode(FL_RGB | FL_ALPHA | FL_DEPTH | FL_DOUBLE);
  }
  void draw() override {}
};

// Shows the window once per program and makes its context current.
inline TestGLWindow* CurrentGLWindow(int w = 64, int h = 64) {
  static TestGLWindow* window = nullptr;
  if (window == nullptr) {
    UseCameraGL();
    window = new TestGLWindow(w, h);
    window->show();
    for (int i = 0; i < 5; i++) Fl::wait(0.02);
  }
  window->make_current();
  return window;
}
