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

void DepthCover::Insert(uint32_t at, const CoverSpan& span) {
  if (size_ < kInline) {
    for (uint32_t k = size_; k > at; k--) inline_[k] = inline_[k - 1];
    inline_[at] = span;
  } else {
    if (size_ == kInline) more_.assign(inline_, inline_ + kInline);
    more_.insert(more_.begin() + std::ptrdiff_t(at), span);
  }
  size_++;
}

void DepthCover::Erase(uint32_t at) {
  if (size_ > kInline) {
    more_.erase(more_.begin() + std::ptrdiff_t(at));
    if (size_ - 1 == kInline) std::copy(more_.begin(), more_.end(), inline_);
  } else {
    for (uint32_t k = at; k + 1 < size_; k++) inline_[k] = inline_[k + 1];
  }
  size_--;
}

void DepthCover::Add(uint32_t start, uint32_t end, double depth) {
  if (!(end > start)) return;
  // First span that ends after start.
  uint32_t i = 0;
  while (i < size_ && Data()[i].end <= start) i++;
  uint32_t at = start;
  while (at < end) {
    CoverSpan* s = Data();
    const uint32_t gapEnd = i < size_ ? std::min(end, std::max(at, s[i].start)) : end;
    if (gapEnd == at) {
      // s[i] covers `at`: go past it.
      at = s[i].end;
      i++;
      continue;
    }
    // Fill [at, gapEnd), joined to touching neighbours of like depth; then
    // go on after the span that holds the gap now.
    if (i > 0 && s[i - 1].end == at && Close(s[i - 1].depth, depth)) {
      CoverSpan& prev = s[i - 1];
      prev.end = gapEnd;
      prev.depth = std::max(prev.depth, depth);
      if (i < size_ && s[i].start == gapEnd && Close(s[i].depth, prev.depth)) {
        prev.end = s[i].end;
        prev.depth = std::max(prev.depth, s[i].depth);
        Erase(i);
      }
      at = Data()[i - 1].end;
    } else if (i < size_ && s[i].start == gapEnd && Close(s[i].depth, depth)) {
      s[i].start = at;
      s[i].depth = std::max(s[i].depth, depth);
      at = s[i].end;
      i++;
    } else {
      Insert(i, CoverSpan{at, gapEnd, depth});
      at = gapEnd;
      i++;
    }
  }
}
