// A small hand-built scene for the GL pass tests: a camera at the origin
// looking down -z and meshes built directly from triangles.
#pragma once

#include <FL/Fl.H>

#include <functional>
#include <memory>
#include <vector>

#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "RenderPasses.h"
#include "RenderTargets.h"
#include "TriangleSoup.h"
#include "cgShader.h"

struct TestTriangle {
  Vex3_quarn a, b, c;
};

// One group per entry of `groups`, material g + 1; live[g] triangles of
// each are alive (ids are assigned over all of them first, so the rest
// are dead ones).
inline std::unique_ptr<ObjLoader> MakeMesh(const std::vector<std::vector<TestTriangle>>& groups,
                                           const std::vector<int>& live) {
  std::vector<std::vector<std::array<Vex3_quarn, 3>>> tris;
  std::vector<int32_t> materials;
  for (const auto& g : groups) {
    tris.emplace_back();
    for (const TestTriangle& t : g) tris.back().push_back({t.a, t.b, t.c});
    materials.push_back(int32_t(tris.size()));
  }
  auto m = std::make_unique<ObjLoader>();
  BuildMesh(*m, tris);
  m->shadingMode = 1;
  m->groupMaterial.Assign(materials);
  m->triangleCount = 0;
  for (size_t g = 0; g < live.size() && g < groups.size(); g++) {
    m->groupTriCount[g] = live[g];
    m->triangleCount += live[g];
  }
  return m;
}

// The window, camera, targets and programs of one test program.
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
    for (int i = 0; i < 10 && !window->visible(); i++) Fl::wait(0.05);
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

  // Runs f inside the window's draw (the context current, before the swap).
  // Waits for the window to be mapped the first time.
  void Draw(const std::function<void(FrameBuffer&)>& f) {
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
    EXPECT_TRUE(ran) << "the window never drew";
    window->renderCallback = nullptr;
  }
};
