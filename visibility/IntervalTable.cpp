#include "IntervalTable.h"

#include <algorithm>

#include "SampleLocationBuffer.h"

IntervalTableBuilder::IntervalTableBuilder(int32_t n)
    : n_(std::max(n, 0)), table_(std::make_unique<TriangleIntervalTable>()) {
  table_->triangleCount = n_;
  table_->counts.assign(size_t(n_), 0);
}

void IntervalTableBuilder::Allocate() {
  TriangleIntervalTable& t = *table_;
  t.offsets.assign(size_t(n_), 0);
  int64_t total = 0;
  t.trianglesWithIntervals = 0;
  for (int32_t i = 0; i < n_; i++) {
    t.offsets[size_t(i)] = total;
    total += t.counts[size_t(i)];
    if (t.counts[size_t(i)] > 0) t.trianglesWithIntervals++;
  }
  t.intervals.resize(size_t(total));
  // Counts now hold the room per triangle; fill_ tracks what the second
  // pass has appended.
  fill_.assign(size_t(n_), 0);
}

std::unique_ptr<TriangleIntervalTable> IntervalTableBuilder::Finish() {
  TriangleIntervalTable& t = *table_;
  if (t.offsets.size() != size_t(n_)) Allocate();  // nothing was appended
  // Sort, merge and compact in one sweep: each triangle's merged run is
  // moved down to `out`, which never overtakes its source.
  int64_t out = 0;
  for (int32_t i = 0; i < n_; i++) {
    int32_t n = fill_[size_t(i)];
    TimeInterval* a = t.intervals.data() + t.offsets[size_t(i)];
    t.offsets[size_t(i)] = out;
    t.counts[size_t(i)] = 0;
    if (n == 0) continue;
    std::sort(a, a + n,
              [](const TimeInterval& x, const TimeInterval& y) { return x.start < y.start; });
    TimeInterval* dst = t.intervals.data() + out;
    TimeInterval cur = a[0];
    int32_t emitted = 0;
    for (int32_t k = 1; k < n; k++) {
      const TimeInterval next = a[k];
      if (cur.end < next.start) {
        dst[emitted++] = cur;
        cur = next;
      } else if (next.end > cur.end) {
        cur.end = next.end;
      }
    }
    dst[emitted++] = cur;
    t.counts[size_t(i)] = emitted;
    out += emitted;
  }
  // No shrink_to_fit: its copy would double the peak; the spare room goes
  // with the table.
  t.intervals.resize(size_t(out));
  t.trianglesWithIntervals = 0;
  for (int32_t c : t.counts)
    if (c > 0) t.trianglesWithIntervals++;
  return std::move(table_);
}

namespace {

// Both passes visit every interval of one timeline form in the same order.
template <bool kFlat, typename F>
void ForEachTimelineInterval(const SampleLocationBuffer& buffer, F&& f) {
  for (const PixelSamples& p : buffer.pixels) {
    for (int32_t i = 0; i < p.count; i++) {
      const SampleLocation& s = p.samples[size_t(i)];
      if constexpr (kFlat) {
        for (const TimelineSpan& x : s.timeline) f(x.triangleId, x.Start(), x.End());
      } else if (s.listTimeline) {
        s.listTimeline->ForEachInterval(
            [&](const CoverageInterval& c) { f(c.triangleId, c.start, c.end); });
      }
    }
  }
}

template <bool kFlat>
std::unique_ptr<TriangleIntervalTable> Build(const SampleLocationBuffer& buffer,
                                             int32_t triangleCount) {
  IntervalTableBuilder builder(triangleCount);
  ForEachTimelineInterval<kFlat>(buffer, [&](uint32_t t, double, double) { builder.Count(t); });
  builder.Allocate();
  ForEachTimelineInterval<kFlat>(
      buffer, [&](uint32_t t, double start, double end) { builder.Append(t, start, end); });
  return builder.Finish();
}

}  // namespace

std::unique_ptr<TriangleIntervalTable> BuildIntervalTable(const SampleLocationBuffer& buffer,
                                                          int32_t triangleCount) {
  return Build<true>(buffer, triangleCount);
}

std::unique_ptr<TriangleIntervalTable> BuildIntervalTableFromLists(
    const SampleLocationBuffer& buffer, int32_t triangleCount) {
  return Build<false>(buffer, triangleCount);
}

void MarkVisibleInWindow(const TriangleIntervalTable& table, double a, double b,
                         int32_t* flags, int32_t n) {
  if (flags == nullptr) return;
  int32_t limit = std::min(n, int32_t(table.counts.size()));
  for (int32_t t = 0; t < limit; t++) {
    int32_t k = table.counts[size_t(t)];
    if (k <= 0) continue;
    const TimeInterval* iv = table.Intervals(t);
    for (int32_t i = 0; i < k && iv[i].start <= b; i++) {
      if (a <= iv[i].end) {
        flags[t] = 1;
        break;
      }
    }
  }
}
