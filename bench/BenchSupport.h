// Clocks and memory figures the benchmarks share.
#pragma once

#include <sys/resource.h>

#include <cmath>

#include <chrono>
#include <ctime>

// Wall seconds since t0.
inline double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Processor time of the whole process (every thread): a figure that other
// load on the machine inflates less than the wall clock. With
// CLOCK_THREAD_CPUTIME_ID, the calling thread's alone.
inline double CpuSeconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
  timespec t;
  clock_gettime(clock, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Peak resident memory of the process so far, in MB.
inline double PeakMB() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

#include "ObjLoader.h"
#include "Surfaces.h"

// A rolling sheet of 2 x n x n triangles over [-5000, 5000]^2, heights of
// up to 300, as one group with ids in order: the large scene of the
// benchmarks.
inline void RollingSheet(int n, ObjLoader* mesh) {
  SurfaceMesh sheet = Sheet(-5000, 5000, -5000, 5000, 0, n, n);
  for (Vex3_quarn& p : sheet.positions) p.z = 300 * std::sin(p.x / 700) * std::cos(p.y / 900);
  LoadSurface(sheet, sheet.positions, mesh);
}
