// "Play Visible triangles" on the datasets with stored results of their
// own: the forest and the grass field replay the per-step id lists of
// their camera path, showing at each step only its triangles; the city
// replays its two-end reference over the motion of its states.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "DatasetTable.h"
#include "Playback.h"
#include "VisibleSet.h"

class ObjLoader;

struct DatasetReplayScene {
  const DatasetRow* row = nullptr;
  const std::vector<ObjLoader>* states = nullptr;
  // The moving copy, once the replay is accepted (asked only of a scene of
  // two states or more).
  PrepareDrawn drawn;
  std::vector<int32_t>* flags = nullptr;
  VisibleSet* visible = nullptr;
  PlaybackView view;
  std::function<void(const std::vector<int32_t>& mask)> showOnly;
  std::function<void()> showAll;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// Steps of the stored camera paths, and frames of the city's replay.
constexpr int kReplaySteps = 40;
constexpr int kCityReplayFrames = 20;

// The row's replay of its stored results (kPathLists, kStateMotion).
// Returns the frames shown; -1 (one line) when the row has neither, when
// the city's scene has fewer than two states or when the stored result
// cannot be read; a refused replay changes nothing.
int DatasetReplay(const DatasetReplayScene& scene);
