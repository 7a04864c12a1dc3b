// Mesh file and cleanup speed on a generated state of about 1,000,000
// triangles: text parsing, cache write and read, WeldCleanup and
// DetectCleanup. Targets: parsing >= 50 MB/s, the cache read >= 10x faster
// than parsing, each cleanup < 1 s. Runs in a scratch directory.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "FileBytes.h"
#include "Format.h"
#include "MeshCleanup.h"
#include "ObjLoader.h"
#include "StateCache.h"
#include "StateReader.h"

namespace {
// Wall and process CPU seconds of the fastest of some runs; the CPU time
// is the steadier figure on a machine that others are using.
struct Time {
  double wall = 1e30, cpu = 1e30;
};

// A height field of n x n quads in `groups` strips of rows; each strip has
// its own vertices, so the rows where strips meet exist twice (work for
// the welding), and every 97th quad is listed twice (repeats to remove).
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
        for (int copy = 0; copy < ((r * n + c) % 97 == 0 ? 2 : 1); copy++)
          std::fprintf(f, "f %d %d %d %d\n", a, a + 1, a + n + 2, a + n + 1);
      }
    base += (r1 - r0 + 1) * (n + 1);
  }
  std::fclose(f);
}

template <typename F>
Time Best(int runs, F f) {
  Time best;
  for (int i = 0; i < runs; i++) {
    auto t = std::chrono::steady_clock::now();
    double c = CpuSeconds();
    f();
    best.wall = std::min(best.wall, Seconds(t));
    best.cpu = std::min(best.cpu, CpuSeconds() - c);
  }
  return best;
}
}  // namespace

int main() {
  char tmpl[] = "/tmp/wb_mesh_bench_XXXXXX";
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) return 1;
  const std::string path = "state.obj";
  WriteState(path, 701, 8);
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
  Time parse = Best(3, [&] { ReadStateFile(mesh, path); });
  mesh.AssignIds(nullptr);
  mesh.ComputeNormals();
  Time write = Best(3, [&] { WriteStateCache(mesh, "state.obj.rdd"); });
  ObjLoader cached;
  Time read = Best(3, [&] {
    FileSource bytes;
    bytes.Open("state.obj.rdd");
    ReadStateCache(bytes, "state.obj.rdd", cached, nullptr);
  });
  // Whole loads as a scene set-up sees them: from the text (parse, ids,
  // normals, colours, cache write) and from the cache (read, colours).
  ObjLoader loaded;
  Time loadText = Best(3, [&] {
    std::remove("state.obj.rdd");
    loaded.Load(path, nullptr);
  });
  Time loadCache = Best(3, [&] { loaded.Load(path, nullptr); });
  ObjLoader weld, detect;
  ReadStateFile(weld, path);
  ReadStateFile(detect, path);
  int32_t welded = 0, detected = 0;
  Time weldTime = Best(1, [&] { welded = WeldCleanup(weld); });
  Time detectTime = Best(1, [&] { detected = DetectCleanup(detect); });
  silence(false);

  const double cacheMb = double(std::filesystem::file_size("state.obj.rdd")) / 1e6;
  std::printf("state file: %d vertices, %d triangles, %.1f MB text, %.1f MB cache\n", mesh.vertexCount,
              mesh.triangleCount, mb, cacheMb);
  std::printf("                 wall s   CPU s\n");
  auto row = [](const char* what, Time t, const char* note) {
    std::printf("%-15s %7.3f %7.3f  %s\n", what, t.wall, t.cpu, note);
  };
  row("text parse", parse, Format("%.0f MB/s wall, %.0f MB/s CPU", mb / parse.wall, mb / parse.cpu).c_str());
  row("cache write", write, "");
  row("cache read", read,
      Format("%.1fx (wall), %.1fx (CPU) faster than parsing", parse.wall / read.wall, parse.cpu / read.cpu).c_str());
  row("Load, text", loadText, "parse, ids, normals, colours, cache write");
  row("Load, cache", loadCache,
      Format("%.1fx (wall), %.1fx (CPU) faster", loadText.wall / loadCache.wall, loadText.cpu / loadCache.cpu).c_str());
  row("WeldCleanup", weldTime, Format("%d vertices left, %d repeats", weld.vertexCount, welded).c_str());
  row("DetectCleanup", detectTime, Format("%d repeats", detected).c_str());

  if (chdir("/") == 0) std::filesystem::remove_all(tmpl);
  return 0;
}
