// The whole-interval run on generated moving scenes in a 1280 x 720 view:
// where its time goes (culling and tiles, coverage evaluation, timeline
// insertion, collection, file writing), intervals kept, peak memory, and
// the same run on one thread for the speed-up of the threads.
//
//   bench_intervals [scanned | triangles ...]    default: scanned 1000000
//
// "scanned" is the scanned-like model (ScannedLike(): 200,000 mostly
// sub-pixel triangles of a closed bumpy surface turning by 30 degrees);
// for it the benchmark also runs brute-force dense time sampling, nearest
// hits by ray casting at the pixel centres at 1,000 moments on every
// core, for the ratio of the two times. A number is a sheet of rolling
// waves of about that many triangles (two per quad) whose waves move
// between its two states, seen from above at an angle, as the generator's
// measurement scene; for it the benchmark renders the same interval with
// 100 software-raster frames for comparison. Each run is a process of its
// own, so the peak memory is that run's own.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Frustum.h"
#include "IntervalDrivers.h"
#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "SoftwareRaster.h"
#include "Parallel.h"
#include "RayCaster.h"
#include "Surfaces.h"
#include "WorkLayout.h"

namespace {

// An n x n quad sheet of 10000 x 10000 units with waves of the given phase.
void WaveSheet(ObjLoader& mesh, int n, float phase) {
  mesh.Release();
  std::vector<uint32_t> list;
  for (int j = 0; j <= n; j++)
    for (int i = 0; i <= n; i++) {
      float x = -5000.0f + 10000.0f * float(i) / float(n),
            y = -5000.0f + 10000.0f * float(j) / float(n);
      float z = 300 * std::sin(x / 700 + phase) * std::cos(y / 900) +
                150 * std::sin((x + y) / 400 + 2 * phase);
      mesh.positions.push_back(Vex3_quarn(x, y, z));
    }
  for (int j = 0; j < n; j++)
    for (int i = 0; i < n; i++) {
      uint32_t a = uint32_t(j * (n + 1) + i);
      uint32_t quad[6] = {a, a + 1, a + uint32_t(n) + 2, a, a + uint32_t(n) + 2, a + uint32_t(n) + 1};
      list.insert(list.end(), quad, quad + 6);
    }
  mesh.vertexCount = int32_t(mesh.positions.size());
  mesh.groupCount = 1;
  mesh.triangleCount = int32_t(list.size() / 3);
  mesh.groupTriangles.Assign({list});
  mesh.groupTriCount.Assign({mesh.triangleCount});
  mesh.groupMaterial.Assign({1});
  mesh.AssignIds(nullptr);
}

// wanted 0: the scanned-like model; else a wave sheet of about that many
// triangles. With `brief`, only the run and its time (returned); else every
// figure and the comparison.
double RunSize(int wanted, int threads, bool brief) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", threads);
  setenv("WORKBENCH_THREADS", number, 1);
  ObjLoader a, b;
  PPC cam(55, 1280, 720);
  int n = 0;
  if (wanted == 0) {
    const ScannedLikeScene s = ScannedLike();
    LoadSurface(s.mesh, s.mesh.positions, &a);
    LoadSurface(s.mesh, s.second, &b);
    cam.PositionAndOrient(s.eye, s.target - s.eye, s.up);
  } else {
    n = std::max(1, int(std::lround(std::sqrt(wanted / 2.0))));
    WaveSheet(a, n, 0);
    WaveSheet(b, n, 0.6f);
    Vex3_quarn eye(0, -9000, 3500);
    cam.PositionAndOrient(eye, Vex3_quarn(0, 0, 0) - eye, Vex3_quarn(0, 0, 1));
  }
  cam.zNear = 10;
  cam.zFar = 100000;
  cam.SetGLAndCache();
  const int32_t count = a.IdCount();

  char dir[] = "/tmp/wbbenchXXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return 0;
  mkdir(layout::FolderName(layout::Folder::kResults), 0755);
  mkdir(layout::FolderName(layout::Folder::kTables), 0755);

  const double before = PeakMB();
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  SampleLocationBuffer buffer(cam.w, cam.h);
  buffer.SetCamera(cam);
  std::vector<int32_t> live(size_t(count), 1);
  VisibleSet unionSet, result;
  std::ofstream log(layout::kIntervalLog);
  std::ostringstream quiet;
  IntervalRunScene scene;
  scene.buffer = &buffer;
  scene.first = &a;
  scene.second = &b;
  scene.triangleCount = count;
  scene.liveFlags = &live;
  scene.unionSet = &unionSet;
  scene.runLog = &log;
  scene.out = &quiet;
  IntervalWork work;
  FullIntervalRun(scene, &result, &work);
  const double total = Seconds(t0), cpu = CpuSeconds() - c0;
  IntervalStatistics st = CountTimelineIntervals(buffer);
  int64_t visible = 0;
  for (int32_t v : result) visible += v == 1;
  const double peak = PeakMB();

  if (brief) {
    std::printf("  on %d thread%s: %.2f s (%.2f s processor)\n", work.threads,
                work.threads == 1 ? "" : "s", total, cpu);
    std::system((std::string("rm -rf '") + dir + "'").c_str());
    return total;
  }
  if (wanted == 0)
    std::printf("scanned-like model: %d triangles, view 1280 x 720\n", count);
  else
    std::printf("wave sheet: %d triangles (%d x %d quads), view 1280 x 720\n", count, n, n);
  std::printf("  whole-interval run on %d threads: %.2f s (%.2f s processor)\n", work.threads,
              total, cpu);
  std::printf("    culling and sorting into tiles %.2f s; coverage evaluation %.2f s and timeline "
              "insertion %.2f s (summed over the threads); collection %.2f s; writing %.2f s\n",
              work.cullSeconds, work.coverageSeconds, work.insertSeconds, work.collectSeconds,
              work.writeSeconds);
  std::printf("  coverage evaluations: %lld, %.2f M per processor second in the tile loop\n",
              static_cast<long long>(work.evaluations),
              work.evaluations / work.processCpuSeconds / 1e6);
  std::printf("  intervals: %lld produced, %lld kept in %lld sample timelines (max %d), %lld "
              "triangles visible\n",
              static_cast<long long>(work.intervals), static_cast<long long>(st.totalIntervals),
              static_cast<long long>(st.samplesWithTimeline), st.maxIntervals,
              static_cast<long long>(visible));
  struct stat table;
  const double tableMB = stat(layout::kWholeRunTable, &table) == 0 ? double(table.st_size) / 1e6 : 0;
  std::printf("  peak memory: %.0f MB (%.0f MB with the scene only); interval table %.0f MB\n",
              peak, before, tableMB);
  std::fflush(stdout);

  if (wanted == 0) {
    // Dense time sampling: 1,000 evenly spaced moments, nearest hits at the
    // pixel centres. Every triangle it sees must be in the run's set, up to
    // rays the reference itself flags as ties.
    RayCaster caster(cam);
    caster.AddMesh(a, &b);
    std::vector<double> times(1000);
    for (int k = 0; k < 1000; k++) times[size_t(k)] = k / 999.0;
    int64_t ties = 0;
    const auto d0 = std::chrono::steady_clock::now();
    const std::vector<uint8_t> seen =
        VisibleAtPixelSamples(caster, 1, times, threads, &ties);
    const double dense = Seconds(d0);
    int64_t denseVisible = 0, missed = 0;
    for (size_t t = 0; t < seen.size(); t++) {
      denseVisible += seen[t];
      missed += seen[t] && (t >= result.size() || !result[t]);
    }
    std::printf("  dense sampling, 1,000 moments by ray casting on %d threads: %.2f s, %lld "
                "triangles seen (%lld not in the run's set; %lld tied rays); the run takes "
                "%.3f of its time\n",
                threads, dense, static_cast<long long>(denseVisible),
                static_cast<long long>(missed), static_cast<long long>(ties), total / dense);
    std::system((std::string("rm -rf '") + dir + "'").c_str());
    return total;
  }

  // The same interval rendered densely: 100 frames of the software raster.
  // A triangle the raster sees but the interval result lacks is checked
  // with exact rays at the pixel and time where the raster saw it: either
  // the ray misses it (the raster's coverage test erred at an edge) or the
  // timeline's triangle there is hit and nearer (the float depth buffer
  // confused the two).
  {
    ObjLoader frame;
    frame.CopyState(a);
    std::vector<int32_t> ids(size_t(cam.w) * cam.h);
    std::vector<float> depth(ids.size());
    std::vector<int32_t> seen(size_t(count), 0);
    struct Sighting {
      int32_t triangle, pixel;
      double time;
    };
    std::vector<Sighting> extra;
    double rasterSeconds = 0;
    for (int k = 0; k < 100; k++) {
      const double time = k / 99.0;
      frame.InterpolatePositions(a, b, time);
      std::fill(ids.begin(), ids.end(), -1);
      std::fill(depth.begin(), depth.end(), 2.0f);
      const auto r0 = std::chrono::steady_clock::now();
      TriangleRaster(frame, ids.data(), cam, depth.data(), 1, nullptr, quiet);
      rasterSeconds += Seconds(r0);
      for (size_t p = 0; p < ids.size(); p++) {
        const int32_t id = ids[p];
        if (id < 0 || id >= count || seen[size_t(id)]) continue;
        seen[size_t(id)] = 1;
        if (!result[size_t(id)]) extra.push_back({id, int32_t(p), time});
      }
    }
    int64_t rasterVisible = 0, depthErrors = 0, edgeErrors = 0;
    for (int32_t t = 0; t < count; t++) rasterVisible += seen[size_t(t)];
    MeshMotion motion(a, b);
    const Vex3_quarnd eye(cam.eye);
    for (const Sighting& x : extra) {
      const SampleLocation& s = buffer.pixels[size_t(x.pixel)].samples[0];
      const Vex3_quarnd ray(s.ray[0], s.ray[1], s.ray[2]);
      int64_t owner = -1;
      for (const TimelineSpan& n : s.timeline)
        if (x.time >= n.Start() && x.time <= n.End()) owner = n.triangleId;
      auto distance = [&](int32_t t, double* d) {
        TriangleMotion m;
        Vex3_quarnd v[3];
        if (!motion.Motion(t, &m)) return false;
        PositionsAt(m, x.time, v);
        return RayDistanceAt(eye, ray, v, true, d);
      };
      // Is the pixel centre inside the triangle at that time at all?
      TriangleMotion m;
      MovingTriangle prepared;
      CoverageSpan spans[kCoverageSlots];
      bool covered = false;
      if (motion.Motion(x.triangle, &m)) {
        PrepareMovingTriangle(m, eye, &prepared);
        const int c = CoverageTimes(prepared, ray, spans);
        for (int i = 0; i < c; i++) covered |= x.time >= spans[i].start && x.time <= spans[i].end;
      }
      double dOwner = 0, dExtra = 0;
      if (!covered)
        edgeErrors++;
      else if (owner >= 0 && distance(int32_t(owner), &dOwner) && distance(x.triangle, &dExtra) &&
               dOwner < dExtra)
        depthErrors++;
    }
    std::printf("  100 software-raster frames: %.2f s (%.1f ms per frame), %lld triangles seen\n",
                rasterSeconds, rasterSeconds * 10, static_cast<long long>(rasterVisible));
    std::printf("  seen by the raster only: %lld; by exact rays at those pixels and times: %lld "
                "not covering the pixel centre, %lld behind the timeline's triangle, %lld "
                "unexplained\n",
                static_cast<long long>(extra.size()), static_cast<long long>(edgeErrors),
                static_cast<long long>(depthErrors),
                static_cast<long long>(extra.size()) - edgeErrors - depthErrors);
  }
  std::fflush(stdout);
  std::system((std::string("rm -rf '") + dir + "'").c_str());
  return total;
}

// RunSize in a child process; its time comes back through a pipe.
double InChild(int wanted, int threads, bool brief) {
  std::fflush(stdout);
  int fd[2];
  if (pipe(fd) != 0) return 0;
  pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    const double t = RunSize(wanted, threads, brief);
    std::fflush(stdout);
    if (write(fd[1], &t, sizeof t) != sizeof t) std::_Exit(1);
    std::_Exit(0);
  }
  close(fd[1]);
  double t = 0;
  if (pid > 0) {
    if (read(fd[0], &t, sizeof t) != sizeof t) t = 0;
    int status = 0;
    waitpid(pid, &status, 0);
  }
  close(fd[0]);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; i++)
    sizes.push_back(std::string(argv[i]) == "scanned" ? 0 : std::atoi(argv[i]));
  if (sizes.empty()) sizes = {0, 1000000};
  const int threads = WorkerThreads();
  for (int size : sizes) {
    const double all = InChild(size, threads, false);
    if (threads > 1) {
      const double one = InChild(size, 1, true);
      if (all > 0) std::printf("  speed-up of %d threads: %.2f\n", threads, one / all);
    }
  }
  return 0;
}
