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
#include "TileTimelines.h"

namespace {

// Tile side in pixels: large enough that a small triangle rarely straddles
// tiles (each tile it meets prepares it again), small enough to share the
// work of a view out evenly.
constexpr int kTile = 64;


double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
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
  TileSetting setting;
  setting.buffer = &buffer;
  setting.motion = &motion;
  setting.projector = projector;
  setting.eye = eye;
  setting.region = options.region;
  setting.spans = SamplesInTheirPixels(buffer);
  {
    const SampleLocation& centre = buffer.Pixel(w / 2, h / 2).samples[0];
    setting.view = Vex3_quarnd(centre.ray[0], centre.ray[1], centre.ray[2]).Normalized();
  }
  std::vector<std::atomic<int32_t>> evaluated(static_cast<size_t>(n));
  for (int32_t t = 0; t < n; t++) evaluated[size_t(t)].store(0, std::memory_order_relaxed);
  std::atomic<size_t> nextTile{0};
  std::atomic<int64_t> pairsDone{0};
  const int64_t pairs = int64_t(tileList.size());
  threads = std::max(1, std::min<int>(threads, int(tiles)));
  std::vector<TileCounts> perThread(static_cast<size_t>(threads));
  const double loopStarted = Now();
  const std::clock_t loopCpu = std::clock();
  RunOnThreads(threads, [&](int k) {
    TileTimelines work(setting);
    for (size_t next; (next = nextTile.fetch_add(1)) < tiles;) {
      const size_t tile = order[next];
      const int tx0 = int(tile % size_t(tilesX)) * kTile, ty0 = int(tile / size_t(tilesX)) * kTile;
      const int tx1 = std::min(tx0 + kTile, w) - 1, ty1 = std::min(ty0 + kTile, h) - 1;
      work.Run(tx0, ty0, tx1, ty1, tileList.data() + tileStart[tile],
               tileStart[tile + 1] - tileStart[tile], evaluated.data(), &perThread[size_t(k)]);
      pairsDone += tileStart[tile + 1] - tileStart[tile];
      if (k == 0 && options.progress && pairs > 0)
        options.progress(flagged * pairsDone.load() / pairs, flagged);
    }
  });
  run.work.processSeconds = Now() - loopStarted;
  run.work.processCpuSeconds = double(std::clock() - loopCpu) / CLOCKS_PER_SEC;
  run.work.threads = threads;
  for (const TileCounts& tw : perThread) {
    run.work.candidates += tw.candidates;
    run.work.evaluations += tw.evaluations;
    run.work.intervals += tw.intervals;
    run.work.inserted += tw.inserted;
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
