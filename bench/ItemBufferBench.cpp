// Item-buffer speed and exactness on a scene of about 1,000,000 triangles
// at 1280 x 720: the measurement scene of a working directory written with
// "make-workdir --large" (Geometry/Large/state000.obj seen through
// Views/Large_default.ppc) when there is one, else a wavy grid made here
// (8 groups, some triangles dead). Prints the time of the identifier
// drawing alone and of the whole ItemBufferPass, and checks the list
// drawing against the one-triangle-per-call drawing under a mask, once more
// with identifiers moved above 2^24.
//
//   xvfb-run -a -s "-screen 0 2560x1440x24" build/bench/bench_item_buffer <dir>
//
// <dir> holds CG/ (the source tree or a working directory).
#include <FL/Fl.H>
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "ItemBuffer.h"
#include "MeshDraw.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "PassRig.h"
#include "WorkLayout.h"

namespace {

constexpr int kW = 1280, kH = 720;
constexpr int kGroups = 8;

// n x n quads of two triangles on a wavy surface in front of the camera.
std::unique_ptr<ObjLoader> Terrain(int n) {
  auto m = std::make_unique<ObjLoader>();
  m->shadingMode = shading::kFlat;
  for (int j = 0; j <= n; j++)
    for (int i = 0; i <= n; i++) {
      float x = -2000.0f + 4000.0f * i / n, y = -1200.0f + 2400.0f * j / n;
      float z = -1500.0f + 120.0f * std::sin(i * 0.05f) * std::cos(j * 0.07f);
      m->positions.push_back({x, y, z});
    }
  m->vertexCount = int32_t(m->positions.size());
  std::vector<std::vector<uint32_t>> lists(kGroups);
  for (int j = 0; j < n; j++)
    for (int i = 0; i < n; i++) {
      uint32_t a = uint32_t(j * (n + 1) + i), b = a + 1, c = a + uint32_t(n + 1), d = c + 1;
      auto& l = lists[size_t(j * kGroups / n)];
      l.insert(l.end(), {a, b, d, a, d, c});
    }
  std::vector<int32_t> counts, materials;
  for (auto& l : lists) {
    counts.push_back(int32_t(l.size() / 3));
    materials.push_back(int32_t(counts.size()));
  }
  m->groupCount = kGroups;
  m->groupTriangles.Assign(lists);
  m->groupTriCount.Assign(counts);
  m->groupMaterial.Assign(materials);
  m->AssignIds(nullptr);
  // Some triangles die at the end of each group.
  int32_t total = 0;
  for (int g = 0; g < kGroups; g++) {
    m->groupTriCount[size_t(g)] -= 1000;
    total += m->groupTriCount[size_t(g)];
  }
  m->triangleCount = total;
  return m;
}

// CPU time of this thread alone: the GL driver's vertex and primitive work
// runs here, the rasteriser's threads in parallel with it.
double MainThreadSeconds() { return CpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

struct Bench : PassRig {
  Bench() : PassRig(kW, kH) {}
  // Identifiers of one drawing of the mesh under the mask.
  std::vector<int32_t> Ids(const ObjLoader& mesh, IdMask mask, bool perTriangle, double* secs) {
    std::vector<int32_t> ids(size_t(kW) * kH);
    PassContext c = Context();
    Draw([&](FrameBuffer&) {
      auto t0 = std::chrono::steady_clock::now();
      ReadItemIds(c, mesh, mask, perTriangle ? IdDrawing::kPerTriangle : IdDrawing::kList,
                  ids.data());
      if (secs) *secs = Seconds(t0);
    });
    return ids;
  }
};

size_t Differences(const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
  size_t n = 0;
  for (size_t i = 0; i < a.size(); i++) n += a[i] != b[i];
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && chdir(argv[1]) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", argv[1]);
    return 1;
  }
  std::unique_ptr<ObjLoader> mesh;
  std::unique_ptr<PPC> camera;
  const std::string large = layout::StateFile(layout::kLargeStates, 0);
  if (std::FILE* f = std::fopen(large.c_str(), "rb")) {
    std::fclose(f);
    mesh = std::make_unique<ObjLoader>();
    mesh->shadingMode = shading::kFlat;
    mesh->Load(large, nullptr);
    camera = std::make_unique<PPC>(55.0f, kW, kH);
    camera->Load(layout::kLargeCamera);
    std::printf("the measurement scene of the working directory\n");
  } else {
    mesh = Terrain(708);
    std::printf("a generated grid (no %s here)\n", large.c_str());
  }
  std::printf("scene: %d live triangles of %d, %d vertices, %d x %d view\n", mesh->triangleCount,
              mesh->IdCount(), mesh->vertexCount, kW, kH);
  std::vector<int32_t> mask(size_t(mesh->IdCount()), 1);
  for (size_t i = 0; i < mask.size(); i += 97) mask[i] = 0;

  Bench bench;
  if (camera) *bench.camera = *camera;
  double secs = 0;
  bench.Ids(*mesh, IdMask::All(), false, &secs);  // compiles the program
  std::vector<int32_t> fast;
  double best = 1e9, cpu = CpuSeconds(), main = MainThreadSeconds();
  for (int r = 0; r < 5; r++) {
    fast = bench.Ids(*mesh, IdMask(mask), false, &secs);
    best = std::min(best, secs);
  }
  std::printf("identifier drawing, one call per list: %.3f s per frame (best of 5), CPU %.3f s "
              "(main thread %.3f s)\n",
              best, (CpuSeconds() - cpu) / 5, (MainThreadSeconds() - main) / 5);

  PassContext c = bench.Context();
  for (DrawForm form : {DrawForm::kStates, DrawForm::kOwnColours}) {
    c.drawForm = form;
    double pass = 1e9;
    bench.Draw([&](FrameBuffer&) { ItemBufferPass(c, mesh.get()); });  // compiles the shading program
    cpu = CpuSeconds();
    main = MainThreadSeconds();
    for (int r = 0; r < 3; r++) {
      auto t0 = std::chrono::steady_clock::now();
      bench.Draw([&](FrameBuffer&) { ItemBufferPass(c, mesh.get()); });
      pass = std::min(pass, Seconds(t0));
    }
    std::printf(
        "ItemBufferPass, %s: %.3f s per frame (best of 3), CPU %.3f s "
        "(main thread %.3f s)\n",
        form == DrawForm::kStates ? "through the program" : "in own colours", pass,
        (CpuSeconds() - cpu) / 3, (MainThreadSeconds() - main) / 3);
  }

  std::vector<int32_t> slow = bench.Ids(*mesh, IdMask(mask), true, &secs);
  std::printf("one triangle per call: %.3f s per frame; differing pixels: %zu\n", secs,
              Differences(fast, slow));

  // Identifiers above 2^24: the same scene numbered from 16,777,000.
  for (auto& row : mesh->triangleId.vec())
    for (int32_t& id : row) id += 16777000;
  std::vector<int32_t> bigMask(size_t(mesh->IdCount()) + 16777000, 1);
  fast = bench.Ids(*mesh, IdMask(bigMask), false, nullptr);
  slow = bench.Ids(*mesh, IdMask(bigMask), true, nullptr);
  int32_t lo = INT32_MAX, hi = -1;
  size_t covered = 0;
  for (int32_t id : fast)
    if (id >= 0) {
      lo = std::min(lo, id);
      hi = std::max(hi, id);
      covered++;
    }
  std::printf("identifiers %d .. %d on %zu pixels; differing pixels: %zu\n", lo, hi, covered,
              Differences(fast, slow));
  return 0;
}
