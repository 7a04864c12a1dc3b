// raycast: the visible set of a state file (or two) seen through a camera,
// by brute-force ray casting in double precision. A user's check of any
// result the workbench writes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "FlaggedBinary.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "RayCaster.h"
#include "StateReader.h"

namespace {

const char kUsage[] =
    "usage: raycast [options] FIRST.obj [SECOND.obj] CAMERA.ppc\n"
    "Prints the identifiers of the triangles nearest along the camera's\n"
    "sample rays, one per line; a summary goes to standard error.\n"
    "The triangles move linearly from FIRST (time 0) to SECOND (time 1);\n"
    "without SECOND they stand still. Flagged binary meshes (.bin) work too.\n"
    "  --time T      the moment in [0, 1] (default 0)\n"
    "  --times K     the union over K evenly spaced moments 0 ... 1\n"
    "  --samples N   N x N evenly spread rays per pixel (default 1: pixel centres)\n"
    "  --threads N   threads (default: every core)\n"
    "Exit status: 0 when done, 1 when a file cannot be read, 2 for bad\n"
    "arguments or a mesh that holds no triangle (the reason is printed).\n";

// 0, or the exit status: 1 for a file that cannot be read, 2 for one that
// holds no triangle (named with the reason; there is nothing to cast at).
int LoadMesh(const std::string& path, ObjLoader& mesh) {
  const bool binary = path.size() > 4 && path.compare(path.size() - 4, 4, ".bin") == 0;
  StateTextNotes notes;
  if (!(binary ? ReadFlaggedBinary(mesh, path, std::cerr, std::cerr)
               : ReadStateFile(mesh, path, std::cerr, &notes)))
    return 1;
  if (mesh.triangleCount <= 0) {
    std::fprintf(stderr, "raycast: %s yields no triangle: %s\n", path.c_str(),
                 binary ? "its triangle count is 0" : WhyNoTriangle(mesh, notes).c_str());
    return 2;
  }
  mesh.AssignIds(nullptr);
  return 0;
}

bool ParseNumber(const char* s, double* v) {
  char* end = nullptr;
  *v = std::strtod(s, &end);
  return end != s && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  double time = 0, times = 0, samples = 1;
  double threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::string> files;
  for (int i = 1; i < argc; i++) {
    const std::string a = argv[i];
    double* target = a == "--time" ? &time : a == "--times" ? &times
                   : a == "--samples" ? &samples : a == "--threads" ? &threads : nullptr;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (target) {
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], target)) {
        std::fprintf(stderr, "raycast: %s needs a number\n%s", a.c_str(), kUsage);
        return 2;
      }
      i++;
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "raycast: unknown option %s\n%s", a.c_str(), kUsage);
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() < 2 || files.size() > 3 || !(time >= 0 && time <= 1) || times < 0 ||
      samples < 1 || samples > 64 || threads < 1) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  ObjLoader first, second;
  if (const int status = LoadMesh(files[0], first)) return status;
  const bool moving = files.size() == 3;
  if (moving) {
    if (const int status = LoadMesh(files[1], second)) return status;
  }
  if (moving && second.vertexCount != first.vertexCount) {
    std::fprintf(stderr, "raycast: %s has %d vertices, %s has %d\n", files[0].c_str(),
                 first.vertexCount, files[1].c_str(), second.vertexCount);
    return 1;
  }
  PPC camera;
  if (!camera.LoadFromFile(files.back())) {
    std::fprintf(stderr, "raycast: cannot read camera %s\n", files.back().c_str());
    return 1;
  }

  RayCaster caster(camera);
  caster.AddMesh(first, moving ? &second : nullptr);
  std::vector<double> when;
  if (times >= 1) {
    const int k = int(times);
    for (int i = 0; i < k; i++) when.push_back(k == 1 ? 0.0 : double(i) / (k - 1));
  } else {
    when.push_back(time);
  }
  int64_t ties = 0;
  const std::vector<uint8_t> seen =
      VisibleAtPixelSamples(caster, int(samples), when, int(threads), &ties);
  int64_t count = 0;
  for (size_t id = 0; id < seen.size(); id++)
    if (seen[id]) {
      std::printf("%zu\n", id);
      count++;
    }
  const int64_t rays = int64_t(std::max(0, camera.w)) * std::max(0, camera.h) * int64_t(samples) *
                       int64_t(samples);
  std::fprintf(stderr, "%lld of %d triangles visible at %zu moment(s), %lld rays each; %lld ties\n",
               (long long)count, caster.TriangleCount(), when.size(), (long long)rays,
               (long long)ties);
  return 0;
}
