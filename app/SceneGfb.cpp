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
  const DatasetRow& row = FindDataset(dataset);
  if (row.interval == IntervalForm::kPoints) {
    PointSceneGfb();  // ScenePointScenes.cpp
    return;
  }
  IntervalButtonScene s;
  s.row = &row;
  if (const CatalogueEntry* e = Entry()) s.setIds = e->setIds;
  s.view = viewNumber;
  s.states = &states;
  s.triangleCount = triangleCount;
  s.flags = &drawFlags;
  s.visible = &runVisibleSet;
  s.viewCamera = viewCamera.get();
  s.frustumCulling = &frustumCulling;
  s.holdTrajectory = &holdTrajectory;
  s.trajectories = trajectories.get();
  s.sceneKey = Format("%s|%d|%d|%d", dataPath.c_str(), firstStateNumber, stateCount, triangleCount);
  s.timelineScene = &intervalTimelineScene;
  s.sampleBuffer = [this]() -> SampleLocationBuffer& { return SampleBuffer(1); };
  s.runLog = [this] {
    if (!intervalRunLog) intervalRunLog = std::make_unique<std::ofstream>(layout::kIntervalLog);
    return intervalRunLog.get();
  };
  s.replay = [this](const std::string& table) { ReplayTable(table); };
  s.in = input;
  s.out = output;
  s.err = errors;
  IntervalButton(s);
}
