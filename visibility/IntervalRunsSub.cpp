// The sub-interval run: the scene's interval cut into 40 steps, each
// computed on its own, and the union over the steps.
#include <algorithm>

#include "Frustum.h"
#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "SampleLocationBuffer.h"

namespace {

bool Complete(const IntervalRunScene& scene) {
  return scene.buffer && scene.buffer->camera && scene.first && scene.second && scene.liveFlags &&
         scene.unionSet;
}

}  // namespace

std::vector<int32_t> SubIntervalWorkFlags(const IntervalRunScene& scene) {
  const bool camera = scene.frustum != nullptr || (scene.buffer && scene.buffer->camera);
  if (!camera || !scene.first || !scene.second || !scene.liveFlags) return {};
  const int32_t n = scene.triangleCount;
  const Frustum frustum =
      scene.frustum ? *scene.frustum : Frustum::FromMatrices(scene.buffer->camera->Matrices());
  // Flags beyond the liveness flags count as dead; nothing of the scene is
  // changed, so a request refused afterwards leaves it as it was.
  const std::vector<int32_t>& live = *scene.liveFlags;
  auto liveFlag = [&live](int32_t i) { return size_t(i) < live.size() ? live[size_t(i)] : 0; };

  // Culling over both states: only live triangles are tested; the others
  // keep their work flag.
  std::vector<int32_t> workFlags(size_t(n), 1);
  std::vector<int32_t> tested(std::max<size_t>(size_t(n), size_t(scene.first->IdCount())), 0);
  for (int32_t i = 0; i < n; i++) tested[size_t(i)] = liveFlag(i);
  CullTriangles(frustum, *scene.first, scene.second, tested.data(), *scene.out);
  for (int32_t i = 0; i < n; i++)
    if (liveFlag(i) != 0 && tested[size_t(i)] == 0) workFlags[size_t(i)] = 0;
  return workFlags;
}

int SubIntervalSteps(const IntervalRunScene& scene, const std::vector<int32_t>& workFlags,
                     int first, int last, const SubIntervalStepDone& stepDone, IntervalWork* work) {
  const int32_t n = scene.triangleCount;
  if (!Complete(scene) || workFlags.size() != size_t(n)) return 0;
  std::ostream& out = *scene.out;
  SampleLocationBuffer& buffer = *scene.buffer;
  std::vector<int32_t>& live = *scene.liveFlags;
  if (live.size() < size_t(n)) live.resize(size_t(n), 0);
  VisibleSet& unionSet = *scene.unionSet;
  unionSet.assign(size_t(n), 0);

  ObjLoader mesh1, mesh2;
  mesh1.CopyState(*scene.first);
  mesh2.CopyState(*scene.first);

  IntervalWork total;
  int steps = 0;
  bool raysCurrent = false;
  // Steps before the interval do not exist; they are skipped.
  for (int i = std::max(first, 0); i <= last && i < kSubIntervalSteps; i++) {
    buffer.Reset();
    const double t0 = double(i) / kSubIntervalSteps, t1 = double(i + 1) / kSubIntervalSteps;
    std::unique_ptr<MotionSource> keyframed;
    if (scene.keyframedMotion) keyframed = scene.keyframedMotion(t0, t1);
    mesh1.Interpolate(*scene.first, *scene.second, t0);
    mesh2.Interpolate(*scene.first, *scene.second, t1);
    MeshMotion meshMotion(mesh1, mesh2);
    const MotionSource& motion = keyframed ? *keyframed : meshMotion;
    TimelineRunOptions options;
    options.region = SampleRegion::kHull;
    options.computeRays = !raysCurrent;
    raysCurrent = true;  // Reset keeps the centre samples and their rays
    // Every 100,000th triangle's line, as the one-by-one loop printed
    // them: the same lines whatever the threads, each once the work
    // reaches it.
    int64_t next = 0;
    options.progress = [&](int64_t done, int64_t total) {
      const int64_t at = done == total ? n : done * n / std::max<int64_t>(total, 1);
      for (; next < n && next <= at; next += 100000) out << "\r" << next << "/" << n;
      out << std::flush;
    };
    const TimelineRun run = ComputeTimelines(buffer, motion, workFlags, options);
    out << "\n";

    // From here on the liveness flags hold this step's visible set.
    std::fill(live.begin(), live.end(), 0);
    buffer.CollectTimelineTriangles(live.data(), n);
    for (int32_t t = 0; t < n; t++)
      if (live[size_t(t)] == 1) unionSet[size_t(t)] = 1;
    if (stepDone) stepDone(i, live);

    const IntervalWork& w = run.work;
    total.evaluations += w.evaluations;
    total.intervals += w.intervals;
    total.trianglesDone += w.trianglesDone;
    steps++;
  }
  if (work) *work = total;
  return steps;
}
