// Dense time sampling with Embree 3, the sampler a researcher would reach
// for: the triangles nearest along the pixel-centre rays at evenly spaced
// moments, the BVH rebuilt or refitted between moments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Vex3.h"

struct DenseScene {
  std::vector<Vex3_quarn> first, second;  // vertex positions at time 0 and 1
  std::vector<uint32_t> triangles;        // three vertex numbers each
  std::vector<int32_t> ids;               // triangle identifier of each
  int32_t idCount = 0;
};

struct DenseRays {
  int width = 0, height = 0;
  Vex3_quarnd origin;
  std::vector<float> directions;  // three per pixel, row-major, unit length
};

// How the BVH follows the motion and how rays are traced.
struct DenseMode {
  bool refit = false;    // refit the first BVH, else build anew at each moment
  bool packets = false;  // 4 x 4 ray packets, else one ray at a time
  std::string Name() const;
};

// A triangle outside `expected` seen at a pixel and moment.
struct DenseSighting {
  int32_t triangle = 0, pixel = 0;
  double time = 0;
};

struct DenseResult {
  std::vector<uint8_t> seen;  // per identifier
  std::vector<DenseSighting> unexpected;  // first sighting of each
  double seconds = 0, updateSeconds = 0, traceSeconds = 0;  // wall
  double firstSeconds = 0;  // set-up and the first moment (its BVH is built anew in every mode)
  int64_t rays = 0, hits = 0;
};

// Samples `moments` evenly spaced moments of [0, 1] (0 and 1 included) on
// `threads` threads (Embree's own builder too). `expected`, when not
// empty, is a flag per identifier: sightings of triangles outside it are
// kept for the caller to explain. `subset` > 0 samples only that many of
// the moments, spread over the span (for choosing a mode).
DenseResult SampleDensely(const DenseScene& scene, const DenseRays& rays, int moments,
                          int threads, const DenseMode& mode,
                          const std::vector<int32_t>& expected, int subset = 0);
