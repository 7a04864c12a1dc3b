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
  lightDirection = Vex3_quarn(-1, -2, -4).Normalized();
  spareCamera = std::make_unique<PPC>();
  controlPanel = std::make_unique<ControlPanel>();
  viewCamera = std::make_unique<PPC>(55.0f, kViewWidth, kViewHeight);

  // Allocated once for the fixed view so that no experiment allocates per
  // frame.
  itemBuffer.assign(kViewPixels, 0);
  compareBuffer.assign(kViewPixels, 0.0f);
  readbackBuffer.assign(kViewPixels * 16, 0.0f);
  quadBuffer.assign(kViewPixels * 4, 0u);
  wideBuffer.assign(kViewPixels, 0u);

  viewWindow = std::make_unique<FrameBuffer>(viewCamera->w, viewCamera->h);
  viewWindow->camera = viewCamera.get();
  viewWindow->cameraStep = &cameraStep;
  viewWindow->renderCallback = [this](FrameBuffer& window) { Render(window); };

  Fl_Double_Window* panel = controlPanel->window.get();
  panel->resize(1300, 40, panel->w(), panel->h());
  panel->show();
  Fl::check();
}

Scene::~Scene() {
  // The window's draw must not reach a Scene that is going away.
  if (viewWindow) viewWindow->renderCallback = nullptr;
}

const CatalogueEntry* Scene::Entry() const { return FindCatalogueEntry(dataset); }

bool Scene::PointScene() const {
  const CatalogueEntry* e = Entry();
  return e != nullptr && e->scheme == LoadScheme::kPointStates;
}
