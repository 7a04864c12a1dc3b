// Insertion of a triangle's coverage interval into a sample's timeline.
// Each overlap with an interval already present is resolved by comparing
// the two triangles' distances along the sample ray at the middle of the
// overlap: the nearer triangle keeps that part of the time line.
#pragma once

#include <cstdint>
#include <iostream>

#include "SuperPixel.h"


// How a new interval N = [s, e] lies relative to an existing X = [xs, xe].
enum class Overlap {
  kBefore,       // e <= xs
  kAfter,        // s >= xe
  kHeadOverlap,  // s <= xs < e <= xe
  kTailOverlap,  // xs < s < xe < e
  kCovers,       // s <= xs and e > xe
  kInside,       // xs < s and e <= xe
  kWrong,        // none of the above (NaN times)
};

Overlap Classify(double s, double e, double xs, double xe);

struct OverlapOrder {
  bool existingNearer = false;  // at the middle of the overlap
  double swap = -1;             // first moment the two change places, or -1
};

// Decides overlaps: true when the existing interval's triangle is nearer
// along the ray at time t (distance(new) - distance(existing) > 0), so it
// keeps the overlap; otherwise the new triangle wins.
class DepthComparator {
 public:
  virtual ~DepthComparator() = default;
  virtual bool ExistingNearer(const double ray[3], uint32_t newTriangle,
                              uint32_t existingTriangle, double t) const = 0;
  // Who is nearer over the overlap [lo, hi] of the two intervals: at its
  // middle, and the first moment strictly inside at which the two change
  // places (a multiple of 1e-6; -1 for none). The insertion cuts the new
  // interval there, so each part has one nearer triangle. This default
  // finds no such moment: the middle decides the whole overlap.
  virtual OverlapOrder Order(const double ray[3], uint32_t newTriangle, uint32_t existingTriangle,
                             double lo, double hi) const {
    return {ExistingNearer(ray, newTriangle, existingTriangle, 0.5 * (lo + hi)), -1};
  }
};

// Cuts of one insertion at depth swaps; more are left to the middle rule.
constexpr int kMaxCuts = 8;
struct Span {
  double start, end;
};
// The overlap [lo, hi] of the new interval [s, e] with [xs, xe]; false
// when the two do not overlap (before, after, wrong classification).
bool OverlapOf(Overlap kind, double s, double e, double xs, double xe, double* lo, double* hi);

// List form: walks the list from its head (the six rules), then unlinks and
// frees every zero-length interval. A finalised timeline is left unchanged
// with "This super pixel has been finalized already" on `err`.
void InsertInterval(SuperPixel& timeline, const CoverageInterval& interval,
                    const DepthComparator& depth, std::ostream& err = std::cerr);

// Flat form, times in microseconds: empty intervals are ignored, short ones
// are kept (a short interval of a near triangle still hides what is behind
// it; dropping it opened gaps in surfaces whose shared edges sweep past the
// sample); the walk starts at the last interval whose start is not after
// the new one's. `ray` is the sample's unit ray, for the depth comparisons.
void InsertInterval(FlatTimeline& timeline, const double ray[3], uint32_t triangle,
                    uint32_t startMicro, uint32_t endMicro, const DepthComparator& depth);
