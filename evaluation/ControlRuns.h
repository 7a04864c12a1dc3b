// "control": the reference that samples only the two ends of each state
// interval. The datasets with a member of their own draw the item buffer
// of the first and the last state, store the union and render a sequence
// showing only it; any other scene samples each interval's ends through
// the sample-location buffer and renders the sets interval by interval.
// The Scene unpacks its members into a ControlScene; callbacks stand in
// for the view window.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <vector>

#include "DatasetTable.h"
#include "Playback.h"
#include "VisibleSet.h"

class ObjLoader;
class SampleLocationBuffer;

struct ControlScene {
  const DatasetRow* row = nullptr;
  SetIds setIds = SetIds::kIndex;  // how visible-set files name triangles
  int stateCount = 0;
  bool movingCamera = false;
  bool frustumCulling = true;
  const std::vector<ObjLoader>* states = nullptr;
  PrepareDrawn drawn;  // the moving copy the frames draw, once the run is accepted
  std::vector<int32_t>* flags = nullptr;  // the draw flags
  VisibleSet* visible = nullptr;          // the run's set
  std::vector<int32_t>* visibleFlags = nullptr;
  PlaybackView view;
  // Draws state `index` as an item buffer; returns its ids (-1 none) and
  // their number.
  std::function<const int32_t*(int index, size_t* n)> itemBuffer;
  std::function<void(const std::vector<int32_t>& mask)> showOnly;
  std::function<void()> showAll;
  std::function<SampleLocationBuffer&()> sampleBuffer;
  std::function<void(int factor)> setRenderingFactor;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// Frames per state interval of the two-end members' sequences.
int ControlFrameSteps(bool movingCamera);
// The generic run's time step between frames.
constexpr double kGenericControlStep = 0.01;

// The dataset's member. Returns the frames written, -1 when refused (one
// line: no scene, fewer than two states; nothing changed).
int ControlRun(const ControlScene& scene);
