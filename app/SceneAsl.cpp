// "ASL", "ASL with Factor" and "ASL Control": unpack the Scene and hand it
// to the still-frame drivers (evaluation/AslDrivers.h).
#include <FL/Fl.H>

#include <iostream>

#include "AslDrivers.h"
#include "AslRun.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"

bool Scene::AslSceneReady(const char* label) {
  const bool points = loaded.PointScene() && loaded.triangleCount > 0;
  if ((loaded.baseMesh != nullptr && loaded.triangleCount > 0) || points) {
    if (buffers.drawFlags.size() < size_t(loaded.triangleCount))
      buffers.drawFlags.resize(size_t(loaded.triangleCount), 1);
    if (buffers.runVisibleSet.size() != size_t(loaded.triangleCount))
      buffers.runVisibleSet.assign(size_t(loaded.triangleCount), 0);
    return true;
  }
  *output << "\"" << label
          << "\": no scene is set up; choose a scene and press \"Scene Setup\" first" << std::endl;
  return false;
}

SampleLocationBuffer& Scene::SampleBuffer(double factor) {
  return ViewSampleBuffer(buffers, *views.viewCamera, factor);
}

AslButtonScene Scene::AslScene() {
  AslButtonScene s;
  s.row = &FindDataset(loaded.dataset);
  if (const CatalogueEntry* e = loaded.Entry()) s.setIds = e->setIds;
  s.view = views.viewNumber;
  s.tileColumn = settings.tileColumn;
  s.tileRow = settings.tileRow;
  s.mesh = loaded.drawMesh != nullptr ? loaded.drawMesh : loaded.baseMesh;
  if (loaded.particleDrawState) {
    s.points.count = int32_t(loaded.particleDrawState->positions.size());
    s.points.points = loaded.particleDrawState->positions.data();
  }
  s.radius = float(loaded.radius);
  s.viewCamera = views.viewCamera.get();
  s.flags = &buffers.drawFlags;
  s.visible = &buffers.runVisibleSet;
  s.sampleBuffer = [this](double factor) -> SampleLocationBuffer& { return SampleBuffer(factor); };
  s.bufferMade = buffers.sampleBuffer != nullptr;
  s.showVisibleSet = [this] { ShowVisibleSet(); };
  s.redraw = [this] { RedrawView(); };
  s.out = output;
  s.err = errors;
  return s;
}

void Scene::ShowVisibleSet() {
  // The grass view draws drawMesh restricted to the marks, which are the
  // run's set; the footage view would mask by the draw flags instead.
  views.viewWindow->renderMode = render_mode::kGrass;
  RedrawView();
}

void Scene::Asl() {
  if (AslSceneReady("ASL")) AslButton(AslScene());
}

void Scene::AslWithFactor(double factor) {
  if (AslSceneReady("ASL with Factor")) AslWithFactorButton(AslScene(), factor);
}

void Scene::AslControl() {
  if (AslSceneReady("ASL Control")) AslControlButton(AslScene());
}
