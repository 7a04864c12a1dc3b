// "GFB_DBG": the interval visibility runs on the loaded scene. Unpacks the
// Scene, chooses the run by its dataset's row, reads the step bounds the
// sub-interval run asks for, and hands over to the interval drivers
// (evaluation/IntervalDrivers.h).
#include <fstream>
#include <iostream>
#include <limits>

#include "ControlPanel.h"
#include "DatasetTable.h"
#include "Format.h"
#include "Frustum.h"
#include "IntervalDrivers.h"
#include "KeyframeTrajectories.h"
#include "KeyframedMotion.h"
#include "ObjLoader.h"
#include "Scene.h"
#include "WorkLayout.h"

namespace {

// Two integers from the console. False, with a line on `err`, when the
// input holds something else.
bool ReadStepBounds(std::istream& in, std::ostream& err, int* first, int* last) {
  int a = 0, b = 0;
  if (in >> a >> b) {
    *first = a;
    *last = b;
    return true;
  }
  err << "Step bounds must be two integers; nothing is computed." << std::endl;
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  return false;
}

}  // namespace

void Scene::GfbDbg() {
  if (!AslSceneReady("GFB_DBG")) return;
  const DatasetRow& row = FindDataset(sceneId);
  if (row.interval == IntervalForm::kPoints) {
    PointSceneGfb();  // ScenePointScenes.cpp
    return;
  }
  if (states.empty()) {
    *output << "\"GFB_DBG\": the scene has no triangle states" << std::endl;
    return;
  }
  // The interval lies between the first two states. A scene loaded with one
  // state (the object-list scenes without their camera path, the terrain)
  // stands still over it.
  const ObjLoader* second = &states[0];
  if (states.size() >= 2 && states[1].positions.size() == states[0].positions.size())
    second = &states[1];
  else
    *output << "INFO: \"GFB_DBG\": the scene has one state; its triangles stand still over the "
               "interval"
            << std::endl;

  // The frustum of the view, which the sample buffer takes as its camera
  // once the run is accepted.
  GLMatrices view;
  viewCamera->ComputeGLArrays(view.modelView, view.projection, view.viewport);
  Frustum frustum = Frustum::FromMatrices(view);
  IntervalRunScene run;
  run.frustum = &frustum;
  run.first = &states[0];
  run.second = second;
  run.triangleCount = triangleCount;
  run.liveFlags = &drawFlags;
  run.unionSet = &runVisibleSet;
  run.dataset = sceneId;
  run.frustumCulling = frustumCulling != 0;
  run.out = output;
  run.err = errors;
  KeyframeTrajectories* record = trajectories.get();
  // The record must be of this scene's vertices and triangles; another
  // scene's tracks would move other vertices.
  if (record && (record->triangleCount != baseMesh->IdCount() ||
                 record->vertexCount != baseMesh->vertexCount))
    record = nullptr;
  if (record && holdTrajectory) {
    run.keyframedMotion = [record](double t0, double t1) -> std::unique_ptr<MotionSource> {
      return std::make_unique<KeyframedMotion>(*record, t0, t1);
    };
  }

  // The sub-interval run culls and asks for its step bounds before it
  // changes anything, so that bounds it refuses leave the scene as it was.
  std::vector<int32_t> work;
  int first = 0, last = -1;
  if (row.interval == IntervalForm::kSteps) {
    if (row.announcesView)
      *errors << (viewNumber == 1 || viewNumber == 2 ? "no haha!" : "haha!") << std::endl;
    work = SubIntervalWorkFlags(run);
    if (work.empty()) return;
    *output << "Give start and end factor pos" << std::endl;
    if (!ReadStepBounds(*input, *errors, &first, &last)) return;
  }

  SampleLocationBuffer& buffer = SampleBuffer(1);
  // Timelines left by a run on another scene name that scene's triangles:
  // they are dropped before this scene's run adds to the buffer.
  const std::string key = Format("%s|%d|%d|%d", dataPath.c_str(), firstStateNumber, stateCount,
                                 triangleCount);
  if (intervalTimelineScene != key) {
    if (!intervalTimelineScene.empty()) buffer.Reset();
    intervalTimelineScene = key;
  }
  if (!intervalRunLog) intervalRunLog = std::make_unique<std::ofstream>(layout::kIntervalLog);
  run.buffer = &buffer;
  run.runLog = intervalRunLog.get();
  frustum = Frustum::FromMatrices(buffer.camera->Matrices());

  switch (row.interval) {
    case IntervalForm::kTrial:
      IntervalTrial(run);
      return;
    case IntervalForm::kSteps:
      frustumCulling = 1;
      SubIntervalRun(run, row.intervalStem.For(viewNumber), first, last, nullptr, &work);
      return;
    case IntervalForm::kWhole:
    case IntervalForm::kPoints:
      break;
  }

  if (record) {
    run.keyframeBox = [record](int32_t t, AABB* box) { return KeyframeBox(*record, t, box); };
  }
  // From here on positions come from the two states.
  run.keyframedMotion = nullptr;
  holdTrajectory = 0;
  VisibleSet result;
  FullIntervalRun(run, &result);
  // The replay of the table the run has just written.
  ReplayTable(layout::kWholeRunTable);
}
