// Visibility timelines of one sample location: which triangle is seen
// through the sample during which time interval. Two forms with the same
// meaning: the doubly linked list `SuperPixel`, which can be finalised into
// one contiguous array of node records that readers index up to `count`,
// and the flat array `FlatTimeline` the interval runs fill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kNoTriangle = 0xffffffffu;  // an interval slot not yet filled

// A time interval of one triangle over a sample ray; also the list node.
struct CoverageInterval {
  uint32_t triangleId = kNoTriangle;
  double start = 0, end = 0;
  double startDistance = 0, endDistance = 0;  // along the ray, where the producer fills them
  CoverageInterval* next = nullptr;
  CoverageInterval* previous = nullptr;
};

// List form. Owns its nodes (allocated with new, freed by Empty).
class SuperPixel {
 public:
  int32_t count = 0;                  // intervals; recounted by CountIntervals
  CoverageInterval* head = nullptr;   // sorted by start time
  double x = 0, y = 0, w = 0;         // sample position
  double ray[3] = {0, 0, 0};
  uint8_t finalised = 0;
  std::vector<CoverageInterval> finalisedIntervals;  // the array form, links unused

  SuperPixel() = default;
  SuperPixel(double x_, double y_, double w_) : x(x_), y(y_), w(w_) {}
  ~SuperPixel() { Empty(); }
  SuperPixel(const SuperPixel&) = delete;
  SuperPixel& operator=(const SuperPixel&) = delete;

  // Frees every interval (both forms); count 0, flag cleared.
  void Empty();
  // Walks the list (or takes the array size) and stores the result in count.
  int32_t CountIntervals();
  // Moves the linked intervals into the array form, in list order.
  void Finalise();

  // Calls f(const CoverageInterval&) for every interval in time order, from
  // the array when finalised, from the links otherwise.
  template <typename F>
  void ForEachInterval(F&& f) const {
    if (finalised) {
      size_t n = finalisedIntervals.size();
      if (count >= 0 && size_t(count) < n) n = size_t(count);
      for (size_t i = 0; i < n; i++) f(finalisedIntervals[i]);
      return;
    }
    for (const CoverageInterval* c = head; c != nullptr; c = c->next) f(*c);
  }
};

// Flat form, the runs' timelines: one sample's intervals in time order,
// disjoint, in one array without links. Times are whole microseconds of
// the run's span: every time the runs produce is a multiple of 1e-6 in
// [0, 1], so nothing is lost, and 12 bytes hold an interval. Timelines stay
// short enough (tens to a few hundred intervals) that moving an array's
// tail on insertion costs less than following tree links and allocating
// a node per interval.
struct TimelineSpan {
  uint32_t triangleId = kNoTriangle;
  uint32_t startMicro = 0, endMicro = 0;
  double Start() const { return double(startMicro) * 1e-6; }
  double End() const { return double(endMicro) * 1e-6; }
};
using FlatTimeline = std::vector<TimelineSpan>;
