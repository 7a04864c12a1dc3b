// The whole-interval run against dense time sampling with Embree on moving
// scenes: where the run's time goes, the work it does against the answer
// it gives (candidate pairs, evaluations, intervals produced, inserted and
// kept), peak memory, and the ratio run / sampler measured in one process.
//
//   bench_intervals [options] [scene ...]
//     scanned[:DEGREES]         the scanned-like model (200,000 mostly sub-pixel
//                               triangles) turning DEGREES (default 30) about
//                               an axis off the view axis and moved sideways
//                               by a fifth of its size
//     waves[:TRIANGLES]         the rolling wave sheet (default 1,000,000)
//     files FIRST SECOND CAMERA two state files and a camera
//   options:
//     --moments K   moments of the dense sampler (default 1000); 0: no sampler
//     --speedup     also run on one thread, for the speed-up of the threads
//   default: scanned:30 scanned:60 scanned:120 waves
//
// The threads are WORKBENCH_THREADS (default: every core), for the run and
// the sampler alike. Each scene runs in a process of its own, so the peak
// memory is that run's own. The checksums cover every timeline and every
// file and console line of the run, to compare builds; with the
// environment variable BENCH_DUMP_TIMELINES=FILE every timeline is also
// written to FILE as text, to find where two builds differ.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "EmbreeSampler.h"
#include "FlaggedBinary.h"
#include "IntervalDrivers.h"
#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "Parallel.h"
#include "SampleLocationBuffer.h"
#include "StateReader.h"
#include "Surfaces.h"
#include "WorkLayout.h"

namespace {

struct SceneRequest {
  std::string kind;  // "scanned", "waves" or "files"
  double value = 0;  // degrees, or triangles
  std::vector<std::string> files;
  std::string Name() const;
};

std::string SceneRequest::Name() const {
  char text[256];
  if (kind == "scanned")
    std::snprintf(text, sizeof text, "scanned-like model turning %g degrees", value);
  else if (kind == "waves")
    std::snprintf(text, sizeof text, "wave sheet of about %g triangles", value);
  else
    std::snprintf(text, sizeof text, "%s -> %s through %s", files[0].c_str(), files[1].c_str(),
                  files[2].c_str());
  return text;
}

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

bool LoadState(const std::string& path, ObjLoader& mesh) {
  const bool binary = path.size() > 4 && path.compare(path.size() - 4, 4, ".bin") == 0;
  if (!(binary ? ReadFlaggedBinary(mesh, path) : ReadStateFile(mesh, path))) return false;
  mesh.AssignIds(nullptr);
  return true;
}

// The two states and the camera of a scene; false when files do not load.
bool MakeScene(const SceneRequest& request, ObjLoader& a, ObjLoader& b, PPC& cam) {
  cam = PPC(55, 1280, 720);
  if (request.kind == "scanned") {
    const ScannedLikeScene s = ScannedLike(float(request.value), 0.2f);
    LoadSurface(s.mesh, s.mesh.positions, &a);
    LoadSurface(s.mesh, s.second, &b);
    cam.PositionAndOrient(s.eye, s.target - s.eye, s.up);
    cam.zNear = 10;
    cam.zFar = 100000;
  } else if (request.kind == "waves") {
    const int n = std::max(1, int(std::lround(std::sqrt(request.value / 2.0))));
    WaveSheet(a, n, 0);
    WaveSheet(b, n, 0.6f);
    Vex3_quarn eye(0, -9000, 3500);
    cam.PositionAndOrient(eye, Vex3_quarn(0, 0, 0) - eye, Vex3_quarn(0, 0, 1));
    cam.zNear = 10;
    cam.zFar = 100000;
  } else {
    if (!LoadState(request.files[0], a) || !LoadState(request.files[1], b)) return false;
    if (a.vertexCount != b.vertexCount) {
      std::printf("  %s and %s differ in vertex count\n", request.files[0].c_str(),
                  request.files[1].c_str());
      return false;
    }
    if (!cam.LoadFromFile(request.files[2])) {
      std::printf("  cannot read camera %s\n", request.files[2].c_str());
      return false;
    }
  }
  cam.SetGLAndCache();
  return true;
}

uint64_t Fnv(uint64_t h, const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; i++) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}
constexpr uint64_t kFnvStart = 14695981039346656037ull;

uint64_t FileHash(const char* path, uint64_t h) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Fnv(h, bytes.data(), bytes.size());
}

// The sampler's scene: every triangle present in either state, with its id.
DenseScene SamplerScene(const ObjLoader& a, const ObjLoader& b) {
  DenseScene d;
  d.first = a.positions;
  d.second = b.positions;
  d.idCount = a.IdCount();
  for (int32_t t = 0; t < d.idCount; t++) {
    uint32_t idx[3];
    if (!a.TriangleIndicesSorted(t, idx) && !b.TriangleIndicesSorted(t, idx)) continue;
    if (idx[0] >= d.first.size() || idx[2] >= d.first.size()) continue;
    d.triangles.insert(d.triangles.end(), idx, idx + 3);
    d.ids.push_back(t);
  }
  return d;
}

// The scene's run and figures, then the sampler. Returns the run's wall time.
double RunScene(const SceneRequest& request, int threads, int moments, bool brief) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", threads);
  setenv("WORKBENCH_THREADS", number, 1);
  ObjLoader a, b;
  PPC cam;
  if (!MakeScene(request, a, b, cam)) return 0;
  const int32_t count = a.IdCount();

  char dir[] = "/tmp/wbbenchXXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return 0;
  mkdir(layout::FolderName(layout::Folder::kResults), 0755);
  mkdir(layout::FolderName(layout::Folder::kTables), 0755);
  auto cleanUp = [&]() { std::system((std::string("rm -rf '") + dir + "'").c_str()); };

  const double before = PeakMB();
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  SampleLocationBuffer buffer(cam.w, cam.h);
  buffer.SetCamera(cam);
  std::vector<int32_t> live(size_t(count), 1);
  VisibleSet unionSet, result;
  std::ostringstream console;
  IntervalWork work;
  {
    std::ofstream log(layout::kIntervalLog);
    IntervalRunScene scene;
    scene.buffer = &buffer;
    scene.first = &a;
    scene.second = &b;
    scene.triangleCount = count;
    scene.liveFlags = &live;
    scene.unionSet = &unionSet;
    scene.runLog = &log;
    scene.out = &console;
    FullIntervalRun(scene, &result, &work);
  }
  const double total = Seconds(t0), cpu = CpuSeconds() - c0;
  const double peak = PeakMB();
  if (const char* dump = std::getenv("BENCH_DUMP_TIMELINES")) {
    // Every timeline as text, to find where two builds differ.
    std::FILE* f = std::fopen(dump, "w");
    for (size_t p = 0; f && p < buffer.pixels.size(); p++)
      for (int32_t k = 0; k < buffer.pixels[p].count; k++)
        for (const TimelineSpan& x : buffer.pixels[p].samples[size_t(k)].timeline)
          std::fprintf(f, "%zu %d %u %u %u\n", p, k, x.triangleId, x.startMicro, x.endMicro);
    if (f) std::fclose(f);
  }
  if (brief) {
    std::printf("  on %d thread%s: %.2f s (%.2f s processor)\n", work.threads,
                work.threads == 1 ? "" : "s", total, cpu);
    cleanUp();
    return total;
  }

  IntervalStatistics st = CountTimelineIntervals(buffer);
  int64_t visible = 0;
  for (int32_t v : result) visible += v == 1;
  uint64_t lines = kFnvStart;
  for (const PixelSamples& px : buffer.pixels)
    for (int32_t k = 0; k < px.count; k++) {
      const FlatTimeline& t = px.samples[size_t(k)].timeline;
      const uint64_t size = t.size();
      lines = Fnv(lines, &size, sizeof size);
      if (size) lines = Fnv(lines, t.data(), t.size() * sizeof(TimelineSpan));
    }
  uint64_t files = kFnvStart;
  for (const char* f : {layout::kWholeRunTable, layout::kEndStateLine, layout::kIntervalLog})
    files = FileHash(f, files);
  const std::string text = console.str();
  const uint64_t consoleHash = Fnv(kFnvStart, text.data(), text.size());

  std::printf("%s: %d triangles, view %d x %d, %d threads\n", request.Name().c_str(), count, cam.w,
              cam.h, work.threads);
  std::printf("  run (timelines and table): %.2f s wall, %.2f s processor\n", total, cpu);
  std::printf("    culling and tiles %.2f s; coverage evaluation %.2f s and timeline insertion "
              "%.2f s (summed over the threads); collection %.2f s; log, table and set %.2f s\n",
              work.cullSeconds, work.coverageSeconds, work.insertSeconds, work.collectSeconds,
              work.writeSeconds);
  std::printf("  (triangle, sample) pairs: %lld candidates in screen hulls, %lld evaluated\n",
              static_cast<long long>(work.candidates), static_cast<long long>(work.evaluations));
  std::printf("  intervals: %lld produced, %lld inserted, %lld kept in %lld sample timelines "
              "(max %d); %lld triangles visible\n",
              static_cast<long long>(work.intervals), static_cast<long long>(work.inserted),
              static_cast<long long>(st.totalIntervals),
              static_cast<long long>(st.samplesWithTimeline), st.maxIntervals,
              static_cast<long long>(visible));
  struct stat table;
  const double tableMB =
      stat(layout::kWholeRunTable, &table) == 0 ? double(table.st_size) / 1e6 : 0;
  std::printf("  peak memory: %.0f MB (%.0f MB with the scene only); interval table %.0f MB\n",
              peak, before, tableMB);
  std::printf("  checksums: timelines %016llx, files %016llx, console %016llx\n",
              static_cast<unsigned long long>(lines), static_cast<unsigned long long>(files),
              static_cast<unsigned long long>(consoleHash));
  std::fflush(stdout);
  if (moments <= 0) {
    cleanUp();
    return total;
  }

  // The sampler, at the run's own sample rays (the pixel centres). Each
  // way of following the motion is timed on 10 moments spread over the
  // span (the first, which builds the BVH in every way, apart); the way
  // with the least time estimated for all moments samples them.
  const DenseScene dense = SamplerScene(a, b);
  DenseRays rays;
  rays.width = cam.w;
  rays.height = cam.h;
  rays.origin = buffer.camera->MakeProjector().RayOrigin(Vex3_quarnd(buffer.camera->eye));
  rays.directions.resize(size_t(cam.w) * size_t(cam.h) * 3);
  for (size_t p = 0; p < buffer.pixels.size(); p++)
    for (int i = 0; i < 3; i++) rays.directions[p * 3 + size_t(i)] = float(buffer.pixels[p].samples[0].ray[i]);
  DenseMode best;
  double bestEstimate = 0;
  const int tried = std::min(10, moments);
  std::printf("  Embree 3 sampler, per moment after the first, on %d of %d moments:", tried,
              moments);
  for (bool refit : {false, true})
    for (bool packets : {false, true}) {
      const DenseMode mode{refit, packets};
      const DenseResult trial = SampleDensely(dense, rays, moments, threads, mode, {}, tried);
      const double per = tried > 1 ? (trial.seconds - trial.firstSeconds) / (tried - 1) : 0;
      const double estimate = trial.firstSeconds + per * (moments - 1);
      std::printf("%s %s %.1f ms", refit || packets ? ";" : "", mode.Name().c_str(), per * 1e3);
      if (bestEstimate == 0 || estimate < bestEstimate) {
        bestEstimate = estimate;
        best = mode;
      }
    }
  std::printf("\n");
  std::fflush(stdout);
  const double sc0 = CpuSeconds();
  const DenseResult d = SampleDensely(dense, rays, moments, threads, best, result);
  const double samplerCpu = CpuSeconds() - sc0;
  int64_t seen = 0;
  for (uint8_t s : d.seen) seen += s;

  // Each triangle the sampler saw outside the run's set, checked with the
  // exact ray at the pixel and moment of the sighting: the pixel centre
  // lies outside it (Embree's float test at an edge) or the timeline's
  // triangle there is nearer (a depth tie in float).
  MeshMotion motion(a, b);
  const Vex3_quarnd eye = rays.origin;
  int64_t edge = 0, depthTie = 0;
  for (const DenseSighting& x : d.unexpected) {
    const SampleLocation& s = buffer.pixels[size_t(x.pixel)].samples[0];
    const Vex3_quarnd ray(s.ray[0], s.ray[1], s.ray[2]);
    TriangleMotion m;
    MovingTriangle prepared;
    CoverageSpan spans[kCoverageSlots];
    bool covered = false;
    if (motion.Motion(x.triangle, &m)) {
      PrepareMovingTriangle(m, eye, &prepared);
      const int c = CoverageTimes(prepared, ray, spans);
      for (int i = 0; i < c; i++) covered |= x.time >= spans[i].start && x.time <= spans[i].end;
    }
    if (!covered) {
      edge++;
      continue;
    }
    auto distance = [&](int64_t t, double* dist) {
      TriangleMotion tm;
      Vex3_quarnd v[3];
      if (!motion.Motion(int32_t(t), &tm)) return false;
      PositionsAt(tm, x.time, v);
      return RayDistanceAt(eye, ray, v, true, dist);
    };
    int64_t owner = -1;
    for (const TimelineSpan& n : s.timeline)
      if (x.time >= n.Start() && x.time <= n.End()) owner = n.triangleId;
    double dOwner = 0, dSeen = 0;
    if (owner >= 0 && distance(owner, &dOwner) && distance(x.triangle, &dSeen) &&
        dOwner <= dSeen * (1 + 1e-6))
      depthTie++;
  }
  std::printf("  sampler (%s): %.2f s wall, %.2f s processor (BVH %.2f s, tracing %.2f s), %lld "
              "triangles seen; outside the run's set: %lld (%lld at an edge, %lld depth ties, %lld "
              "unexplained)\n",
              best.Name().c_str(), d.seconds, samplerCpu, d.updateSeconds, d.traceSeconds,
              static_cast<long long>(seen), static_cast<long long>(d.unexpected.size()),
              static_cast<long long>(edge), static_cast<long long>(depthTie),
              static_cast<long long>(int64_t(d.unexpected.size()) - edge - depthTie));
  std::printf("  ratio run / sampler: %.3f (1/%.1f) in wall time, %.3f in processor time\n",
              total / d.seconds, d.seconds / total, cpu / samplerCpu);
  std::fflush(stdout);
  cleanUp();
  return total;
}

// RunScene in a child process; its time comes back through a pipe.
double InChild(const SceneRequest& request, int threads, int moments, bool brief) {
  std::fflush(stdout);
  int fd[2];
  if (pipe(fd) != 0) return 0;
  pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    const double t = RunScene(request, threads, moments, brief);
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

int Usage() {
  std::fprintf(stderr,
               "usage: bench_intervals [--moments K] [--speedup] [scanned[:DEGREES] | "
               "waves[:TRIANGLES] | files FIRST SECOND CAMERA] ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<SceneRequest> scenes;
  int moments = 1000;
  bool speedup = false;
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    const size_t colon = arg.find(':');
    const std::string kind = arg.substr(0, colon);
    if (arg == "--moments" && i + 1 < argc) {
      moments = std::atoi(argv[++i]);
    } else if (arg == "--speedup") {
      speedup = true;
    } else if (kind == "scanned" || kind == "waves") {
      SceneRequest s;
      s.kind = kind;
      s.value = colon == std::string::npos ? (kind == "scanned" ? 30 : 1000000)
                                           : std::atof(arg.c_str() + colon + 1);
      if (!(s.value > 0)) return Usage();
      scenes.push_back(s);
    } else if (arg == "files" && i + 3 < argc) {
      SceneRequest s;
      s.kind = "files";
      s.files = {argv[i + 1], argv[i + 2], argv[i + 3]};
      scenes.push_back(s);
      i += 3;
    } else {
      return Usage();
    }
  }
  if (scenes.empty()) {
    for (double v : {30.0, 60.0, 120.0}) scenes.push_back({"scanned", v, {}});
    scenes.push_back({"waves", 1000000, {}});
  }
  const int threads = WorkerThreads();
  for (const SceneRequest& s : scenes) {
    const double all = InChild(s, threads, moments, false);
    if (speedup && threads > 1) {
      const double one = InChild(s, 1, 0, true);
      if (all > 0) std::printf("  speed-up of %d threads: %.2f\n", threads, one / all);
    }
  }
  return 0;
}
