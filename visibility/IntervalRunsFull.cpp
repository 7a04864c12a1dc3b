// The whole-interval run: every live triangle between the first two states
// at once, with the run log.
#include <algorithm>
#include <chrono>
#include <ctime>

#include "Frustum.h"
#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "SampleLocationBuffer.h"

IntervalStatistics CountTimelineIntervals(SampleLocationBuffer& buffer) {
  IntervalStatistics st;
  for (PixelSamples& px : buffer.pixels) {
    for (int32_t k = 0; k < px.count; k++) {
      SampleLocation& s = px.samples[size_t(k)];
      int32_t c;
      if (s.listTimeline)
        c = s.listTimeline->CountIntervals();
      else if (s.treeTimeline)
        c = s.treeTimeline->CountIntervals();
      else
        continue;
      st.maxIntervals = std::max(st.maxIntervals, c);
      st.totalIntervals += c;
      st.samplesWithTimeline++;
    }
  }
  return st;
}

namespace {

// Keyframe box of a triangle, or its box over the first two states when no
// keyframes are given.
bool CullBox(const IntervalRunScene& scene, int32_t t, AABB* box) {
  if (scene.keyframeBox) return scene.keyframeBox(t, box);
  Vex3_quarn p[3];
  bool any = false;
  for (const ObjLoader* m : {scene.first, scene.second}) {
    if (!m->TrianglePositions(t, p)) continue;
    for (const Vex3_quarn& v : p) box->Extend(v);
    any = true;
  }
  return any;
}

}  // namespace

bool WholeIntervalVisibility(const IntervalRunScene& scene, VisibleSet* result,
                             IntervalWork* work) {
  if (!scene.buffer || !scene.buffer->camera || !scene.first || !scene.second || !scene.liveFlags)
    return false;
  std::ostream& out = *scene.out;
  SampleLocationBuffer& buffer = *scene.buffer;
  const int32_t n = scene.triangleCount;
  Frustum frustum = scene.frustum ? *scene.frustum : Frustum::FromMatrices(buffer.camera->Matrices());
  std::vector<int32_t>& live = *scene.liveFlags;
  if (live.size() < size_t(n)) live.resize(size_t(n), 0);
  VisibleSet localResult;
  VisibleSet& visible = result ? *result : localResult;
  visible.assign(size_t(n), 0);

  if (scene.frustumCulling) {
    int32_t culled = 0;
    for (int32_t t = 0; t < n; t++) {
      if (live[size_t(t)] == 0) continue;
      AABB box;
      if (!CullBox(scene, t, &box) || box.Empty()) continue;
      if (!frustum.MayContain(box)) {
        live[size_t(t)] = 0;
        culled++;
      }
    }
    out << "Culled out: " << culled << "\n";
  }

  int64_t liveCount = 0;
  for (int32_t t = 0; t < n; t++) liveCount += live[size_t(t)] != 0;

  MeshMotion motion(*scene.first, *scene.second);
  TriangleIntervalProcessor processor(buffer, motion, *scene.err);
  std::ostream* log = scene.runLog;
  int64_t processed = 0;
  const auto started = std::chrono::steady_clock::now();
  const std::clock_t startedCpu = std::clock();
  for (int32_t t = 0; t < n; t++) {
    if (log) *log << "Now processing TID " << t << ":";
    if (live[size_t(t)] != 0) {
      int64_t samples = processor.ProcessOverDepthBox(t);
      if (log) {
        if (samples == TriangleIntervalProcessor::kEmptyBox)
          *log << "0 pixels are processed";
        else if (samples >= 0)
          *log << samples << " pixel processed ";
      }
      processed++;
      if (processed % 100 == 0)
        out << "\r" << processed << "/" << liveCount << " triangle processed" << std::flush;
    } else if (log) {
      *log << "BAD triangle";
    }
    if (log) *log << "\n";
  }
  processor.Flush();
  out << "\n";
  const double loopSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const double loopCpuSeconds = double(std::clock() - startedCpu) / CLOCKS_PER_SEC;
  if (log) log->flush();

  buffer.CollectTimelineTriangles(visible);
  if (work) {
    *work = processor.work();
    work->processSeconds = loopSeconds;
    work->processCpuSeconds = loopCpuSeconds;
  }
  return true;
}
