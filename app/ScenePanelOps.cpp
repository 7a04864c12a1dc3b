// The panel's own settings: drawing mode, rendering factor, image capture,
// the start of Scene Setup.
#include <FL/Fl.H>

#include <iostream>

#include "FrameBuffer.h"
#include "Scene.h"
#include "TiffWindow.h"

void Scene::RedrawView() {
  views.viewWindow->redraw();
  Fl::check();
}

void Scene::SetDrawingMode(int renderMode) {
  views.viewWindow->renderMode = renderMode;
  RedrawView();
}

void Scene::SetRenderingFactor(int factor) {
  // The drawing divides by the factor: zero or a negative step is refused.
  if (factor < 1) {
    *errors << "ERROR: rendering factor " << factor << " refused (must be at least 1); keeping "
            << settings.renderingFactor << std::endl;
    return;
  }
  settings.renderingFactor = factor;
  RedrawView();
}

void Scene::SaveImagePressed(const std::string& fileInputText) {
  SaveImage(fileInputText + "_Edged.tif", views.viewWindow.get(), *output, *errors);
}

void Scene::SceneSetupPressed(int segment, int timeStamps) {
  settings.wtcSegment = segment;
  SceneSetup(timeStamps);
}
