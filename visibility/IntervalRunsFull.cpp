// The whole-interval run: every live triangle between the first two states
// at once, with the run log.
#include <algorithm>
#include <charconv>
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
      else if (!s.timeline.empty())
        c = int32_t(s.timeline.size());
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

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

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

  const double cullStarted = Seconds();
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

  const std::vector<int32_t> process(live.begin(), live.begin() + n);
  const double culling = Seconds() - cullStarted;

  MeshMotion motion(*scene.first, *scene.second);
  TimelineRunOptions options;
  options.region = SampleRegion::kDepthBox;
  // Every hundredth triangle's line, as the one-by-one loop printed them:
  // the same lines whatever the threads, each once the work reaches it.
  int64_t shown = 0;
  options.progress = [&](int64_t done, int64_t total) {
    while (shown + 100 <= done) {
      shown += 100;
      out << "\r" << shown << "/" << total << " triangle processed";
    }
    out << std::flush;
  };
  TimelineRun run = ComputeTimelines(buffer, motion, process, options);
  out << "\n";
  const double logStarted = Seconds();
  if (std::ostream* log = scene.runLog) {
    // One line per triangle, formatted by hand into blocks: a million
    // lines through the stream's formatting took seconds.
    std::string block;
    char number[16];
    auto append = [&](int64_t v) {
      const auto r = std::to_chars(number, number + sizeof number, v);
      block.append(number, r.ptr);
    };
    for (int32_t t = 0; t < n; t++) {
      block += "Now processing TID ";
      append(t);
      block += ':';
      const int32_t samples = run.samples[size_t(t)];
      if (samples == kNotProcessed) {
        block += "BAD triangle";
      } else if (samples == kEmptyBox) {
        block += "0 pixels are processed";
      } else if (samples >= 0) {
        append(samples);
        block += " pixel processed ";
      }
      block += '\n';
      if (block.size() > (1u << 20)) {
        log->write(block.data(), std::streamsize(block.size()));
        block.clear();
      }
    }
    log->write(block.data(), std::streamsize(block.size()));
    log->flush();
  }
  const double logSeconds = Seconds() - logStarted;

  const double collectStarted = Seconds();
  buffer.CollectTimelineTriangles(visible);
  if (work) {
    *work = run.work;
    work->cullSeconds += culling;
    work->collectSeconds = Seconds() - collectStarted;
    work->writeSeconds = logSeconds;
  }
  return true;
}
