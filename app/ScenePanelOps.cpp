// The panel's own settings: drawing mode, rendering factor, image capture,
// the start of Scene Setup.
#include <FL/Fl.H>

#include <iostream>

#include "FrameBuffer.h"
#include "Scene.h"
#include "TiffWindow.h"

void Scene::RedrawView() {
  viewWindow->redraw();
  Fl::check();
}

void Scene::SetDrawingMode(int renderMode) {
  viewWindow->renderMode = renderMode;
  RedrawView();
}

void Scene::SetRenderingFactor(int factor) {
  // The drawing divides by the factor: zero or a negative step is refused.
  if (factor < 1) {
    *errors << "ERROR: rendering factor " << factor << " refused (must be at least 1); keeping "
              << renderingFactor << std::endl;
    return;
  }
  renderingFactor = factor;
  RedrawView();
}

void Scene::SaveImagePressed(const std::string& fileInputText) {
  SaveImage(fileInputText + "_Edged.tif", viewWindow.get(), *output, *errors);
}

void Scene::SceneSetupPressed(int segment, int timeStamps) {
  wtcSegment = segment;
  SceneSetup(timeStamps);
}
