// "control": unpack the Scene for the two-end reference of its dataset
// (evaluation/ControlRuns.h); the point scenes go to their own drivers.
#include <algorithm>

#include "ControlRuns.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "PointSceneDrivers.h"
#include "Scene.h"

void Scene::ControlRun() {
  const DatasetRow& row = FindDataset(sceneId);
  if (row.controlRun.form == ControlRunForm::kPoints) {
    if (!PointSceneReady("control")) return;
    const PPC view = *viewCamera;
    const std::vector<int32_t> flags = drawFlags;
    PointSceneControl(PointExperiment(view), row.controlRun.log.Path());
    *viewCamera = view;
    drawFlags = flags;
    RedrawView();
    return;
  }
  if (!AslSceneReady("control")) return;
  const int mode = viewWindow->renderMode;
  ControlScene s;
  s.row = &row;
  s.dataset = sceneId;
  s.stateCount = stateCount;
  s.movingCamera = movingCamera != 0;
  s.frustumCulling = frustumCulling != 0;
  s.states = &states;
  // Mode 10001 draws the moving copy while the sequence runs.
  s.drawn = [this] { return playbackState = PlaybackMesh(); };
  s.flags = &drawFlags;
  s.visible = &runVisibleSet;
  s.visibleFlags = &visibleFlags;
  s.view.setMode = [this](int m) { viewWindow->renderMode = m; };
  s.view.redraw = [this] { RedrawView(); };
  s.view.redrawAndSave = [this](const std::string& path) { RedrawAndSave(path); };
  s.itemBuffer = [this](int index, size_t* n) -> const int32_t* {
    const int saved = currentState;
    currentState = index;
    viewWindow->renderMode = render_mode::kItemBuffer;
    RedrawView();
    currentState = saved;
    *n = std::min(itemBuffer.size(), size_t(viewWindow->w) * size_t(viewWindow->h));
    return itemBuffer.data();
  };
  s.showOnly = [this](const std::vector<int32_t>& mask) { ShowOnlyMasked(mask); };
  s.showAll = [this] { ShowFullLists(); };
  s.sampleBuffer = [this]() -> SampleLocationBuffer& { return SampleBuffer(1); };
  s.setRenderingFactor = [this](int f) { renderingFactor = f; };
  s.out = output;
  s.err = errors;
  const int frames = ::ControlRun(s);
  playbackState = nullptr;
  if (frames < 0) return;  // refused: nothing was changed or drawn
  viewWindow->renderMode = mode;
  RedrawView();
}
