// Interval-table speed and memory: a 1280 x 720 buffer whose tree
// timelines hold 10,000,000 intervals over 1,000,000 triangles. Prints the
// time to build the table, write it, read it back, and the peak memory the
// table work adds on top of the timelines. Optional arguments: interval
// count, triangle count, id window per pixel (default 2048; the triangle
// count spreads ids over the whole scene, leaving little to merge),
// scratch folder (default /tmp).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchSupport.h"
#include "IntervalTable.h"
#include "SampleLocationBuffer.h"

namespace {

constexpr int kW = 1280, kH = 720;

uint64_t Mix(uint64_t x) {  // splitmix64 finaliser: a fixed pseudo-random sequence
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// Every pixel's centre sample gets a time-ordered, disjoint timeline; its
// triangles are drawn from a window around the pixel's own band of ids, so
// a triangle is seen from neighbouring pixels at nearby times, as in a run.
void FillTimelines(SampleLocationBuffer& buf, int64_t intervals, int32_t triangles,
                   int32_t window) {
  const int64_t pixels = int64_t(buf.pixels.size());
  for (int64_t p = 0; p < pixels; p++) {
    const int64_t first = p * intervals / pixels, last = (p + 1) * intervals / pixels;
    const int32_t m = int32_t(last - first);
    if (m == 0) continue;
    SampleLocation& s = buf.pixels[size_t(p)].samples[0];
    const int64_t band = p * triangles / pixels;
    s.timeline.reserve(size_t(m));
    for (int32_t j = 0; j < m; j++) {
      const uint64_t r = Mix(uint64_t(first + j));
      // In time order, as a run leaves them; times in microseconds.
      const double start = double(j) / m + 1e-3 * double((r >> 12) % 100) / m;
      const double end = double(j + 1) / m - 1e-3 * double((r >> 24) % 100) / m;
      s.timeline.push_back({uint32_t((band + int64_t(r % uint64_t(window))) % triangles),
                            uint32_t(std::llround(start * 1e6)), uint32_t(std::llround(end * 1e6))});
    }
  }
}

// Order-sensitive digest of a table, so the built table can be freed
// before the read (as a run does) and still be compared.
uint64_t Digest(const TriangleIntervalTable& a) {
  uint64_t h = Mix(uint64_t(a.triangleCount)) ^ Mix(uint64_t(a.trianglesWithIntervals) + 1);
  for (int32_t t = 0; t < a.triangleCount; t++) {
    h = Mix(h ^ uint64_t(a.counts[size_t(t)]));
    for (int32_t i = 0; i < a.counts[size_t(t)]; i++) {
      uint64_t s, e;
      std::memcpy(&s, &a.Intervals(t)[i].start, 8);
      std::memcpy(&e, &a.Intervals(t)[i].end, 8);
      h = Mix(h ^ s) ^ Mix(e);
    }
  }
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t intervals = argc > 1 ? std::atoll(argv[1]) : 10000000;
  const int32_t triangles = argc > 2 ? std::atoi(argv[2]) : 1000000;
  const int32_t window = argc > 3 ? std::atoi(argv[3]) : 2048;
  const std::string folder = argc > 4 ? argv[4] : "/tmp";
  const std::string path = folder + "/interval_table_bench_" + std::to_string(getpid()) + ".bin";

  SampleLocationBuffer buf(kW, kH);
  auto t0 = std::chrono::steady_clock::now();
  FillTimelines(buf, intervals, triangles, std::max(window, 1));
  const double fillSeconds = Seconds(t0);
  const double timelinesMiB = PeakMB();

  t0 = std::chrono::steady_clock::now();
  double c0 = CpuSeconds();
  auto table = BuildIntervalTable(buf, triangles);
  const double buildSeconds = Seconds(t0), buildCpu = CpuSeconds() - c0;
  t0 = std::chrono::steady_clock::now();
  c0 = CpuSeconds();
  const bool written = WriteIntervalTable(*table, path);
  const double writeSeconds = Seconds(t0), writeCpu = CpuSeconds() - c0;
  const double afterWriteMiB = PeakMB();

  const double fileMiB =
      double(8 + 8 * int64_t(table->trianglesWithIntervals) + 16 * int64_t(table->intervals.size())) /
      (1024.0 * 1024.0);
  const int32_t withIntervals = table->trianglesWithIntervals;
  const size_t merged = table->intervals.size();
  const uint64_t digest = Digest(*table);
  table.reset();  // a run destroys the table after writing it
  t0 = std::chrono::steady_clock::now();
  c0 = CpuSeconds();
  auto back = ReadIntervalTable(path);
  const double readSeconds = Seconds(t0), readCpu = CpuSeconds() - c0;
  const double afterReadMiB = PeakMB();
  const bool same = back && Digest(*back) == digest;
  std::remove(path.c_str());

  std::printf("timelines: %lld intervals over %d triangles in %d x %d pixels (%.2f s to make)\n",
              static_cast<long long>(intervals), triangles, kW, kH, fillSeconds);
  std::printf("table: %d triangles with intervals, %zu intervals after merging, file %.1f MiB\n",
              withIntervals, merged, fileMiB);
  std::printf("build %.3f s + write %.3f s = %.3f s (target < 3 s; CPU %.3f + %.3f s)%s\n",
              buildSeconds, writeSeconds, buildSeconds + writeSeconds, buildCpu, writeCpu,
              written ? "" : "  WRITE FAILED");
  std::printf("read %.3f s (target < 1 s; CPU %.3f s), read-back table %s\n", readSeconds,
              readCpu, same ? "identical" : "DIFFERS");
  std::printf("peak memory: timelines %.0f MiB; table work adds %.0f MiB (build+write) and "
              "%.0f MiB (with read); 2 x file = %.0f MiB\n",
              timelinesMiB, afterWriteMiB - timelinesMiB, afterReadMiB - timelinesMiB,
              2 * fileMiB);
  return same && written ? 0 : 1;
}
