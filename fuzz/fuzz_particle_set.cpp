// ParticleSet Load on arbitrary files in a scratch directory. The first
// byte chooses which file the rest becomes: the cache "p.obj.rdd" (beside
// a small text to fall back on) or the text "p.obj" (without a cache).
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ParticleSet.h"

namespace {
std::string scratch;

void Remove() {
  std::remove((scratch + "/p.obj").c_str());
  std::remove((scratch + "/p.obj.rdd").c_str());
  rmdir(scratch.c_str());
}

void Write(const char* path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path, "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // In memory when possible: replacing a file by rename makes ext4 flush
  // it, thousands of times a run.
  char shm[] = "/dev/shm/fuzz_particles_XXXXXX";
  char tmp[] = "/tmp/fuzz_particles_XXXXXX";
  char* dir = mkdtemp(shm);
  if (!dir) dir = mkdtemp(tmp);
  if (!dir || chdir(dir) != 0) std::abort();
  scratch = dir;
  std::atexit(Remove);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool cache = data[0] & 1;
  const uint8_t fallback[] = "v 1 2 3\nv 4 5 6\n";
  if (cache) {
    Write("p.obj", fallback, sizeof(fallback) - 1);
    Write("p.obj.rdd", data + 1, size - 1);
  } else {
    std::remove("p.obj.rdd");
    Write("p.obj", data + 1, size - 1);
  }
  ParticleSet p;
  bool ok = p.Load("p.obj");
  if (p.count != int32_t(p.positions.size())) std::abort();
  if (cache && !ok) std::abort();  // the text is always there to fall back on
  if (ok) {
    ParticleSet again;  // now from the cache just read or written
    if (!again.Load("p.obj") || again.positions != p.positions) std::abort();
    ParticleSet mid;
    mid.Interpolate(p, again, 0.5);
    if (mid.count != p.count) std::abort();
  }
  return 0;
}
