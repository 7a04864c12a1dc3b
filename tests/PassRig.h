// The window, camera, render targets and programs that the GL pass tests
// and the item-buffer benchmark draw with: one shown view window, its
// camera, and a pass context over buffers of the window's size.
#pragma once

#include <FL/Fl.H>

#include <functional>
#include <memory>
#include <vector>

#include "FrameBuffer.h"
#include "PPC.h"
#include "RenderPasses.h"
#include "RenderTargets.h"
#include "cgShader.h"

struct PassRig {
  std::unique_ptr<PPC> camera;
  std::unique_ptr<FrameBuffer> window;
  RenderTargets targets;
  cgShader shaders[7];
  std::vector<float> readback;
  std::vector<int32_t> itemBuffer;
  int backdrop = -1;

  PassRig(int w, int h) {
    camera = std::make_unique<PPC>(55.0f, w, h);
    window = std::make_unique<FrameBuffer>(w, h);
    window->camera = camera.get();
    readback.assign(size_t(w) * h * 4, 0.0f);
    itemBuffer.assign(size_t(w) * h, 0);
    window->show();
    for (int i = 0; i < 20 && !window->visible(); i++) Fl::wait(0.05);
    Fl::wait(0.05);
  }

  PassContext Context() {
    PassContext c;
    c.window = window.get();
    c.targets = &targets;
    c.shaders = {&shaders[0], &shaders[1], &shaders[2], &shaders[3],
                 &shaders[4], &shaders[5], &shaders[6]};
    c.readback = &readback;
    c.itemBuffer = itemBuffer.data();
    c.backdropTexture = &backdrop;
    c.lightDirection = Vex3_quarn(-1, -2, -4).Normalized();
    return c;
  }

  // Runs f inside the window's draw (the context current, before the swap);
  // waits for the window to be mapped the first time. False when the
  // window never drew.
  bool Draw(const std::function<void(FrameBuffer&)>& f) {
    bool ran = false;
    window->renderCallback = [&](FrameBuffer& fb) {
      EnsureTargets(targets, fb.w, fb.h);
      BindWindow(targets);
      f(fb);
      ran = true;
    };
    window->redraw();
    Fl::flush();
    for (int i = 0; i < 200 && !ran; i++) {
      Fl::wait(0.05);
      window->redraw();
      Fl::flush();
    }
    window->renderCallback = nullptr;
    return ran;
  }
};
