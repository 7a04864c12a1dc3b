// Per-triangle visibility intervals: for every triangle, its sorted,
// disjoint time intervals (separated by a gap greater than zero). Built
// from all timelines of a sample-location buffer, written and read as the
// interval table file (int32 M, int32 N, then M records of int32 triangle,
// int32 K and K float64 pairs, in ascending triangle order).
#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

class SampleLocationBuffer;

struct TimeInterval {
  double start = 0, end = 0;
};
static_assert(sizeof(TimeInterval) == 16, "intervals are two raw float64 in files");

class TriangleIntervalTable {
 public:
  int32_t trianglesWithIntervals = 0;  // M
  int32_t triangleCount = 0;           // N
  std::vector<int32_t> counts;         // per triangle
  std::vector<int64_t> offsets;        // per triangle, into `intervals`
  std::vector<TimeInterval> intervals;  // all intervals, grouped by triangle

  // The triangle's intervals, null when it has none.
  const TimeInterval* Intervals(int32_t t) const {
    return counts[size_t(t)] > 0 ? &intervals[size_t(offsets[size_t(t)])] : nullptr;
  }
};

// Two-pass construction: Count every interval, Allocate, Append every
// interval again, Finish (sort each triangle's intervals by start and merge
// overlapping or touching ones). Triangles outside [0, n) are skipped.
class IntervalTableBuilder {
 public:
  explicit IntervalTableBuilder(int32_t n);
  void Count(uint32_t t) {
    if (t < uint32_t(n_)) table_->counts[t]++;
  }
  void Allocate();
  void Append(uint32_t t, double start, double end) {
    if (t >= uint32_t(n_) || fill_[t] >= table_->counts[t]) return;
    table_->intervals[size_t(table_->offsets[t] + fill_[t]++)] = {start, end};
  }
  std::unique_ptr<TriangleIntervalTable> Finish();

 private:
  int32_t n_;
  std::unique_ptr<TriangleIntervalTable> table_;
  std::vector<int32_t> fill_;
};

// The flat timelines of every sample of every pixel, merged per triangle:
// its intervals in microseconds, sorted, overlapping or touching ones
// joined. `chunks` hold them as (start, end) pairs, triangle after
// triangle, split into consecutive ranges of triangles; `counts` the
// number per triangle. Half the memory of the table itself, and never all
// of the timelines' intervals at once.
struct MergedTimelines {
  std::vector<int32_t> counts;
  std::vector<std::vector<uint32_t>> chunks;
};
MergedTimelines MergeTimelines(const SampleLocationBuffer& buffer, int32_t triangleCount);

// The table from the merged flat timelines (times in seconds of the span:
// whole microseconds times 1e-6).
std::unique_ptr<TriangleIntervalTable> BuildIntervalTable(const SampleLocationBuffer& buffer,
                                                          int32_t triangleCount);
// The same from the list-form timelines.
std::unique_ptr<TriangleIntervalTable> BuildIntervalTableFromLists(
    const SampleLocationBuffer& buffer, int32_t triangleCount);

// Sets flags[t] = 1 for every triangle t < n with an interval meeting the
// closed window [a, b]; other flags stay as they are.
void MarkVisibleInWindow(const TriangleIntervalTable& table, double a, double b,
                         int32_t* flags, int32_t n);

// Silent when the file cannot be created (the write is skipped). False
// when the file could not be written completely.
bool WriteIntervalTable(const TriangleIntervalTable& table, const std::string& path);
// The same file straight from merged timelines, without building the table.
bool WriteIntervalTable(const MergedTimelines& merged, const std::string& path);

// Tables announcing more triangles than this are refused: N sizes two
// per-triangle arrays, and the file does not bound it.
constexpr int32_t kMaxTableTriangles = int32_t(1) << 27;

// Null, after one message on `err` naming the file, when it cannot be opened or is
// malformed: truncated, counts out of range, a triangle index outside
// [0, N) or not ascending, K below 1 or beyond the file's end.
std::unique_ptr<TriangleIntervalTable> ReadIntervalTable(
    const std::string& path, int32_t maxTriangles = kMaxTableTriangles, std::ostream& err = std::cerr);
// The same from bytes in memory; `name` labels the messages.
std::unique_ptr<TriangleIntervalTable> ParseIntervalTable(
    const uint8_t* data, size_t size, const std::string& name,
    int32_t maxTriangles = kMaxTableTriangles, std::ostream& err = std::cerr);
