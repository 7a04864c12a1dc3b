#include "Scene.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>

#include "ControlPanel.h"
#include "FrameBuffer.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "ParticleSet.h"

Scene::Scene() {
  // Shaders, lists, boxes and streams are constructed empty by their
  // member initialisers; the switches and numeric settings likewise.
  views.lightDirection = Vex3_quarn(-1, -2, -4).Normalized();
  views.spareCamera = std::make_unique<PPC>();
  controlPanel = std::make_unique<ControlPanel>();
  views.viewCamera = std::make_unique<PPC>(55.0f, kViewWidth, kViewHeight);

  // Allocated once for the fixed view so that no experiment allocates per
  // frame.
  buffers.itemBuffer.assign(kViewPixels, 0);
  buffers.compareBuffer.assign(kViewPixels, 0.0f);
  buffers.readbackBuffer.assign(kViewPixels * 16, 0.0f);
  buffers.quadBuffer.assign(kViewPixels * 4, 0u);
  buffers.wideBuffer.assign(kViewPixels, 0u);

  views.viewWindow = std::make_unique<FrameBuffer>(views.viewCamera->w, views.viewCamera->h);
  views.viewWindow->camera = views.viewCamera.get();
  views.viewWindow->cameraStep = &settings.cameraStep;
  views.viewWindow->renderCallback = [this](FrameBuffer& window) { Render(window); };

  Fl_Double_Window* panel = controlPanel->window.get();
  panel->resize(1300, 40, panel->w(), panel->h());
  panel->show();
  Fl::check();
}

Scene::~Scene() {
  // The window's draw must not reach a Scene that is going away.
  if (views.viewWindow) views.viewWindow->renderCallback = nullptr;
}
