// Playback: the loaded scene moved through time frame by frame, each frame
// drawn through the view window and written as a TIFF image ("Play"), and
// the replay of an interval table that draws at each moment only the
// triangles visible around it ("Play Visible triangles"). The Scene unpacks
// its members into these records; callbacks stand in for the view window.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "VisibleSet.h"

class KeyframeTrajectories;
class ObjLoader;
class ParticleSet;

// The view window as playback uses it.
struct PlaybackView {
  std::function<void(int mode)> setMode;
  // Redraw and process pending events once.
  std::function<void()> redraw;
  // The same, then the colour buffer written as a TIFF image at `path`.
  std::function<void(const std::string& path)> redrawAndSave;
};

// Called once a request is accepted, before anything is drawn or written,
// so that a refused request leaves the scene as it was: readies the scene
// for the frames and returns the mesh they move (not one of the states).
using PrepareDrawn = std::function<ObjLoader*()>;

// Frames per state interval of the point and the mesh scenes.
constexpr int kPointFrameSteps = 45;
constexpr int kMeshFrameSteps = 20;

// Frames one interval gets: s = 0, 1/steps, ... while s < 1, s accumulated
// in double.
int FramesPerInterval(int steps);

struct PointPlayback {
  int stateCount = 0;
  const std::vector<ParticleSet>* states = nullptr;
  ParticleSet* drawn = nullptr;
  // The point seen at each pixel by the last redraw (-1 none) and their
  // number; asked anew after every redraw, which may move the buffer.
  std::function<const int32_t*(size_t* pixels)> pointIds;
  // One flag per point, sized when the request is accepted.
  std::vector<int32_t>* visibleFlags = nullptr;
  double* interpolation = nullptr;
  int* currentState = nullptr;
  int* frameSteps = nullptr;
  PlaybackView view;
  std::string imageFolder;  // frames "<folder><n>.tif"
  std::string logPath;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};
// "Play" of the point scenes. Returns the frames written, -1 when refused
// (one line on `out`: fewer than two states, or a state count other than
// the loaded states'), which changes nothing.
int PlayPoints(const PointPlayback& p);

struct MeshPlayback {
  int stateCount = 0;
  const std::vector<ObjLoader>* states = nullptr;
  PrepareDrawn drawn;
  double* interpolation = nullptr;
  int* currentState = nullptr;
  int* frameSteps = nullptr;
  PlaybackView view;
  std::string imageFolder;
  std::string logPath;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};
// "Play" of the mesh scenes; the same returns and refusals.
int PlayMeshes(const MeshPlayback& p);

struct ReplayScene {
  int stateCount = 0;
  bool movingCamera = false;
  const std::vector<ObjLoader>* states = nullptr;
  PrepareDrawn drawn;
  // Positions come from the trajectories when set (its keyframe count must
  // be stateCount), else from the states.
  KeyframeTrajectories* trajectories = nullptr;
  VisibleSet* visible = nullptr;  // the run's set, one flag per triangle
  PlaybackView view;
  std::string logPath;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};
// Replays the interval table at `tablePath`: at each moment t the triangles
// with an interval meeting [t - 0.5, t + 0.5] are drawn and logged. Returns
// the frames drawn, -1 when refused or when the table cannot be read (one
// line naming it; nothing drawn, logged or prepared).
int ReplayIntervalTable(const ReplayScene& r, const std::string& tablePath);
