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
  const bool points = PointScene() && triangleCount > 0;
  if ((baseMesh != nullptr && triangleCount > 0) || points) {
    if (drawFlags.size() < size_t(triangleCount)) drawFlags.resize(size_t(triangleCount), 1);
    if (runVisibleSet.size() != size_t(triangleCount))
      runVisibleSet.assign(size_t(triangleCount), 0);
    return true;
  }
  *output << "\"" << label
          << "\": no scene is set up; choose a scene and press \"Scene Setup\" first" << std::endl;
  return false;
}

SampleLocationBuffer& Scene::SampleBuffer(double factor) {
  if (!sampleBuffer) {
    sampleBuffer = std::make_unique<SampleLocationBuffer>(int32_t(viewCamera->w * factor),
                                                          int32_t(viewCamera->h * factor));
  }
  // The buffer keeps its size; its camera follows the view, so a run
  // always belongs to the view the window shows.
  sampleBuffer->SetCamera(*viewCamera);
  bufferEye = viewCamera->eye;
  return *sampleBuffer;
}

AslButtonScene Scene::AslScene() {
  AslButtonScene s;
  s.row = &FindDataset(dataset);
  if (const CatalogueEntry* e = Entry()) s.setIds = e->setIds;
  s.view = viewNumber;
  s.tileColumn = tileColumn;
  s.tileRow = tileRow;
  s.mesh = drawMesh != nullptr ? drawMesh : baseMesh;
  if (particleDrawState) {
    s.points.count = int32_t(particleDrawState->positions.size());
    s.points.points = particleDrawState->positions.data();
  }
  s.radius = float(radius);
  s.viewCamera = viewCamera.get();
  s.flags = &drawFlags;
  s.visible = &runVisibleSet;
  s.sampleBuffer = [this](double factor) -> SampleLocationBuffer& { return SampleBuffer(factor); };
  s.bufferMade = sampleBuffer != nullptr;
  s.showVisibleSet = [this] { ShowVisibleSet(); };
  s.redraw = [this] { RedrawView(); };
  s.out = output;
  s.err = errors;
  return s;
}

void Scene::ShowVisibleSet() {
  // The grass view draws drawMesh restricted to the marks, which are the
  // run's set; the footage view would mask by the draw flags instead.
  viewWindow->renderMode = render_mode::kGrass;
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
