// The image-plane structure every visibility method works on: per pixel a
// growable list of sample locations ("sls"), each with its ray, nearest
// triangle so far and, for the interval methods, its visibility timelines.
#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <vector>

#include "PPC.h"
#include "SuperPixel.h"
#include "VisibleSet.h"

constexpr double kFarUnset = 3.4028234663852886e38;  // largest float

struct SampleLocation {
  double x = 0, y = 0;  // buffer pixel coordinates
  double w = 1;         // homogeneous coordinate for the edge tests
  double ray[3] = {0, 0, 0};
  float rayf[3] = {0, 0, 0};
  int32_t triangleId = -1;
  uint32_t color = 0xff000000u;
  double depth = 1.0;  // window depth of the nearest triangle so far
  double nearDistance = 0;
  double farDistance = kFarUnset;
  uint8_t marked = 0;
  std::unique_ptr<SuperPixel> listTimeline;
  FlatTimeline timeline;  // the interval runs' form
};

struct PixelSamples {
  std::vector<SampleLocation> samples;  // `capacity` records, the first `count` in use
  int32_t count = 1;                    // sample 0 is the pixel centre
  int32_t capacity = 2;
  int32_t column = 0, row = 0;
  uint8_t marked = 0;
};

struct SampleStatistics {
  int32_t minCount = 0, maxCount = 0;
  double average = 0;
  int64_t maxIndex = 0;  // row * width + column of the first pixel with maxCount
};

class SampleLocationBuffer {
 public:
  std::unique_ptr<PPC> camera;  // with its GL arrays captured
  int32_t width = 0, height = 0;
  std::vector<PixelSamples> pixels;  // row-major

  SampleLocationBuffer() = default;
  SampleLocationBuffer(int32_t w, int32_t h) { Create(w, h); }

  // Every pixel gets capacity 2 and its centre sample; no camera.
  void Create(int32_t w, int32_t h);
  // Owns a copy resized to the buffer and captures its model-view,
  // projection and viewport (on the CPU; GL too when a context is current).
  void SetCamera(const PPC& cam);

  PixelSamples& Pixel(int32_t column, int32_t row) { return pixels[size_t(row) * width + column]; }
  const PixelSamples& Pixel(int32_t column, int32_t row) const {
    return pixels[size_t(row) * width + column];
  }
  // Appends a sample at (x, y) to the pixel; capacity doubles when full.
  void AddSample(PixelSamples& pixel, float x, float y);
  void AddSample(int32_t column, int32_t row, float x, float y) {
    AddSample(Pixel(column, row), x, y);
  }

  // Per-frame depth state back to "nothing seen"; list timelines emptied
  // but kept.
  void Clear();
  // Drops added samples and every timeline.
  void Reset();
  // Near/far distances and unit ray of every sample from the buffer camera.
  // Nothing happens without a camera.
  void ComputeSampleRays();

  // "INFO: sls per pixel: ..." and "uvmax: ..." over the whole buffer, or
  // over tile (tileColumn 0..1, tileRow 0..3) of a 2 x 4 split.
  SampleStatistics ReportStatistics(std::ostream& out = std::cerr) const;
  SampleStatistics ReportTileStatistics(int tileColumn, int tileRow,
                                        std::ostream& out = std::cerr) const;

  // Flags every triangle found in a timeline of any sample (ids outside
  // the set are skipped).
  void CollectTimelineTriangles(int32_t* flags, int32_t n) const;
  void CollectTimelineTriangles(VisibleSet& set) const {
    CollectTimelineTriangles(set.data(), int32_t(set.size()));
  }
  void CollectPixelTimelineTriangles(const PixelSamples& pixel, int32_t* flags, int32_t n) const;

 private:
  SampleStatistics Statistics(int32_t c0, int32_t c1, int32_t r0, int32_t r1) const;
};

// Rays of one sample from captured camera arrays: distances to the near and
// far plane points and the unit direction through window depth 0.5.
void ComputeSampleRay(const Projector& proj, const Vex3_quarn& eye, SampleLocation* s);
