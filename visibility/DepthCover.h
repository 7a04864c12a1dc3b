// What already covers one sample over time, as a conservative bound: the
// spans of time during which some triangle covers the sample ray, each
// with the greatest depth (along the view direction) that triangle can
// have there. A triangle whose least depth over a stretch of time lies
// behind such spans throughout that stretch is hidden there: in its
// overlaps with them it is farther along the ray whatever the order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cmath>
#include <vector>

struct CoverSpan {
  uint32_t start, end;  // microseconds of the span
  double depth;         // greatest depth of the covering triangle
};

class DepthCover {
 public:
  void Clear() {
    size_ = 0;
    more_.clear();
  }
  // Whether every moment of [start, end] lies in spans whose depth is
  // clearly below `depth` (by a millionth of it: far above the rounding
  // of the distances the overlaps are decided by).
  bool Hides(uint32_t start, uint32_t end, double depth) const {
    const CoverSpan* s = Data();
    const double limit = depth - 1e-6 * std::fabs(depth);
    uint32_t i = 0;
    while (i < size_ && s[i].end <= start) i++;
    uint32_t at = start;
    for (; i < size_ && at < end; i++) {
      if (s[i].start > at || !(s[i].depth < limit)) return false;
      at = s[i].end;
    }
    return at >= end;
  }
  // Adds [start, end] at `depth` where nothing covers the sample yet.
  void Add(uint32_t start, uint32_t end, double depth);
  size_t Size() const { return size_; }

 private:
  // Most samples hold a few spans: those stay in the object itself.
  static constexpr uint32_t kInline = 4;
  const CoverSpan* Data() const { return size_ <= kInline ? inline_ : more_.data(); }
  CoverSpan* Data() { return size_ <= kInline ? inline_ : more_.data(); }
  void Insert(uint32_t at, const CoverSpan& span);
  void Erase(uint32_t at);

  uint32_t size_ = 0;
  CoverSpan inline_[kInline];
  std::vector<CoverSpan> more_;  // all spans, once there are more than kInline
};
