// The trial run: list-form timelines of a 16 x 16 block of single samples
// over every live triangle, dumped as text.
#include <algorithm>
#include <ostream>

#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "SampleLocationBuffer.h"
#include "TimelineDump.h"
#include "TimelineInsert.h"

namespace {

constexpr int kTrialSize = 16;
constexpr double kTrialX = 400, kTrialY = 130;

}  // namespace

void TrialTimelines(const IntervalRunScene& scene, std::ostream* dump) {
  std::ostream& out = *scene.out;
  SampleLocationBuffer& buffer = *scene.buffer;
  if (!buffer.camera || !scene.first || !scene.second || !scene.liveFlags) return;
  const std::vector<int32_t>& live = *scene.liveFlags;

  // Both states as plain triangle lists (live counts ignored), or the
  // trajectory positions at times 0 and 1 in keyframed mode.
  WholeListMotion plain(*scene.first, *scene.second);
  std::unique_ptr<MotionSource> keyframed;
  if (scene.keyframedMotion) keyframed = scene.keyframedMotion(0, 1);
  const MotionSource& motion = keyframed ? *keyframed : plain;
  const int32_t n = keyframed ? scene.triangleCount : plain.Count();

  const Projector proj = buffer.camera->MakeProjector();
  const Vex3_quarnd eye = proj.RayOrigin(Vex3_quarnd(buffer.camera->eye));
  MotionDepthComparator depth(motion, eye);

  // Triangles whose screen hull misses the whole block cannot cover any of
  // its samples; they are prepared but never evaluated.
  std::vector<int32_t> ids;
  std::vector<MovingTriangle> prepared;
  for (int32_t t = 0; t < n; t++) {
    if (size_t(t) >= live.size() || live[size_t(t)] == 0) continue;
    TriangleMotion m;
    if (!motion.Motion(t, &m)) continue;
    ScreenHull hull;
    TriangleScreenHull(proj, m, &hull);
    if (hull.allBehindEye) continue;
    if (!hull.behindEye && (hull.maxX < kTrialX || hull.minX > kTrialX + kTrialSize ||
                            hull.maxY < kTrialY || hull.minY > kTrialY + kTrialSize))
      continue;
    ids.push_back(t);
    prepared.emplace_back();
    PrepareMovingTriangle(m, eye, &prepared.back());
  }

  CoverageInterval slots[kCoverageSlots];
  for (int a = 0; a < kTrialSize; a++) {
    for (int b = 0; b < kTrialSize; b++) {
      SampleLocation s;
      s.x = kTrialX + a + 0.5;
      s.y = kTrialY + b + 0.5;
      ComputeSampleRay(proj, buffer.camera->eye, &s);
      SuperPixel timeline(s.x, s.y, 0);
      std::copy(s.ray, s.ray + 3, timeline.ray);
      const Vex3_quarnd ray(s.ray[0], s.ray[1], s.ray[2]);
      int64_t total = 0;
      for (size_t i = 0; i < ids.size(); i++) {
        if (i % 10000000 == 0) out << "\r" << i << "/" << ids.size() << std::flush;
        int c = CoverageIntervals(prepared[i], ray, uint32_t(ids[i]), slots);
        total += c;
        depth.SetCurrent(uint32_t(ids[i]), &prepared[i]);
        for (int k = 0; k < c; k++) InsertInterval(timeline, slots[k], depth, *scene.err);
      }
      out << "Interval number is " << timeline.CountIntervals() << "\n";
      out << "Total Legit Interval number is " << total << "\n";
      if (dump && *dump) DumpTimeline(timeline, *dump);
    }
  }
}
