// One triangle over a run's span: its coverage intervals at every sample it
// can reach, inserted into the samples' tree timelines.
#include <algorithm>
#include <cmath>

#include "IntervalRuns.h"
#include "SampleLocationBuffer.h"
#include "TimelineInsert.h"

namespace {

// Intervals gathered before insertion (20 bytes each).
constexpr size_t kBatch = size_t(1) << 21;

uint32_t Micro(double t) { return uint32_t(std::llround(t * 1e6)); }

}  // namespace

TriangleIntervalProcessor::TriangleIntervalProcessor(SampleLocationBuffer& buffer,
                                                     const MotionSource& motion,
                                                     std::ostream& err, bool computeRays)
    : buffer_(buffer),
      motion_(motion),
      err_(err),
      projector_(buffer.camera ? buffer.camera->MakeProjector() : Projector()),
      eye_(buffer.camera ? projector_.RayOrigin(Vex3_quarnd(buffer.camera->eye)) : Vex3_quarnd()),
      depth_(motion, eye_) {
  if (computeRays) buffer_.ComputeSampleRays();
}

int64_t TriangleIntervalProcessor::ProcessPixels(int32_t triangle, const MovingTriangle& prepared,
                                                 int x0, int y0, int x1, int y1,
                                                 const ScreenHull* hull) {
  CoverageSpan spans[kCoverageSlots];
  int64_t evaluated = 0;
  for (int row = y0; row <= y1; row++) {
    for (int col = x0; col <= x1; col++) {
      PixelSamples& px = buffer_.Pixel(col, row);
      for (int32_t k = 0; k < px.count; k++) {
        SampleLocation& s = px.samples[size_t(k)];
        if (hull && !hull->Contains(s.x, s.y)) continue;
        evaluated++;
        int n = CoverageTimes(prepared, Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]), spans);
        if (n == 0) continue;
        work_.intervals += n;
        const uint32_t pixel = uint32_t(row) * uint32_t(buffer_.width) + uint32_t(col);
        for (int i = 0; i < n; i++)
          pending_.push_back({pixel, uint32_t(k), uint32_t(triangle), Micro(spans[i].start),
                              Micro(spans[i].end)});
      }
    }
  }
  if (pending_.size() >= kBatch) Flush();
  work_.evaluations += evaluated;
  work_.trianglesDone++;
  return evaluated;
}

void TriangleIntervalProcessor::Flush() {
  if (pending_.empty()) return;
  // Counting sort by pixel; stable, so each sample keeps its order.
  const size_t pixels = buffer_.pixels.size();
  pixelStart_.assign(pixels + 1, 0);
  for (const Pending& p : pending_) pixelStart_[p.pixel + 1]++;
  for (size_t i = 0; i < pixels; i++) pixelStart_[i + 1] += pixelStart_[i];
  order_.resize(pending_.size());
  for (uint32_t i = 0; i < uint32_t(pending_.size()); i++)
    order_[pixelStart_[pending_[i].pixel]++] = i;
  for (uint32_t i : order_) {
    const Pending& p = pending_[i];
    SampleLocation& s = buffer_.pixels[p.pixel].samples[p.sample];
    if (!s.treeTimeline) {
      s.treeTimeline = std::make_unique<SuperPixelTree>();
      SuperPixelTree& t = *s.treeTimeline;
      t.x = s.x;
      t.y = s.y;
      t.w = s.w;
      std::copy(s.ray, s.ray + 3, t.ray);
    }
    InsertInterval(*s.treeTimeline, p.triangle, double(p.start) * 1e-6, double(p.end) * 1e-6,
                   depth_, err_);
  }
  pending_.clear();
}

int64_t TriangleIntervalProcessor::ProcessTriangleOverInterval(int32_t triangle) {
  if (!buffer_.camera) return 0;
  TriangleMotion m;
  if (!motion_.Motion(triangle, &m)) return 0;
  ScreenHull hull;
  TriangleScreenHull(projector_, m, &hull);
  if (hull.allBehindEye) return 0;
  int x0 = 0, y0 = 0, x1 = buffer_.width - 1, y1 = buffer_.height - 1;
  if (!hull.behindEye &&
      !ClipBoxToWindow(hull.minX - kScreenMargin, hull.minY - kScreenMargin,
                       hull.maxX + kScreenMargin, hull.maxY + kScreenMargin, buffer_.width,
                       buffer_.height, &x0, &y0, &x1, &y1))
    return 0;
  MovingTriangle prepared;
  PrepareMovingTriangle(m, eye_, &prepared);
  return ProcessPixels(triangle, prepared, x0, y0, x1, y1, hull.behindEye ? nullptr : &hull);
}

int64_t TriangleIntervalProcessor::ProcessOverDepthBox(int32_t triangle) {
  if (!buffer_.camera) return kEmptyBox;
  TriangleMotion m;
  if (!motion_.Motion(triangle, &m)) return kAbsent;
  ScreenHull hull;
  TriangleScreenHull(projector_, m, &hull);
  // Nothing to do when every position lies before the near plane, or every
  // one beyond the far plane, or all behind the eye. Otherwise the box of
  // all six positions is used, not only of those inside the depth range:
  // positions outside it but in front of the eye still project correctly,
  // and dropping them would cut off the part of a long triangle that
  // reaches past the near or far plane.
  bool allNear = true, allFar = true;
  for (double z : hull.depth) {
    allNear &= z < 0;
    allFar &= z > 1;
  }
  if (hull.allBehindEye || (!hull.behindEye && (allNear || allFar))) return kEmptyBox;
  int x0 = 0, y0 = 0, x1 = buffer_.width - 1, y1 = buffer_.height - 1;
  if (!hull.behindEye &&
      !ClipBoxToWindow(hull.minX - kScreenMargin, hull.minY - kScreenMargin,
                       hull.maxX + kScreenMargin, hull.maxY + kScreenMargin, buffer_.width,
                       buffer_.height, &x0, &y0, &x1, &y1))
    return kEmptyBox;
  MovingTriangle prepared;
  PrepareMovingTriangle(m, eye_, &prepared);
  // The hull holds the triangle at every moment, so samples outside it
  // cannot be covered: testing them only costs time.
  return ProcessPixels(triangle, prepared, x0, y0, x1, y1, hull.behindEye ? nullptr : &hull);
}
