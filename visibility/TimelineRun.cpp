// The timeline run: every flagged triangle's coverage intervals at the
// samples it can reach, inserted into the samples' flat timelines.
//
// Three passes. First, in parallel over ranges of triangles, each
// triangle's pixel region (culling by depth, the screen hull's box).
// Second, the triangles are sorted into square tiles of the window, each
// tile's list in ascending triangle order. Third, threads take whole tiles
// one after another; a tile's samples are touched by its thread only, and
// its triangles come in order, so the result does not depend on how many
// threads there are or which one takes which tile.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>

#include "IntervalRuns.h"
#include "Parallel.h"
#include "SampleLocationBuffer.h"
#include "TimelineInsert.h"

namespace {

// Tile side in pixels: large enough that a small triangle rarely straddles
// tiles (each tile it meets prepares it again), small enough to share the
// work of a view out evenly.
constexpr int kTile = 64;

uint32_t Micro(double t) { return uint32_t(std::llround(t * 1e6)); }

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Inclusive pixel range of a triangle's samples.
struct Region {
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
};

// A triangle's motion, hull and region; returns 0, kAbsent or kEmptyBox.
// `useHull` is false when the region is the whole window.
int32_t FindRegion(const Projector& projector, const MotionSource& motion, int32_t triangle,
                   SampleRegion rule, int w, int h, TriangleMotion* m, ScreenHull* hull,
                   Region* r, bool* useHull) {
  if (!motion.Motion(triangle, m)) return kAbsent;
  TriangleScreenHull(projector, *m, hull);
  if (hull->allBehindEye) return kEmptyBox;
  if (rule == SampleRegion::kDepthBox && !hull->behindEye) {
    bool allNear = true, allFar = true;
    for (double z : hull->depth) {
      allNear &= z < 0;
      allFar &= z > 1;
    }
    if (allNear || allFar) return kEmptyBox;
  }
  *useHull = !hull->behindEye;
  *r = {0, 0, w - 1, h - 1};
  if (*useHull && !ClipBoxToWindow(hull->minX - kScreenMargin, hull->minY - kScreenMargin,
                                   hull->maxX + kScreenMargin, hull->maxY + kScreenMargin, w, h,
                                   &r->x0, &r->y0, &r->x1, &r->y1))
    return kEmptyBox;
  return 0;
}

// Whether every sample lies in its own pixel (edges included), so that a
// row's hull span bounds the pixels worth visiting.
bool SamplesInTheirPixels(const SampleLocationBuffer& buffer) {
  for (const PixelSamples& px : buffer.pixels)
    for (int32_t k = 0; k < px.count; k++) {
      const SampleLocation& s = px.samples[size_t(k)];
      if (s.x < px.column || s.x > px.column + 1 || s.y < px.row || s.y > px.row + 1) return false;
    }
  return true;
}

struct ThreadWork {
  int64_t evaluations = 0, intervals = 0, trianglesDone = 0;
  double coverage = 0, insert = 0;
};

// One interval found, waiting for insertion into its sample's timeline.
struct Found {
  SampleLocation* sample;
  uint32_t start, end;
};

}  // namespace

TimelineRun ComputeTimelines(SampleLocationBuffer& buffer, const MotionSource& motion,
                             const std::vector<int32_t>& process,
                             const TimelineRunOptions& options) {
  TimelineRun run;
  const int32_t n = int32_t(process.size());
  run.samples.assign(process.size(), kNotProcessed);
  if (!buffer.camera) return run;
  const double started = Now();
  if (options.computeRays) buffer.ComputeSampleRays();
  const Projector projector = buffer.camera->MakeProjector();
  const Vex3_quarnd eye = projector.RayOrigin(Vex3_quarnd(buffer.camera->eye));
  const int w = buffer.width, h = buffer.height;
  int threads = options.threads > 0 ? options.threads : WorkerThreads();

  // Regions, in parallel over ranges of triangles.
  std::vector<Region> regions(static_cast<size_t>(n));
  std::vector<uint8_t> wholeWindow(size_t(n), 0);
  RunOnThreads(threads, [&](int k) {
    const int32_t lo = int32_t(int64_t(n) * k / threads), hi = int32_t(int64_t(n) * (k + 1) / threads);
    for (int32_t t = lo; t < hi; t++) {
      if (process[size_t(t)] == 0) continue;
      TriangleMotion m;
      ScreenHull hull;
      bool useHull = true;
      run.samples[size_t(t)] = FindRegion(projector, motion, t, options.region, w, h, &m, &hull,
                                          &regions[size_t(t)], &useHull);
      wholeWindow[size_t(t)] = !useHull;
    }
  });

  // Tile lists, ascending triangle order in each.
  const int tilesX = (w + kTile - 1) / kTile, tilesY = (h + kTile - 1) / kTile;
  const size_t tiles = size_t(tilesX) * size_t(tilesY);
  std::vector<uint32_t> tileStart(tiles + 1, 0);
  int64_t flagged = 0;
  auto forTiles = [&](int32_t t, auto&& f) {
    const Region& r = regions[size_t(t)];
    for (int ty = r.y0 / kTile; ty <= r.y1 / kTile; ty++)
      for (int tx = r.x0 / kTile; tx <= r.x1 / kTile; tx++) f(size_t(ty) * size_t(tilesX) + size_t(tx));
  };
  for (int32_t t = 0; t < n; t++) {
    if (process[size_t(t)] != 0) flagged++;
    if (run.samples[size_t(t)] == 0) forTiles(t, [&](size_t tile) { tileStart[tile + 1]++; });
  }
  for (size_t i = 0; i < tiles; i++) tileStart[i + 1] += tileStart[i];
  std::vector<uint32_t> tileList(tileStart[tiles]);
  {
    std::vector<uint32_t> fill(tileStart.begin(), tileStart.end() - 1);
    for (int32_t t = 0; t < n; t++)
      if (run.samples[size_t(t)] == 0) forTiles(t, [&](size_t tile) { tileList[fill[tile]++] = uint32_t(t); });
  }
  run.work.cullSeconds = Now() - started;

  // Tiles with the most triangles first, so that no thread is left with a
  // long one at the end while the others wait.
  std::vector<uint32_t> order(tiles);
  for (size_t i = 0; i < tiles; i++) order[i] = uint32_t(i);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
    return tileStart[x + 1] - tileStart[x] > tileStart[y + 1] - tileStart[y];
  });

  // The tiles. Counts per triangle are summed over its tiles.
  const bool spans = SamplesInTheirPixels(buffer);
  std::vector<std::atomic<int32_t>> evaluated(static_cast<size_t>(n));
  for (int32_t t = 0; t < n; t++) evaluated[size_t(t)].store(0, std::memory_order_relaxed);
  std::atomic<size_t> nextTile{0};
  std::atomic<int64_t> pairsDone{0};
  const int64_t pairs = int64_t(tileList.size());
  threads = std::max(1, std::min<int>(threads, int(tiles)));
  std::vector<ThreadWork> perThread(static_cast<size_t>(threads));
  const double loopStarted = Now();
  const std::clock_t loopCpu = std::clock();
  RunOnThreads(threads, [&](int k) {
    ThreadWork& tw = perThread[size_t(k)];
    MotionDepthComparator depth(motion, eye);
    std::vector<Found> found;
    CoverageSpan cover[kCoverageSlots];
    for (size_t next; (next = nextTile.fetch_add(1)) < tiles;) {
      const size_t tile = order[next];
      const int tx0 = int(tile % size_t(tilesX)) * kTile, ty0 = int(tile / size_t(tilesX)) * kTile;
      const int tx1 = std::min(tx0 + kTile, w) - 1, ty1 = std::min(ty0 + kTile, h) - 1;
      for (uint32_t i = tileStart[tile]; i < tileStart[tile + 1]; i++) {
        const int32_t t = int32_t(tileList[i]);
        const double t0 = Now();
        TriangleMotion m;
        ScreenHull hull;
        Region r;
        bool useHull = true;
        FindRegion(projector, motion, t, options.region, w, h, &m, &hull, &r, &useHull);
        MovingTriangle prepared;
        PrepareMovingTriangle(m, eye, &prepared);
        found.clear();
        int32_t count = 0;
        for (int row = std::max(r.y0, ty0); row <= std::min(r.y1, ty1); row++) {
          int c0 = std::max(r.x0, tx0), c1 = std::min(r.x1, tx1);
          if (useHull && spans) {
            double lo, hi;
            if (!hull.RowSpan(row, row + 1, &lo, &hi)) continue;
            if (lo - 1 > c0) c0 = int(std::ceil(lo - 1));
            if (hi < c1) c1 = int(std::floor(hi));
          }
          for (int col = c0; col <= c1; col++) {
            PixelSamples& px = buffer.Pixel(col, row);
            for (int32_t s = 0; s < px.count; s++) {
              SampleLocation& sample = px.samples[size_t(s)];
              if (useHull && !hull.Contains(sample.x, sample.y)) continue;
              count++;
              const int c = CoverageTimes(
                  prepared, Vex3_quarnd(sample.ray[0], sample.ray[1], sample.ray[2]), cover);
              for (int j = 0; j < c; j++)
                found.push_back({&sample, Micro(cover[j].start), Micro(cover[j].end)});
            }
          }
        }
        const double t1 = Now();
        depth.SetCurrent(uint32_t(t), &prepared);
        for (const Found& f : found)
          InsertInterval(f.sample->timeline, f.sample->ray, uint32_t(t), f.start, f.end, depth);
        depth.SetCurrent(0xffffffffu, nullptr);
        tw.coverage += t1 - t0;
        tw.insert += Now() - t1;
        tw.evaluations += count;
        tw.intervals += int64_t(found.size());
        evaluated[size_t(t)].fetch_add(count, std::memory_order_relaxed);
      }
      // The tile's timelines are final: give back the room their growth
      // left, which would otherwise add a third to the run's peak.
      for (int row = ty0; row <= ty1; row++)
        for (int col = tx0; col <= tx1; col++) {
          PixelSamples& px = buffer.Pixel(col, row);
          for (int32_t s = 0; s < px.count; s++) {
            FlatTimeline& line = px.samples[size_t(s)].timeline;
            if (line.capacity() > line.size() + 2) line.shrink_to_fit();
          }
        }
      pairsDone += tileStart[tile + 1] - tileStart[tile];
      if (k == 0 && options.progress && pairs > 0)
        options.progress(flagged * pairsDone.load() / pairs, flagged);
    }
  });
  run.work.processSeconds = Now() - loopStarted;
  run.work.processCpuSeconds = double(std::clock() - loopCpu) / CLOCKS_PER_SEC;
  run.work.threads = threads;
  for (const ThreadWork& tw : perThread) {
    run.work.evaluations += tw.evaluations;
    run.work.intervals += tw.intervals;
    run.work.candidates += tw.evaluations;
    run.work.inserted += tw.intervals;
    run.work.coverageSeconds += tw.coverage;
    run.work.insertSeconds += tw.insert;
  }
  for (int32_t t = 0; t < n; t++)
    if (run.samples[size_t(t)] == 0) {
      run.samples[size_t(t)] = evaluated[size_t(t)].load(std::memory_order_relaxed);
      run.work.trianglesDone++;
    }
  if (options.progress) options.progress(flagged, flagged);
  return run;
}
