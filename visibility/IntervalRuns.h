// The interval visibility runs: every triangle's motion between two meshes
// is intersected analytically with the sample rays, and each sample's
// timeline keeps, for every moment, the nearest triangle. The runs compute
// and report progress; the experiment drivers (evaluation/IntervalDrivers.h)
// write their files.
//
//   SubIntervalWorkFlags, SubIntervalSteps   40 sub-intervals, step by step
//   WholeIntervalVisibility                  the whole interval between the first two states
//   TrialTimelines                           list-form timelines of a 16 x 16 block
//   (the point scenes' spheres: PointSceneRuns.h)
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "AABB.h"
#include "CoverageIntervals.h"
#include "TriangleMotionSource.h"
#include "TriangleScreenHull.h"
#include "VisibleSet.h"

class ObjLoader;
class SampleLocationBuffer;
struct Frustum;
class SuperPixelTree;

// Counters of one run, for the console and the benchmarks.
struct IntervalWork {
  int64_t evaluations = 0;    // (triangle, sample) coverage evaluations
  int64_t intervals = 0;      // coverage intervals produced
  int64_t trianglesDone = 0;  // triangles that reached the sample loop
  double processSeconds = 0;     // wall time of the triangle loop
  double processCpuSeconds = 0;  // processor time of the triangle loop
};

// Inserts one triangle's coverage intervals into the tree timelines of the
// samples it can reach. Prepared once per run: the buffer camera's
// projector, the eye and the sample rays.
//
// Intervals are collected in batches and inserted pixel by pixel, each
// sample's in the order the triangles were processed, so every timeline
// ends exactly as with immediate insertion while its nodes are visited
// once per batch instead of once per interval. Flush (or destruction)
// inserts what is pending.
class TriangleIntervalProcessor {
 public:
  // Computes every sample's ray first unless told they are current (the
  // buffer must have its camera).
  TriangleIntervalProcessor(SampleLocationBuffer& buffer, const MotionSource& motion,
                            std::ostream& err = std::cerr, bool computeRays = true);
  ~TriangleIntervalProcessor() { Flush(); }
  TriangleIntervalProcessor(const TriangleIntervalProcessor&) = delete;
  TriangleIntervalProcessor& operator=(const TriangleIntervalProcessor&) = delete;

  // Sub-interval form: samples inside the triangle's screen hull.
  // Returns the number of samples evaluated.
  int64_t ProcessTriangleOverInterval(int32_t triangle);
  // Whole-interval form: samples of the screen box of the six positions.
  // Returns kEmptyBox when every position lies before the near plane or
  // every one beyond the far plane (or behind the eye), kAbsent when the
  // triangle has no vertices. A position at or behind the eye plane widens
  // the box to the whole window, since its projection does not bound the
  // triangle.
  static constexpr int64_t kEmptyBox = -1, kAbsent = -2;
  int64_t ProcessOverDepthBox(int32_t triangle);

  // Inserts every pending interval into its sample's tree timeline.
  void Flush();

  const IntervalWork& work() const { return work_; }
  const Vex3_quarnd& eye() const { return eye_; }

 private:
  // One interval waiting for insertion; times in whole microseconds (the
  // spans are multiples of 1e-6 in [0, 1], so nothing is lost).
  struct Pending {
    uint32_t pixel, sample, triangle, start, end;
  };

  int64_t ProcessPixels(int32_t triangle, const MovingTriangle& prepared, int x0, int y0, int x1,
                        int y1, const ScreenHull* hull);

  SampleLocationBuffer& buffer_;
  const MotionSource& motion_;
  std::ostream& err_;
  Projector projector_;
  Vex3_quarnd eye_;
  MotionDepthComparator depth_;
  IntervalWork work_;
  std::vector<Pending> pending_;
  std::vector<uint32_t> order_, pixelStart_;
};

// Everything the runs take from the Scene, passed explicitly.
struct IntervalRunScene {
  SampleLocationBuffer* buffer = nullptr;  // created, with its camera
  const Frustum* frustum = nullptr;        // of the buffer camera
  const ObjLoader* first = nullptr;        // the scene's first two states
  const ObjLoader* second = nullptr;
  int32_t triangleCount = 0;
  std::vector<int32_t>* liveFlags = nullptr;  // one per triangle
  VisibleSet* unionSet = nullptr;             // the run's union set
  int dataset = 0;                            // chooses the ids of visible-set files
  bool frustumCulling = true;
  // Keyframed mode: the motion between trajectory times t0 and t1. Empty
  // when the Scene is not in keyframed mode.
  std::function<std::unique_ptr<MotionSource>(double t0, double t1)> keyframedMotion;
  // Box of a triangle's vertices over all keyframes (full-run culling);
  // false when the triangle has none.
  std::function<bool(int32_t triangle, AABB* box)> keyframeBox;
  std::ostream* runLog = nullptr;  // the run log (layout::kIntervalLog; may be null)
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

constexpr int kSubIntervalSteps = 40;

// The sub-interval run's culling over both states: 1 for every triangle
// its steps process (live triangles the frustum may hold, and every dead
// one), 0 for the culled. Also clears the union set. Empty when the scene
// lacks a buffer camera, its states or its sets.
std::vector<int32_t> SubIntervalWorkFlags(const IntervalRunScene& scene);

// Called after each step with its number and its visible set (the
// liveness flags); the buffer's timelines hold that step's intervals.
using SubIntervalStepDone = std::function<void(int step, const std::vector<int32_t>& visible)>;

// Steps first..last (steps before 0 and after 39 do not exist) of the 40
// sub-intervals, each computed on its own from the work flags; the union
// set gathers every step's set and the liveness flags end with the last
// step's. Returns the number of steps run.
int SubIntervalSteps(const IntervalRunScene& scene, const std::vector<int32_t>& workFlags,
                     int first, int last, const SubIntervalStepDone& stepDone,
                     IntervalWork* work = nullptr);

// The interval between the first two states at once: cull over all
// keyframes, process every live triangle and collect the visible set into
// `visible`; the timelines stay in the buffer. False (nothing computed)
// when the scene lacks a buffer camera, its states or its flags.
bool WholeIntervalVisibility(const IntervalRunScene& scene, VisibleSet* visible,
                             IntervalWork* work = nullptr);

// Interval statistics over every sample with a timeline (list form when
// present, else tree form).
struct IntervalStatistics {
  int32_t maxIntervals = 0;
  int64_t totalIntervals = 0;
  int64_t samplesWithTimeline = 0;
};
IntervalStatistics CountTimelineIntervals(SampleLocationBuffer& buffer);

// List-form timelines of the samples at (400 + a + 0.5, 130 + b + 0.5),
// a, b = 0..15, over every live triangle, each block dumped to `dump` when
// given.
void TrialTimelines(const IntervalRunScene& scene, std::ostream* dump);
