// The point scenes' experiments: the interval run of "GFB_DBG", the
// combined runs ("ASL+GFB", "ASL+GFB control", "ASL+GFB truth", "generate
// Img") and the replay of "Play Visible triangles". The runs write their
// tables; the image members fly the view camera around the scene's view
// and draw, frame by frame, the points of the set for the frame's time,
// logging the set per frame in the line format of the log comparison.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "IntervalTable.h"
#include "PPC.h"
#include "PointSceneRuns.h"

// One frame to draw and write: the drawn points are the states `state` and
// `state` + 1 blended with `weight` (the last state alone at its end).
struct PointFrame {
  const PPC* camera = nullptr;
  int state = 0;
  double weight = 0;
  const int32_t* mask = nullptr;  // one flag per point: drawn when set
  std::string image;
};

struct PointSceneExperiment {
  PointRunScene run;
  const PPC* viewCamera = nullptr;  // the view the sets belong to
  // Draws the frame in the view window and writes its image.
  std::function<void(const PointFrame&)> drawFrame;
};

// "GFB_DBG" on the point scenes: steps first..last - 1, each table written
// as layout::PointStepTable. Returns the steps run.
int PointSceneRun(const PointRunScene& scene, int first, int last, PointRunWork* work = nullptr);
// "ASL+GFB": the same with ASL's samples, layout::CombinedStepTable.
int CombinedRun(const PointRunScene& scene, int first, int last, PointRunWork* work = nullptr);

// Frames drawn per step by the image members.
constexpr int kPointFramesPerStep = 45;
// Moments per step the truth renders.
constexpr int kTruthMomentsPerStep = 100;

// The fly-through's cameras: key cameras from the view by Zoom, Tilt and
// Pan, interpolated between consecutive keys.
std::vector<PPC> PointFlyThroughCameras(const PPC& view);

// "generate Img": per step the points with an interval meeting the step in
// its combined table or its neighbours', drawn along the fly-through into
// "Images/GFB_ASL/" with the log layout::kCombinedExpLog. False, with a
// line, when no step has a table.
bool CombinedImages(const PointSceneExperiment& e);
// "ASL+GFB control": per step the points seen at its two ends, into
// "Images/Control/" with layout::kCombinedControlLog.
void CombinedControl(const PointSceneExperiment& e);
// "control" on the point scenes: the same sets drawn from the view camera
// into "Images/Control/" with the log `logPath`.
void PointSceneControl(const PointSceneExperiment& e, const std::string& logPath);
// "ASL+GFB truth": per step the points seen at kTruthMomentsPerStep
// moments and its end, into "Images/Truth/" with layout::kCombinedTruthLog.
void CombinedTruth(const PointSceneExperiment& e);
// "Play Visible triangles" on the point scenes: from the view camera, the
// points of layout::PointStepTable visible around each frame's time, into
// "Images/GFB_result/" with the log layout::kReplayLog. False, with a
// line, when no step has a table.
bool PointSceneReplay(const PointSceneExperiment& e);

// Points seen from the camera at pixel centres (software ray casting) with
// the states blended as in PointFrame, added to `seen`.
void MarkSeenPoints(const PointRunScene& run, const PPC& camera, int state, double weight,
                    std::vector<int32_t>* seen);
