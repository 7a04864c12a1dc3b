// Visibility timelines of one sample location: which triangle is seen
// through the sample during which time interval. Two forms with the same
// meaning: the doubly linked list `SuperPixel` and the search tree
// `SuperPixelTree` whose nodes are also threaded in time order. Either form
// can be finalised into one contiguous array of node records, which readers
// index up to `count` instead of following links.
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

// Search-tree node, keyed by start time; next/previous thread the nodes in
// time order.
struct IntervalNode {
  uint32_t triangleId = kNoTriangle;
  double start = 0, end = 0;
  IntervalNode* next = nullptr;
  IntervalNode* previous = nullptr;
  IntervalNode* left = nullptr;
  IntervalNode* right = nullptr;
};

// Tree form. Owns its nodes (allocated with new, freed by Empty).
class SuperPixelTree {
 public:
  int32_t count = 0;
  IntervalNode* root = nullptr;
  IntervalNode* first = nullptr;  // earliest interval
  double x = 0, y = 0, w = 0;     // copied from the sample location
  double ray[3] = {0, 0, 0};      // unit ray from the eye through the sample
  uint8_t finalised = 0;
  std::vector<IntervalNode> finalisedNodes;  // the array form, links unused

  SuperPixelTree() = default;
  ~SuperPixelTree() { Empty(); }
  SuperPixelTree(const SuperPixelTree&) = delete;
  SuperPixelTree& operator=(const SuperPixelTree&) = delete;

  void Empty();
  int32_t CountIntervals();
  void Finalise();

  template <typename F>
  void ForEachInterval(F&& f) const {
    if (finalised) {
      size_t n = finalisedNodes.size();
      if (count >= 0 && size_t(count) < n) n = size_t(count);
      for (size_t i = 0; i < n; i++) f(finalisedNodes[i]);
      return;
    }
    for (const IntervalNode* c = first; c != nullptr; c = c->next) f(*c);
  }
};
