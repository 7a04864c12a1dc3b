// What already covers one sample over time, as a conservative bound: the
// spans of time during which some triangle covers the sample ray, each
// with the greatest depth (along the view direction) that triangle can
// have there. A triangle whose least depth over a stretch of time lies
// behind such spans throughout that stretch is hidden there: in its
// overlaps with them it is farther along the ray whatever the order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct CoverSpan {
  uint32_t start, end;  // microseconds of the span
  double depth;         // greatest depth of the covering triangle
};

class DepthCover {
 public:
  void Clear() { spans_.clear(); }
  // Whether every moment of [start, end] lies in spans whose depth is
  // clearly below `depth` (by a millionth of it: far above the rounding
  // of the distances the overlaps are decided by).
  bool Hides(uint32_t start, uint32_t end, double depth) const;
  // Adds [start, end] at `depth` where nothing covers the sample yet.
  void Add(uint32_t start, uint32_t end, double depth);
  size_t Size() const { return spans_.size(); }

 private:
  std::vector<CoverSpan> spans_;  // sorted, disjoint
};
