// The interval visibility runs: every triangle's motion between two meshes
// is intersected analytically with the sample rays, and each sample's
// timeline keeps, for every moment, the nearest triangle. The runs compute
// and report progress; the experiment drivers (evaluation/IntervalDrivers.h)
// write their files.
//
//   ComputeTimelines                         the flat timelines of flagged triangles, on every core
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

// Counters of one run, for the console and the benchmarks.
struct IntervalWork {
  int64_t candidates = 0;     // (triangle, sample) pairs inside the screen hull
  int64_t evaluations = 0;    // of them, coverage evaluations
  int64_t intervals = 0;      // coverage intervals produced
  int64_t inserted = 0;       // of them, inserted into timelines
  int64_t trianglesDone = 0;  // triangles that reached the sample loop
  int threads = 1;
  double processSeconds = 0;     // wall time of the triangle loop
  double processCpuSeconds = 0;  // processor time of the triangle loop
  // Where the time goes (wall seconds; coverage and insertion summed over
  // the threads): culling and sorting into tiles, coverage evaluation,
  // timeline insertion, collecting the visible set, writing the files.
  double cullSeconds = 0, coverageSeconds = 0, insertSeconds = 0, collectSeconds = 0,
         writeSeconds = 0;
};

// Which samples a triangle is tested at.
enum class SampleRegion {
  // Inside the screen hull of its six positions (both span ends), padded by
  // kScreenMargin; the whole window when a position lies at or behind the
  // eye plane, since its projection then does not bound the triangle.
  kHull,
  // The same, but nothing when every position lies before the near plane,
  // or every one beyond the far plane, or all behind the eye. The hull is
  // that of all six positions, not only of those inside the depth range:
  // positions outside it but in front of the eye still project correctly,
  // and dropping them would cut off the part of a long triangle that
  // reaches past the near or far plane.
  kDepthBox,
};

// Per triangle of a timeline run: the samples evaluated, or one of these.
constexpr int32_t kEmptyBox = -1;      // the region holds no sample
constexpr int32_t kAbsent = -2;        // the triangle has no vertices
constexpr int32_t kNotProcessed = -3;  // not flagged for processing

struct TimelineRunOptions {
  SampleRegion region = SampleRegion::kDepthBox;
  int threads = 0;          // 0: WorkerThreads()
  bool computeRays = true;  // false: the buffer's rays are current
  // Called on the calling thread, now and then, with the number of
  // triangles done (estimated from the work done while tiles are in
  // flight), and once at the end with all of them.
  std::function<void(int64_t done, int64_t total)> progress;
};

struct TimelineRun {
  std::vector<int32_t> samples;  // per triangle (see kEmptyBox ...)
  IntervalWork work;
};

// Coverage intervals of every triangle flagged non-zero in `process`,
// inserted into the flat timelines of the samples its region holds. The
// window is cut into square tiles; each tile's samples belong to one
// thread, which takes the tile's triangles in ascending order, so every
// timeline and count is exactly that of processing the triangles one by
// one in order, for any number of threads.
TimelineRun ComputeTimelines(SampleLocationBuffer& buffer, const MotionSource& motion,
                             const std::vector<int32_t>& process,
                             const TimelineRunOptions& options);

// Everything the runs take from the Scene, passed explicitly.
struct IntervalRunScene {
  SampleLocationBuffer* buffer = nullptr;  // created, with its camera
  const Frustum* frustum = nullptr;        // of the buffer camera
  const ObjLoader* first = nullptr;        // the scene's first two states
  const ObjLoader* second = nullptr;
  int32_t triangleCount = 0;
  std::vector<int32_t>* liveFlags = nullptr;  // one per triangle
  VisibleSet* unionSet = nullptr;             // the run's union set
  SetIds setIds = SetIds::kIndex;             // how visible-set files name triangles
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
// one), 0 for the culled. Changes nothing of the scene; the buffer is not
// needed when the frustum is given. Empty when the scene lacks a frustum
// or buffer camera, its states or its liveness flags.
std::vector<int32_t> SubIntervalWorkFlags(const IntervalRunScene& scene);

// Called after each step with its number and its visible set (the
// liveness flags); the buffer's timelines hold that step's intervals.
using SubIntervalStepDone = std::function<void(int step, const std::vector<int32_t>& visible)>;

// Steps first..last (steps before 0 and after 39 do not exist) of the 40
// sub-intervals, each computed on its own from the work flags; the union
// set, cleared first, gathers every step's set and the liveness flags end
// with the last step's. Returns the number of steps run.
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
