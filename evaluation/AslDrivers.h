// The still-frame buttons as experiment drivers: "ASL", "ASL with Factor"
// and "ASL Control" run the form the dataset's row names, with the row's
// files. The Scene unpacks its members into an AslButtonScene; the driver
// calls back for the parts that need the view window.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <vector>

#include "DatasetTable.h"
#include "SoftwareRaster.h"
#include "VisibleSet.h"

class ObjLoader;
class PPC;
class SampleLocationBuffer;

struct AslButtonScene {
  const DatasetRow* row = nullptr;
  SetIds setIds = SetIds::kIndex;   // how visible-set files name triangles
  int view = 0;                     // the panel's view number
  int tileColumn = 0, tileRow = 0;  // the terrain cell
  const ObjLoader* mesh = nullptr;  // the drawn mesh (null for the point scenes)
  PointSetView points;              // the point scenes' drawn set
  float radius = 0;
  PPC* viewCamera = nullptr;
  std::vector<int32_t>* flags = nullptr;  // the draw flags
  VisibleSet* visible = nullptr;          // the run's visible set
  // The sample buffer, made at the view's size times the factor on first
  // use (it keeps its size later); whether it exists yet.
  std::function<SampleLocationBuffer&(double factor)> sampleBuffer;
  bool bufferMade = false;
  // The view window: show the visible set; redraw as it is.
  std::function<void()> showVisibleSet, redraw;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// Largest sample buffer a factor run may create (pixels); beyond it the
// per-pixel records alone would not fit in memory.
constexpr double kMaxBufferPixels = 64.0 * 1024 * 1024;

void AslButton(const AslButtonScene& scene);
void AslWithFactorButton(const AslButtonScene& scene, double factor);
void AslControlButton(const AslButtonScene& scene);
