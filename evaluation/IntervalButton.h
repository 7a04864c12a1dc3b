// "GFB_DBG" on the mesh scenes as an experiment driver: the interval run
// the dataset's row names, with the button's policy. The Scene unpacks its
// members into an IntervalButtonScene; the driver reads the step bounds it
// asks for, changes the panel switches the runs need, and calls back for
// the sample buffer, the run log and the replay.
#pragma once

#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "DatasetTable.h"
#include "VisibleSet.h"

class KeyframeTrajectories;
class ObjLoader;
class PPC;
class SampleLocationBuffer;

struct IntervalButtonScene {
  const DatasetRow* row = nullptr;
  SetIds setIds = SetIds::kIndex;  // how visible-set files name triangles
  int view = 0;                    // the panel's view number
  const std::vector<ObjLoader>* states = nullptr;
  int triangleCount = 0;
  std::vector<int32_t>* flags = nullptr;  // the draw flags: the live triangles
  VisibleSet* visible = nullptr;          // the run's visible set
  const PPC* viewCamera = nullptr;
  // The panel's switches: the sub-interval run always culls, the whole
  // interval leaves the keyframed mode.
  int* frustumCulling = nullptr;
  int* holdTrajectory = nullptr;
  // The loaded states' trajectories; ignored when they are of other
  // vertices or triangles.
  const KeyframeTrajectories* trajectories = nullptr;
  // Whose triangles the sample buffer's timelines hold: `sceneKey` names the
  // loaded scene; `timelineScene` (kept by the caller) the scene of the
  // timelines, which are dropped when it is another one.
  std::string sceneKey;
  std::string* timelineScene = nullptr;
  std::function<SampleLocationBuffer&()> sampleBuffer;
  std::function<std::ostream*()> runLog;  // the runs' log, opened on first use
  // The replay of the table the whole-interval run wrote.
  std::function<void(const std::string& table)> replay;
  std::istream* in = &std::cin;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

void IntervalButton(const IntervalButtonScene& scene);
