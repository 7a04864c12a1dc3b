// Mesh file and cleanup speed on a generated state of about 1,000,000
// triangles: text parsing, cache write and read, WeldCleanup and
// DetectCleanup. Targets: parsing >= 50 MB/s, the cache read >= 10x faster
// than parsing, each cleanup < 1 s. Runs in a scratch directory.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "FileBytes.h"
#include "MeshCleanup.h"
#include "ObjLoader.h"
#include "StateCache.h"
#include "StateReader.h"

namespace {
double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A height field of n x n quads in `groups` strips of rows; each strip has
// its own vertices, so the rows where strips meet exist twice (work for
// the welding).
void WriteState(const std::string& path, int n, int groups) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return;
  const int rowsPerGroup = n / groups;
  for (int g = 0; g < groups; g++) {
    int r0 = g * rowsPerGroup, r1 = g == groups - 1 ? n : r0 + rowsPerGroup;
    for (int r = r0; r <= r1; r++)
      for (int c = 0; c <= n; c++)
        std::fprintf(f, "v %f %f %f\n", c * 0.5, 0.01 * ((r * 7 + c * 13) % 101), r * 0.5);
  }
  int base = 1;
  for (int g = 0; g < groups; g++) {
    int r0 = g * rowsPerGroup, r1 = g == groups - 1 ? n : r0 + rowsPerGroup;
    std::fprintf(f, "g solid\nusemtl solid%d_mat\n", g + 1);
    for (int r = 0; r < r1 - r0; r++)
      for (int c = 0; c < n; c++) {
        int a = base + r * (n + 1) + c;
        std::fprintf(f, "f %d %d %d %d\n", a, a + 1, a + n + 2, a + n + 1);
      }
    base += (r1 - r0 + 1) * (n + 1);
  }
  std::fclose(f);
}

template <typename F>
double Best(int runs, F f) {
  double best = 1e30;
  for (int i = 0; i < runs; i++) {
    auto t = std::chrono::steady_clock::now();
    f();
    best = std::min(best, Seconds(t));
  }
  return best;
}
}  // namespace

int main() {
  char tmpl[] = "/tmp/wb_mesh_bench_XXXXXX";
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) return 1;
  const std::string path = "state.obj";
  WriteState(path, 708, 8);
  const double mb = double(std::filesystem::file_size(path)) / 1e6;

  // Messages of the readers and cleanups go to /dev/null while timing.
  FILE* quiet = std::fopen("/dev/null", "w");
  int out = dup(1), err = dup(2);
  auto silence = [&](bool on) {
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(on ? fileno(quiet) : out, 1);
    dup2(on ? fileno(quiet) : err, 2);
  };

  silence(true);
  ObjLoader mesh;
  double parse = Best(3, [&] { ReadStateFile(mesh, path); });
  mesh.AssignIds(nullptr);
  mesh.ComputeNormals();
  double write = Best(3, [&] { WriteStateCache(mesh, "state.obj.rdd"); });
  ObjLoader cached;
  double read = Best(3, [&] {
    FileSource bytes;
    bytes.Open("state.obj.rdd");
    ReadStateCache(bytes, "state.obj.rdd", cached, nullptr);
  });
  // Whole loads as a scene set-up sees them: from the text (parse, ids,
  // normals, colours, cache write) and from the cache (read, colours).
  ObjLoader loaded;
  double loadText = Best(3, [&] {
    std::remove("state.obj.rdd");
    loaded.Load(path, nullptr);
  });
  double loadCache = Best(3, [&] { loaded.Load(path, nullptr); });
  ObjLoader weld, detect;
  ReadStateFile(weld, path);
  ReadStateFile(detect, path);
  auto t = std::chrono::steady_clock::now();
  int32_t welded = WeldCleanup(weld);
  double weldTime = Seconds(t);
  t = std::chrono::steady_clock::now();
  int32_t detected = DetectCleanup(detect);
  double detectTime = Seconds(t);
  silence(false);

  const double cacheMb = double(std::filesystem::file_size("state.obj.rdd")) / 1e6;
  std::printf("state file: %d vertices, %d triangles, %.1f MB text, %.1f MB cache\n", mesh.vertexCount,
              mesh.triangleCount, mb, cacheMb);
  std::printf("text parse:    %7.3f s  %6.1f MB/s\n", parse, mb / parse);
  std::printf("cache write:   %7.3f s\n", write);
  std::printf("cache read:    %7.3f s  (%.1fx faster than parsing the text)\n", read, parse / read);
  std::printf("Load, text:    %7.3f s  (parse, ids, normals, colours, cache write)\n", loadText);
  std::printf("Load, cache:   %7.3f s  (%.1fx faster)\n", loadCache, loadText / loadCache);
  std::printf("WeldCleanup:   %7.3f s  (%d vertices left, %d repeats)\n", weldTime, weld.vertexCount, welded);
  std::printf("DetectCleanup: %7.3f s  (%d repeats)\n", detectTime, detected);

  if (chdir("/") == 0) std::filesystem::remove_all(tmpl);
  return 0;
}
