// "DBG": the two-dimensional run. A stored set of the city's downtown view
// is judged while the camera slides sideways and down across the view:
// every frame is rasterized in software with the triangles missing from the
// set in red, written, and logged with its red pixels, missing and seen
// triangles; the run ends with the totals over all frames.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <vector>

#include "DatasetTable.h"
#include "VisibleSet.h"

class ObjLoader;

// Frames f = 1 ... kPlaneRunFrames - 1.
constexpr int kPlaneRunFrames = 5000;
// World units the eye moves per frame along each of the camera's first and
// second image axes (right and down) is 48 times this step.
constexpr double kPlaneCameraStep = 0.01;
constexpr double kPlaneStepFactor = 48;

// "0 - control" ... "4 - 4 endpoints step2", one per line.
void PrintPlaneMenu(const PlaneMember& plane, std::ostream& out);
// Reads the menu number from the console; false, with one line on `out`,
// when the line is not a number of the menu (or the input has ended).
bool ReadPlaneChoice(std::istream& in, std::ostream& out, int* choice);

struct PlaneRunScene {
  const PlaneMember* plane = nullptr;
  const ObjLoader* mesh = nullptr;        // the drawn mesh at time 0
  std::vector<int32_t>* flags = nullptr;  // the draw flags
  VisibleSet* visible = nullptr;          // the run's visible set
  int w = 0, h = 0;                       // the view window's size
  int frames = kPlaneRunFrames;
  // Shows a finished software frame in the view window (may be empty).
  std::function<void(const uint32_t* colour, int w, int h)> showFrame;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// The totals written after the last frame.
struct PlaneRunTotals {
  int frames = 0;          // frames rasterized
  int64_t missing = 0;     // triangles seen in any frame whose flag is 0
  int64_t allVisible = 0;  // triangles seen in any frame
};
// Runs the chosen menu entry; frames is -1 when the run cannot start.
PlaneRunTotals TwoDimensionalRun(const PlaneRunScene& scene, int choice);
