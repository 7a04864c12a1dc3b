#include "IntervalButton.h"

#include <limits>
#include <memory>

#include "Frustum.h"
#include "IntervalDrivers.h"
#include "KeyframeTrajectories.h"
#include "KeyframedMotion.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
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

void IntervalButton(const IntervalButtonScene& s) {
  const DatasetRow& row = *s.row;
  const std::vector<ObjLoader>& states = *s.states;
  std::ostream& out = *s.out;
  if (states.empty()) {
    out << "\"GFB_DBG\": the scene has no triangle states" << std::endl;
    return;
  }
  // The interval lies between the first two states. A scene loaded with one
  // state (the object-list scenes without their camera path, the terrain)
  // stands still over it.
  const ObjLoader* second = &states[0];
  if (states.size() >= 2 && states[1].positions.size() == states[0].positions.size())
    second = &states[1];
  else
    out << "INFO: \"GFB_DBG\": the scene has one state; its triangles stand still over the "
           "interval"
        << std::endl;

  // The frustum of the view, which the sample buffer takes as its camera
  // once the run is accepted.
  GLMatrices view;
  s.viewCamera->ComputeGLArrays(view.modelView, view.projection, view.viewport);
  Frustum frustum = Frustum::FromMatrices(view);
  IntervalRunScene run;
  run.frustum = &frustum;
  run.first = &states[0];
  run.second = second;
  run.triangleCount = s.triangleCount;
  run.liveFlags = s.flags;
  run.unionSet = s.visible;
  run.setIds = s.setIds;
  run.frustumCulling = *s.frustumCulling != 0;
  run.out = s.out;
  run.err = s.err;
  const KeyframeTrajectories* record = s.trajectories;
  // The record must be of this scene's vertices and triangles; another
  // scene's tracks would move other vertices.
  if (record && (record->triangleCount != states[0].IdCount() ||
                 record->vertexCount != states[0].vertexCount))
    record = nullptr;
  if (record && *s.holdTrajectory) {
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
      *s.err << (s.view == 1 || s.view == 2 ? "no haha!" : "haha!") << std::endl;
    work = SubIntervalWorkFlags(run);
    if (work.empty()) return;
    out << "Give start and end factor pos" << std::endl;
    if (!ReadStepBounds(*s.in, *s.err, &first, &last)) return;
  }

  SampleLocationBuffer& buffer = s.sampleBuffer();
  // Timelines left by a run on another scene name that scene's triangles:
  // they are dropped before this scene's run adds to the buffer.
  if (*s.timelineScene != s.sceneKey) {
    if (!s.timelineScene->empty()) buffer.Reset();
    *s.timelineScene = s.sceneKey;
  }
  run.buffer = &buffer;
  run.runLog = s.runLog();
  frustum = Frustum::FromMatrices(buffer.camera->Matrices());

  switch (row.interval) {
    case IntervalForm::kTrial:
      IntervalTrial(run);
      return;
    case IntervalForm::kSteps:
      *s.frustumCulling = 1;
      SubIntervalRun(run, row.intervalStem.For(s.view), first, last, nullptr, &work);
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
  *s.holdTrajectory = 0;
  VisibleSet result;
  FullIntervalRun(run, &result);
  s.replay(layout::kWholeRunTable);
}
