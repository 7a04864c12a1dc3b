#include "IntervalTable.h"

#include <algorithm>

#include "Parallel.h"

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

// The list form: both passes visit every interval in the same order.
template <typename F>
void ForEachListInterval(const SampleLocationBuffer& buffer, F&& f) {
  for (const PixelSamples& p : buffer.pixels)
    for (int32_t i = 0; i < p.count; i++) {
      const SampleLocation& s = p.samples[size_t(i)];
      if (s.listTimeline) s.listTimeline->ForEachInterval(f);
    }
}

// Calls f(span, row) for every span of every flat timeline of the pixel
// rows [row0, row1).
template <typename F>
void ForEachSpan(const SampleLocationBuffer& buffer, int32_t row0, int32_t row1, F&& f) {
  for (int32_t row = row0; row < row1; row++)
    for (int32_t col = 0; col < buffer.width; col++) {
      const PixelSamples& p = buffer.Pixel(col, row);
      for (int32_t i = 0; i < p.count; i++)
        for (const TimelineSpan& x : p.samples[size_t(i)].timeline) f(x, row);
    }
}

// Spans gathered at once per range of triangles: the whole run's spans at
// once would double the run's memory for a moment.
constexpr int64_t kChunkSpans = int64_t(1) << 22;

}  // namespace

MergedTimelines MergeTimelines(const SampleLocationBuffer& buffer, int32_t triangleCount) {
  const int32_t n = std::max(triangleCount, 0);
  MergedTimelines merged;
  merged.counts.assign(size_t(n), 0);
  // Spans and the rows they lie in, per triangle.
  // Counted on bands of rows, one per thread, then summed.
  const int threads = std::max(1, WorkerThreads());
  struct Band {
    std::vector<int64_t> spans;
    std::vector<int32_t> low, high;
  };
  std::vector<Band> bands(static_cast<size_t>(threads));
  RunOnThreads(threads, [&](int k) {
    Band& b = bands[size_t(k)];
    b.spans.assign(size_t(n), 0);
    b.low.assign(size_t(n), buffer.height);
    b.high.assign(size_t(n), -1);
    const int32_t r0 = int32_t(int64_t(buffer.height) * k / threads),
                  r1 = int32_t(int64_t(buffer.height) * (k + 1) / threads);
    ForEachSpan(buffer, r0, r1, [&](const TimelineSpan& x, int32_t row) {
      if (x.triangleId >= uint32_t(n)) return;
      b.spans[x.triangleId]++;
      b.low[x.triangleId] = std::min(b.low[x.triangleId], row);
      b.high[x.triangleId] = std::max(b.high[x.triangleId], row);
    });
  });
  std::vector<int64_t> spans = std::move(bands[0].spans);
  std::vector<int32_t> lowRow = std::move(bands[0].low), highRow = std::move(bands[0].high);
  for (size_t k = 1; k < bands.size(); k++) {
    for (int32_t t = 0; t < n; t++) {
      spans[size_t(t)] += bands[k].spans[size_t(t)];
      lowRow[size_t(t)] = std::min(lowRow[size_t(t)], bands[k].low[size_t(t)]);
      highRow[size_t(t)] = std::max(highRow[size_t(t)], bands[k].high[size_t(t)]);
    }
    bands[k] = Band();
  }
  // Ranges of triangles [first[c], first[c + 1]) of at most kChunkSpans
  // spans (or one triangle with more), and the rows each range meets:
  // triangles of neighbouring numbers tend to lie close on screen, so a
  // range's gathering visits a band of the window, not all of it.
  std::vector<int32_t> first = {0}, row0 = {buffer.height}, row1 = {0};
  for (int64_t held = 0, t = 0; t < n; t++) {
    if (held > 0 && held + spans[size_t(t)] > kChunkSpans) {
      first.push_back(int32_t(t));
      row0.push_back(buffer.height);
      row1.push_back(0);
      held = 0;
    }
    held += spans[size_t(t)];
    if (spans[size_t(t)] > 0) {
      row0.back() = std::min(row0.back(), lowRow[size_t(t)]);
      row1.back() = std::max(row1.back(), highRow[size_t(t)] + 1);
    }
  }
  first.push_back(n);
  std::vector<int32_t>().swap(lowRow);
  std::vector<int32_t>().swap(highRow);
  const int chunks = int(first.size()) - 1;
  merged.chunks.resize(size_t(chunks));

  // Each range on its own: gather its spans grouped by triangle, sort each
  // triangle's by start and merge the overlapping or touching ones. Whole
  // microseconds compare as their times do.
  const int workers = std::max(1, std::min(threads, chunks));
  RunOnThreads(workers, [&](int k) {
    std::vector<uint64_t> gathered;  // start << 32 | end, sorting by start
    std::vector<int64_t> at, fill;
    for (int c = k; c < chunks; c += workers) {
      const int32_t lo = first[size_t(c)], hi = first[size_t(c) + 1];
      at.assign(size_t(hi - lo) + 1, 0);
      for (int32_t t = lo; t < hi; t++) at[size_t(t - lo) + 1] = at[size_t(t - lo)] + spans[size_t(t)];
      gathered.resize(size_t(at.back()));
      fill.assign(at.begin(), at.end() - 1);
      ForEachSpan(buffer, row0[size_t(c)], row1[size_t(c)], [&](const TimelineSpan& x, int32_t) {
        if (x.triangleId - uint32_t(lo) < uint32_t(hi - lo))
          gathered[size_t(fill[x.triangleId - uint32_t(lo)]++)] =
              uint64_t(x.startMicro) << 32 | x.endMicro;
      });
      std::vector<uint32_t>& out = merged.chunks[size_t(c)];
      for (int32_t t = lo; t < hi; t++) {
        uint64_t* a = gathered.data() + at[size_t(t - lo)];
        uint64_t* b = gathered.data() + at[size_t(t - lo) + 1];
        if (a == b) continue;
        std::sort(a, b);
        const size_t before = out.size();
        uint32_t s = uint32_t(*a >> 32), e = uint32_t(*a);
        for (++a; a < b; ++a) {
          const uint32_t ns = uint32_t(*a >> 32), ne = uint32_t(*a);
          if (e < ns) {
            out.insert(out.end(), {s, e});
            s = ns;
            e = ne;
          } else if (ne > e) {
            e = ne;
          }
        }
        out.insert(out.end(), {s, e});
        merged.counts[size_t(t)] = int32_t((out.size() - before) / 2);
      }
    }
  });
  return merged;
}

std::unique_ptr<TriangleIntervalTable> BuildIntervalTable(const SampleLocationBuffer& buffer,
                                                          int32_t triangleCount) {
  MergedTimelines merged = MergeTimelines(buffer, triangleCount);
  auto table = std::make_unique<TriangleIntervalTable>();
  table->triangleCount = int32_t(merged.counts.size());
  table->offsets.assign(merged.counts.size(), 0);
  int64_t total = 0;
  for (size_t t = 0; t < merged.counts.size(); t++) {
    table->offsets[t] = total;
    total += merged.counts[t];
    if (merged.counts[t] > 0) table->trianglesWithIntervals++;
  }
  table->intervals.resize(size_t(total));
  TimeInterval* dst = table->intervals.data();
  for (std::vector<uint32_t>& c : merged.chunks) {
    for (size_t i = 0; i + 1 < c.size(); i += 2)
      *dst++ = {double(c[i]) * 1e-6, double(c[i + 1]) * 1e-6};
    std::vector<uint32_t>().swap(c);
  }
  table->counts = std::move(merged.counts);
  return table;
}

std::unique_ptr<TriangleIntervalTable> BuildIntervalTableFromLists(
    const SampleLocationBuffer& buffer, int32_t triangleCount) {
  IntervalTableBuilder builder(triangleCount);
  ForEachListInterval(buffer, [&](const CoverageInterval& c) { builder.Count(c.triangleId); });
  builder.Allocate();
  ForEachListInterval(buffer,
                      [&](const CoverageInterval& c) { builder.Append(c.triangleId, c.start, c.end); });
  return builder.Finish();
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
