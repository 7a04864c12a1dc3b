#include "SceneParts.h"

#include <ostream>

#include "FrameBuffer.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "ParticleSet.h"

LoadedScene::LoadedScene() = default;
LoadedScene::~LoadedScene() = default;

const CatalogueEntry* LoadedScene::Entry() const { return FindCatalogueEntry(dataset); }

bool LoadedScene::PointScene() const {
  const CatalogueEntry* e = Entry();
  return e != nullptr && e->scheme == LoadScheme::kPointStates;
}

ObjLoader* LoadedScene::StateMesh(int index) {
  if (index < 0 || index >= stateCount || size_t(index) >= states.size()) return nullptr;
  return &states[size_t(index)];
}

SceneViews::SceneViews() = default;
SceneViews::~SceneViews() = default;

RunBuffers::RunBuffers() = default;
RunBuffers::~RunBuffers() = default;

SampleLocationBuffer& ViewSampleBuffer(RunBuffers& buffers, const PPC& view, double factor) {
  if (!buffers.sampleBuffer)
    buffers.sampleBuffer =
        std::make_unique<SampleLocationBuffer>(int32_t(view.w * factor), int32_t(view.h * factor));
  // The buffer keeps its size; its camera follows the view, so a run
  // always belongs to the view the window shows.
  buffers.sampleBuffer->SetCamera(view);
  buffers.bufferEye = view.eye;
  return *buffers.sampleBuffer;
}
