// "Make 2013 Footage!" and "Evaluate Error 2013": a stored visible set of a
// prepared view judged by flying the camera around the view. The footage
// renders the fly-through with only the set's triangles; the evaluation
// rasterizes every frame in software with the triangles missing from the
// set in red and logs, per frame, the red pixels and the seen triangles
// the set misses. The Scene unpacks its members into a FootageScene; the
// window parts come back through callbacks.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "DatasetTable.h"
#include "VisibleSet.h"

class ObjLoader;
class PPC;
class SampleLocationBuffer;

// Seconds of an evaluation's frames, summed, by part.
struct FootageTiming {
  double raster = 0, write = 0, count = 0;
  int frames = 0;
};

struct FootageScene {
  const DatasetRow* row = nullptr;
  int dataset = 0;         // the loaded scene (a dataset::Id)
  int view = 1, type = 1;  // "View ID" and "Type ID"
  // The footage draws the base mesh, the evaluation rasterizes the drawn
  // one; null without a scene.
  const ObjLoader* mesh = nullptr;
  std::vector<int32_t>* flags = nullptr;  // the draw flags
  // Called once the request is accepted (its set and camera files read),
  // before anything changes: makes `mesh` the drawn mesh and gives the
  // flags one entry per triangle. A refused request changes nothing.
  std::function<void()> prepare;
  VisibleSet* visible = nullptr;          // the run's visible set
  PPC* viewCamera = nullptr;
  std::function<SampleLocationBuffer&()> sampleBuffer;
  // Keeps the drawn lists as the alternative pair and draws only the
  // triangles whose mask entry is non-zero.
  std::function<void(const std::vector<int32_t>& mask)> showOnly;
  // Gives the drawn mesh its full lists back when a pair is kept.
  std::function<void()> showAll;
  std::function<void(int mode)> setRenderMode;
  // Shows the camera in the view window and returns its pixels read back
  // (width x height of the window); null when it cannot be read.
  std::function<const uint32_t*(const PPC& camera, int* w, int* h)> renderFrame;
  // Shows a finished software frame in the view window (may be empty).
  std::function<void(const uint32_t* colour, int w, int h)> showFrame;
  FootageTiming* timing = nullptr;  // filled when given
  int frameLimit = -1;              // the evaluation stops after this many frames when not negative
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// The frames written; -1 when the request is refused (no member, a view
// or type it does not have, a set or camera file that cannot be read).
// A frame that cannot be rendered or written is named on the error stream.
int MakeFootage(const FootageScene& scene);

// One evaluated frame: red pixels j, seen triangles missing from the set
// k, seen triangles l.
struct FrameError {
  int64_t red = 0, missing = 0, seen = 0;
};

// Counts one rasterized frame and resets its buffers for the next one
// (colour and ids -1, depth `clearDepth`). A triangle is seen when a pixel
// holds its id; it is missing when its flag is 0. `marks` (one entry per
// triangle, all 0) and `seenIds` are scratch kept across frames; the marks
// are 0 again on return. Ids outside the flags are not counted.
FrameError CountFrameError(uint32_t* colour, int32_t* ids, double* depth, size_t pixels,
                           double clearDepth, const std::vector<int32_t>& flags,
                           VisibleSet* marks, std::vector<int32_t>* seenIds);

// The buffers of software frames whose errors are counted, made once per
// run: colour white, no id, depth 1 (the raster keeps a depth only when it
// is smaller). Count resets them for the next frame.
struct ErrorFrame {
  ErrorFrame(int w, int h);
  int w, h;
  size_t pixels;
  std::vector<uint32_t> colour;
  std::vector<int32_t> ids;
  std::vector<double> depth;
  // The mesh through `camera`, triangles classed by `flags` (FootageRaster).
  void Raster(PPC& camera, const int32_t* flags, const ObjLoader& mesh, std::ostream& log);
  FrameError Count(const std::vector<int32_t>& flags, VisibleSet* marks,
                   std::vector<int32_t>* seenIds);
};

// The frames evaluated; -1 when refused.
int EvaluateFootageError(const FootageScene& scene);
