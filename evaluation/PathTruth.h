// Camera-path truths: a static scene rendered as item buffers from a dense
// path of cameras derived from the view camera, every triangle seen in a
// view listed per view. The terrain form writes one text line and one
// shaded image per view; the forest form writes binary visible-set records.
// The Scene renders through the callbacks; the driver owns the path and the
// files.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "PPC.h"

// Seconds spent per part of a run, summed over its views.
struct PathTruthTiming {
  double render = 0;  // the render callback (item buffer, decode, shaded frame)
  double flags = 0;   // ids to flags and the line or record written
  double save = 0;    // the frame callback (TIFF write)
  int views = 0;
};

struct PathTruthScene {
  PPC* viewCamera = nullptr;  // every path camera is copied into it whole
  // Per triangle: the flags of one view (cleared before each).
  std::vector<int32_t>* flags = nullptr;
  // Draws the view camera's item buffer into `ids` (one id per pixel, -1
  // or any negative value for none) and its shaded frame.
  std::function<void()> render;
  const int32_t* ids = nullptr;
  size_t pixelCount = 0;
  // Writes the shaded frame of the last render as a TIFF image.
  std::function<void(const std::string& path)> saveFrame;
  PathTruthTiming* timing = nullptr;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// The terrain path: nine keys (the view; zoomed by 3.5; five turns of the
// zoomed key; the zoomed key; the view) and the cameras per segment
// (200, six times 100, 200: 1000 views).
std::vector<PPC> PathTruthKeys(const PPC& view);
extern const std::vector<int> kPathTruthSegments;
// The forest path: seven keys and 400, four times 300, 400 (2000 views).
std::vector<PPC> ForestTruthKeys(const PPC& view);
extern const std::vector<int> kForestTruthSegments;

// Every camera of a path, in order (segment k from key k to key k + 1,
// both ends included).
std::vector<PPC> ExpandPath(const std::vector<PPC>& keys, const std::vector<int>& segments);

// The terrain truth: per view f the line "f:" then every triangle seen,
// each followed by ",", into `path`, and the frame "<imageFolder><f>.tif".
// Stops after `maxViews` views when that is not negative. The view camera
// is restored at the end. Returns the views done, -1 (one line) when the
// file cannot be created.
int CameraPathTruth(const PathTruthScene& s, const std::string& path,
                    const std::string& imageFolder, int maxViews = -1);
// The forest truth: per view one visible-set record (int32 count, then the
// ids in ascending order) appended to `path`, and the count printed.
int ForestPathTruth(const PathTruthScene& s, const std::string& path, int maxViews = -1);
