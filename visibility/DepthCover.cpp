#include "DepthCover.h"

#include <algorithm>
#include <cmath>

namespace {

// Neighbouring spans whose depths differ by less than this fraction are
// joined (at the greater depth): a surface passing over the sample leaves
// one span instead of one per triangle, at little loss of tightness.
constexpr double kJoin = 0.005;

bool Close(double a, double b) { return std::fabs(a - b) <= kJoin * std::min(std::fabs(a), std::fabs(b)); }

}  // namespace

bool DepthCover::Hides(uint32_t start, uint32_t end, double depth) const {
  const double limit = depth - 1e-6 * std::fabs(depth);
  // First span that ends after start.
  auto it = std::upper_bound(spans_.begin(), spans_.end(), start,
                             [](uint32_t v, const CoverSpan& s) { return v < s.end; });
  uint32_t at = start;
  for (; it != spans_.end() && at < end; ++it) {
    if (it->start > at || !(it->depth < limit)) return false;
    at = it->end;
  }
  return at >= end;
}

void DepthCover::Add(uint32_t start, uint32_t end, double depth) {
  if (!(end > start)) return;
  size_t i = size_t(std::upper_bound(spans_.begin(), spans_.end(), start,
                                     [](uint32_t v, const CoverSpan& s) { return v < s.end; }) -
                    spans_.begin());
  uint32_t at = start;
  while (at < end) {
    const uint32_t gapEnd = i < spans_.size() ? std::min(end, std::max(at, spans_[i].start)) : end;
    if (gapEnd == at) {
      // spans_[i] covers `at`: go past it.
      at = spans_[i].end;
      i++;
      continue;
    }
    // Fill [at, gapEnd), joined to touching neighbours of like depth; then
    // go on after the span that holds the gap now.
    if (i > 0 && spans_[i - 1].end == at && Close(spans_[i - 1].depth, depth)) {
      CoverSpan& prev = spans_[i - 1];
      prev.end = gapEnd;
      prev.depth = std::max(prev.depth, depth);
      if (i < spans_.size() && spans_[i].start == gapEnd && Close(spans_[i].depth, prev.depth)) {
        prev.end = spans_[i].end;
        prev.depth = std::max(prev.depth, spans_[i].depth);
        spans_.erase(spans_.begin() + std::ptrdiff_t(i));
      }
      at = spans_[i - 1].end;
    } else if (i < spans_.size() && spans_[i].start == gapEnd && Close(spans_[i].depth, depth)) {
      spans_[i].start = at;
      spans_[i].depth = std::max(spans_[i].depth, depth);
      at = spans_[i].end;
      i++;
    } else {
      spans_.insert(spans_.begin() + std::ptrdiff_t(i), CoverSpan{at, gapEnd, depth});
      at = gapEnd;
      i++;
    }
  }
}
