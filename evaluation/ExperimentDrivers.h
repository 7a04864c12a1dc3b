// "Merge Visibility", "Make Image!" and "Make Frame Image!": the unions of
// per-view sets, the separated image pairs (a view and its software raster
// with the triangles missing from a set in red) and the outline of the
// saved view drawn into the current one. The Scene unpacks its members;
// the window parts come back through callbacks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "DatasetTable.h"
#include "Footage.h"
#include "SoftwareRaster.h"
#include "VisibleSet.h"

class ObjLoader;
class PPC;

// Entries of the merged sets: ids of any scene the parts came from, not
// those of the loaded one.
constexpr int32_t kMergeEntries = 5000000;

// Writes, for each kind of the row's merge, the union of its parts. The
// set is the caller's scratch (sized to `entries`); the loaded scene is not
// touched. Returns the unions written, -1 when the row has no merge.
int MergeVisibility(const MergeMember& merge, VisibleSet* scratch, std::ostream& out,
                    std::ostream& err, int32_t entries = kMergeEntries);

struct SeparatedScene {
  const SeparatedMember* member = nullptr;
  int* counter = nullptr;  // the image counter m, kept by the process
  const ObjLoader* mesh = nullptr;  // the drawn mesh (triangle scenes)
  PointSetView points;              // the drawn points (point scenes)
  float radius = 0;
  std::vector<float>* pixelRays = nullptr;  // per-pixel rays of the point raster
  std::vector<int32_t>* flags = nullptr;    // the draw flags
  PPC* viewCamera = nullptr;
  // Redraws the view, processes events once and returns the pixels read
  // back (width x height of the window); null when nothing could be read.
  std::function<const uint32_t*(int* w, int* h)> renderView;
  // Gives the drawn mesh its full lists when a pair is kept (may be empty).
  std::function<void()> showAll;
  // Shows a finished software frame in the view window (may be empty).
  std::function<void(const uint32_t* colour, int w, int h)> showFrame;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// One pair: the counts of its log line "Log: n,k,s", and the number m it
// was written under (-1 when refused).
struct SeparatedResult {
  int image = -1;
  FrameError counts;
};
SeparatedResult MakeSeparatedImages(const SeparatedScene& scene);

// The image corners (0, 0), (w, 0), (w, h), (0, h) of `saved`, unprojected
// at window depth 0, as window points of `view` (x, y from the bottom left,
// z the window depth). Both cameras are cached first. A corner behind the
// view's eye (or one that cannot be mapped) gets z = -infinity.
std::array<Vex3_quarn, 4> FrameOutline(PPC saved, PPC view);
// The closed quadrilateral through the points, as lines from each point to
// the next; edges with an end behind the eye are left out.
void ForEachOutlineEdge(const std::array<Vex3_quarn, 4>& outline,
                        const std::function<void(const Vex3_quarn&, const Vex3_quarn&)>& line);
