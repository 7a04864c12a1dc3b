// "GFB_DBG": the interval visibility runs on the loaded scene. Unpacks the
// Scene for the interval driver (evaluation/IntervalButton.h), which
// chooses the run by the dataset's row; the point scenes go to their own.
#include <fstream>

#include "DatasetTable.h"
#include "Format.h"
#include "IntervalButton.h"
#include "Scene.h"
#include "WorkLayout.h"

void Scene::GfbDbg() {
  if (!AslSceneReady("GFB_DBG")) return;
  const DatasetRow& row = FindDataset(loaded.dataset);
  if (row.interval == IntervalForm::kPoints) {
    PointSceneGfb();  // ScenePointScenes.cpp
    return;
  }
  IntervalButtonScene s;
  s.row = &row;
  if (const CatalogueEntry* e = loaded.Entry()) s.setIds = e->setIds;
  s.view = views.viewNumber;
  s.states = &loaded.states;
  s.triangleCount = loaded.triangleCount;
  s.flags = &buffers.drawFlags;
  s.visible = &buffers.runVisibleSet;
  s.viewCamera = views.viewCamera.get();
  s.frustumCulling = &settings.frustumCulling;
  s.holdTrajectory = &settings.holdTrajectory;
  s.trajectories = loaded.trajectories.get();
  s.sceneKey = Format("%s|%d|%d|%d", loaded.dataPath.c_str(), loaded.firstStateNumber,
                      loaded.stateCount, loaded.triangleCount);
  s.timelineScene = &buffers.intervalTimelineScene;
  s.sampleBuffer = [this]() -> SampleLocationBuffer& { return SampleBuffer(1); };
  s.runLog = [this] {
    if (!buffers.intervalRunLog)
      buffers.intervalRunLog = std::make_unique<std::ofstream>(layout::kIntervalLog);
    return buffers.intervalRunLog.get();
  };
  s.replay = [this](const std::string& table) { ReplayTable(table); };
  s.in = input;
  s.out = output;
  s.err = errors;
  IntervalButton(s);
}
