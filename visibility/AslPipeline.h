// A pass over many triangles is bound by memory: each triangle touches a
// few pixel records and their sample arrays scattered over the buffer.
// This driver prepares triangles (projection and per-triangle tests) some
// way ahead of the one it applies and prefetches the records, then the
// sample arrays, of the triangles about to be applied. Triangles are still
// applied one at a time in their order, so results are unchanged.
#pragma once

#include <cstddef>

#include "AslTriangle.h"
#include "SampleLocationBuffer.h"

namespace asl_pipeline {

constexpr size_t kRing = 32;      // prepared triangles held
constexpr size_t kRecords = 16;   // distance at which pixel records are fetched
constexpr size_t kSamples = 8;    // distance at which sample arrays are fetched
constexpr int kMaxPixels = 16;    // larger rectangles are not prefetched

inline bool Small(const AslTriangle& t) {
  return (t.row1 - t.row0 + 1) * (t.col1 - t.col0 + 1) <= kMaxPixels;
}

inline void FetchRecords(const SampleLocationBuffer& b, const AslTriangle& t) {
  if (!Small(t)) return;
  for (int32_t j = t.row0; j <= t.row1; j++)
    for (int32_t k = t.col0; k <= t.col1; k++) __builtin_prefetch(&b.Pixel(k, j), 1);
}

inline void FetchSamples(const SampleLocationBuffer& b, const AslTriangle& t) {
  if (!Small(t)) return;
  for (int32_t j = t.row0; j <= t.row1; j++)
    for (int32_t k = t.col0; k <= t.col1; k++) {
      const SampleLocation* s = b.Pixel(k, j).samples.data();
      __builtin_prefetch(s, 1);
      __builtin_prefetch(reinterpret_cast<const char*>(s) + 64, 1);
    }
}

}  // namespace asl_pipeline

// prepare(i, &t) -> bool sets triangle i up (false: skipped); apply(i, t)
// does its per-pixel work. Triangles are applied in order 0..n-1.
template <typename Prepare, typename Apply>
void PipelinedPass(const SampleLocationBuffer& buffer, size_t n, Prepare&& prepare,
                   Apply&& apply) {
  using namespace asl_pipeline;
  struct Slot {
    AslTriangle t;
    bool ok = false;
  };
  Slot ring[kRing];
  for (size_t i = 0; i < n + kRecords; i++) {
    if (i < n) {
      Slot& s = ring[i % kRing];
      s.ok = prepare(i, &s.t);
      if (s.ok) FetchRecords(buffer, s.t);
    }
    if (i >= kSamples && i - kSamples < n) {
      const Slot& s = ring[(i - kSamples) % kRing];
      if (s.ok) FetchSamples(buffer, s.t);
    }
    if (i >= kRecords) {
      const size_t k = i - kRecords;
      const Slot& s = ring[k % kRing];
      if (s.ok) apply(k, s.t);
    }
  }
}
