// "control": unpack the Scene for the two-end reference of its dataset
// (evaluation/ControlRuns.h); the point scenes go to their own drivers.
#include <algorithm>

#include "ControlRuns.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "PointSceneDrivers.h"
#include "Scene.h"

void Scene::ControlRun() {
  const DatasetRow& row = FindDataset(loaded.dataset);
  if (row.controlRun.form == ControlRunForm::kPoints) {
    if (!PointSceneReady("control")) return;
    const PPC view = *views.viewCamera;
    const std::vector<int32_t> flags = buffers.drawFlags;
    PointSceneControl(PointExperiment(view), row.controlRun.log.Path());
    *views.viewCamera = view;
    buffers.drawFlags = flags;
    RedrawView();
    return;
  }
  if (!AslSceneReady("control")) return;
  const int mode = views.viewWindow->renderMode;
  ControlScene s;
  s.row = &row;
  if (const CatalogueEntry* e = loaded.Entry()) s.setIds = e->setIds;
  s.stateCount = loaded.stateCount;
  s.movingCamera = settings.movingCamera != 0;
  s.frustumCulling = settings.frustumCulling != 0;
  s.states = &loaded.states;
  // Mode 10001 draws the moving copy while the sequence runs.
  s.drawn = [this] { return views.playbackState = PlaybackMesh(); };
  s.flags = &buffers.drawFlags;
  s.visible = &buffers.runVisibleSet;
  s.visibleFlags = &buffers.visibleFlags;
  s.view.setMode = [this](int m) { views.viewWindow->renderMode = m; };
  s.view.redraw = [this] { RedrawView(); };
  s.view.redrawAndSave = [this](const std::string& path) { RedrawAndSave(path); };
  s.itemBuffer = [this](int index, size_t* n) -> const int32_t* {
    const int saved = views.currentState;
    views.currentState = index;
    views.viewWindow->renderMode = render_mode::kItemBuffer;
    RedrawView();
    views.currentState = saved;
    *n = std::min(buffers.itemBuffer.size(),
                  size_t(views.viewWindow->w) * size_t(views.viewWindow->h));
    return buffers.itemBuffer.data();
  };
  s.showOnly = [this](const std::vector<int32_t>& mask) { ShowOnlyMasked(mask); };
  s.showAll = [this] { ShowFullLists(); };
  s.sampleBuffer = [this]() -> SampleLocationBuffer& { return SampleBuffer(1); };
  s.setRenderingFactor = [this](int f) { settings.renderingFactor = f; };
  s.out = output;
  s.err = errors;
  const int frames = ::ControlRun(s);
  views.playbackState = nullptr;
  if (frames < 0) return;  // refused: nothing was changed or drawn
  views.viewWindow->renderMode = mode;
  RedrawView();
}
