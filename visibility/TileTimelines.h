// The timelines of one square tile of the window: every listed triangle's
// coverage intervals at the tile's samples, inserted in ascending triangle
// order, as one loop over the triangles would insert them. Used by the
// timeline run (TimelineRun.cpp), one instance per thread.
//
// Work that cannot change the timelines is skipped. The triangles are
// evaluated nearest first (by their least depth while they can be in the
// tile); each sample keeps what already covers it over time with the
// greatest depth there (DepthCover), and a (triangle, sample) pair, or one
// of its intervals, lying behind that cover for the whole time it can
// cover the sample is dropped: in every overlap with the cover it is
// farther along the ray, so whatever came before or after it in triangle
// order keeps those moments, and the pieces it would have cut are taken
// whole by the nearer triangles. The intervals left are then inserted
// sample by sample (each timeline stays in cache) in triangle order.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "DepthCover.h"
#include "IntervalRuns.h"
#include "MotionFootprint.h"
#include "SampleLocationBuffer.h"
#include "TimelineInsert.h"

// Inclusive pixel range of a triangle's samples.
struct Region {
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
};

// A triangle's motion, hull and region; returns 0, kAbsent or kEmptyBox.
// `useHull` is false when the region is the whole window.
int32_t FindRegion(const Projector& projector, const MotionSource& motion, int32_t triangle,
                   SampleRegion rule, int w, int h, TriangleMotion* m, ScreenHull* hull,
                   Region* r, bool* useHull);

// What every tile of a run shares.
struct TileSetting {
  SampleLocationBuffer* buffer = nullptr;
  const MotionSource* motion = nullptr;
  Projector projector;
  Vex3_quarnd eye;   // ray origin
  Vex3_quarnd view;  // unit direction of the view, for depths
  SampleRegion region = SampleRegion::kDepthBox;
  bool spans = true;  // every sample lies in its own pixel
};

// Work counters of a thread.
struct TileCounts {
  int64_t candidates = 0, evaluations = 0, intervals = 0, inserted = 0;
  double coverage = 0, insert = 0;  // seconds
};

class TileTimelines {
 public:
  explicit TileTimelines(const TileSetting& setting);
  // Tile [x0, x1] x [y0, y1] (inclusive pixels) with its triangles in
  // ascending order; adds each triangle's samples inside its hull to
  // `candidates[triangle]`.
  void Run(int x0, int y0, int x1, int y1, const uint32_t* triangles, size_t count,
           std::atomic<int32_t>* candidates, TileCounts* counts);

 private:
  // A triangle of the tile.
  struct Entry {
    uint32_t triangle = 0;
    bool present = false;
    // Its depth bounds hold here (footprint valid, tile ordered): it is
    // tested against the cover and adds to it.
    bool bounded = false;
    int firstPart = 0, lastPart = -1;  // the parts whose box meets the tile
    double key = 0;                    // least depth over those parts
    MotionFootprint footprint;
  };
  // An interval waiting for insertion.
  struct Found {
    uint32_t sample, entry, start, end;
    double nearest;  // least depth over [start, end], or minus infinity
  };

  const TileSetting& s_;
  MotionDepthComparator depth_;
  // Per sample of the tile (pixels row by row, their samples in order).
  std::vector<SampleLocation*> samples_;
  std::vector<double> position_;  // x, y of each, close together
  std::vector<Vex3_quarnd> ray_;
  std::vector<uint32_t> pixelStart_;
  std::vector<DepthCover> cover_;
  std::vector<uint32_t> stamp_;
  std::vector<uint8_t> firstPart_, lastPart_;
  uint32_t serial_ = 0;
  std::vector<Entry> entries_;
  std::vector<uint32_t> order_;
  std::vector<Found> found_, sorted_;
  std::vector<uint32_t> bucket_;
};
