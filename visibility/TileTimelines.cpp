#include "TileTimelines.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace {

constexpr double kNever = -std::numeric_limits<double>::infinity();

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint32_t Micro(double t) { return uint32_t(std::llround(t * 1e6)); }

// Rays this close to square with the view direction give depths along the
// view that no longer order distances along the ray safely.
constexpr double kLeastCosine = 1e-3;

}  // namespace

int32_t FindRegion(const Projector& projector, const MotionSource& motion, int32_t triangle,
                   SampleRegion rule, int w, int h, TriangleMotion* m, ScreenHull* hull,
                   Region* r, bool* useHull) {
  if (!motion.Motion(triangle, m)) return kAbsent;
  TriangleScreenHull(projector, *m, hull);
  if (hull->allBehindEye) return kEmptyBox;
  if (rule == SampleRegion::kDepthBox && !hull->behindEye) {
    bool allNear = true, allFar = true;
    for (double z : hull->depth) {
      allNear &= z < 0;
      allFar &= z > 1;
    }
    if (allNear || allFar) return kEmptyBox;
  }
  *useHull = !hull->behindEye;
  *r = {0, 0, w - 1, h - 1};
  if (*useHull && !ClipBoxToWindow(hull->minX - kScreenMargin, hull->minY - kScreenMargin,
                                   hull->maxX + kScreenMargin, hull->maxY + kScreenMargin, w, h,
                                   &r->x0, &r->y0, &r->x1, &r->y1))
    return kEmptyBox;
  return 0;
}

TileTimelines::TileTimelines(const TileSetting& setting)
    : s_(setting), depth_(*setting.motion, setting.eye) {}

namespace {

// Window positions of the three vertices at the boundaries of parts, each
// computed once per boundary.
struct PartBoundaries {
  PartBoundaries(const MotionFootprint& footprint, const Projector& p)
      : f(footprint), projector(p) {
    std::fill(done, done + f.parts + 1, false);
  }
  const MotionFootprint& f;
  const Projector& projector;
  double x[kMaxParts + 1][3], y[kMaxParts + 1][3];
  bool done[kMaxParts + 1];

  void Need(int j) {
    if (done[j]) return;
    done[j] = true;
    const double s = double(j) / f.parts;
    for (int v = 0; v < 3; v++) {
      double c[3];
      for (int i = 0; i < 3; i++) c[i] = f.clip[0][v][i] + (f.clip[1][v][i] - f.clip[0][v][i]) * s;
      projector.WindowOfClip(c, &x[j][v], &y[j][v]);
    }
  }
  // Box of the parts j0 .. j1 - 1, widened for rounding.
  void Box(int j0, int j1, double box[4]) {
    Need(j0);
    Need(j1);
    box[0] = box[1] = 1e300;
    box[2] = box[3] = -1e300;
    for (int j : {j0, j1})
      for (int v = 0; v < 3; v++) {
        box[0] = std::min(box[0], x[j][v]);
        box[1] = std::min(box[1], y[j][v]);
        box[2] = std::max(box[2], x[j][v]);
        box[3] = std::max(box[3], y[j][v]);
      }
    constexpr double kMargin = 0.02;  // above the hull's own 0.01
    box[0] -= kMargin;
    box[1] -= kMargin;
    box[2] += kMargin;
    box[3] += kMargin;
  }
};

bool Meets(const double box[4], double x0, double y0, double x1, double y1) {
  return box[0] <= x1 && box[2] >= x0 && box[1] <= y1 && box[3] >= y0;
}

// The parts of [j0, j1) whose boxes meet the rectangle, found by halving
// (the whole range's box bounds every part of it).
void PartsMeeting(PartBoundaries& b, int j0, int j1, const double rect[4], int* first,
                  int* last) {
  double box[4];
  b.Box(j0, j1, box);
  if (!Meets(box, rect[0], rect[1], rect[2], rect[3])) return;
  const bool inside = box[0] >= rect[0] && box[2] <= rect[2] && box[1] >= rect[1] && box[3] <= rect[3];
  if (j1 - j0 == 1 || inside) {
    *first = std::min(*first, j0);
    *last = std::max(*last, j1 - 1);
    return;
  }
  const int mid = (j0 + j1) / 2;
  PartsMeeting(b, j0, mid, rect, first, last);
  PartsMeeting(b, mid, j1, rect, first, last);
}

// Least depth while a part range lasts, a microsecond either side
// included (interval ends are rounded to microseconds).
double NearestOver(const MotionFootprint& f, int firstPart, int lastPart) {
  const double ta = std::max(0.0, double(firstPart) / f.parts - 1e-6);
  const double tb = std::min(1.0, double(lastPart + 1) / f.parts + 1e-6);
  return f.Nearest(ta, tb);
}

}  // namespace

void TileTimelines::Run(int x0, int y0, int x1, int y1, const uint32_t* triangles, size_t count,
                        std::atomic<int32_t>* candidates, TileCounts* counts) {
  SampleLocationBuffer& buffer = *s_.buffer;
  const int w = buffer.width, h = buffer.height;
  const double started = Now();

  // The tile's samples; depth bounds order them only where every ray
  // leaves the eye along the view.
  const int tw = x1 - x0 + 1, th = y1 - y0 + 1;
  pixelStart_.resize(size_t(tw) * size_t(th) + 1);
  samples_.clear();
  position_.clear();
  ray_.clear();
  bool ordered = s_.spans;
  for (int row = y0; row <= y1; row++)
    for (int col = x0; col <= x1; col++) {
      pixelStart_[size_t(row - y0) * size_t(tw) + size_t(col - x0)] = uint32_t(samples_.size());
      PixelSamples& px = buffer.Pixel(col, row);
      for (int32_t k = 0; k < px.count; k++) {
        SampleLocation& s = px.samples[size_t(k)];
        samples_.push_back(&s);
        position_.push_back(s.x);
        position_.push_back(s.y);
        ray_.push_back(Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]));
        const double c = s.ray[0] * s_.view.x + s.ray[1] * s_.view.y + s.ray[2] * s_.view.z;
        if (!(c > kLeastCosine)) ordered = false;
      }
    }
  pixelStart_.back() = uint32_t(samples_.size());
  const size_t ns = samples_.size();
  if (cover_.size() < ns) cover_.resize(ns);
  for (size_t i = 0; i < ns; i++) cover_[i].Clear();
  stamp_.assign(ns, 0);
  serial_ = 0;
  firstPart_.resize(ns);
  lastPart_.resize(ns);

  // The triangles, each with the parts of its span during which it can be
  // in the tile and its least depth then; nearest first.
  const double rect[4] = {double(x0), double(y0), double(x1 + 1), double(y1 + 1)};
  entries_.resize(count);
  for (size_t i = 0; i < count; i++) {
    Entry& e = entries_[i];
    e = Entry();
    e.triangle = triangles[i];
    e.key = kNever;
    // The tile lists only triangles whose region is not empty; the
    // footprint is valid exactly when the hull is used (every position in
    // front of the eye plane, by the same clip w).
    TriangleMotion m;
    e.present = s_.motion->Motion(int32_t(e.triangle), &m);
    if (!e.present || !ordered) continue;
    MakeFootprint(s_.projector, m, s_.eye, s_.view, &e.footprint);
    if (!e.footprint.valid) continue;
    e.bounded = true;
    PartBoundaries b(e.footprint, s_.projector);
    int first = kMaxParts, last = -1;
    PartsMeeting(b, 0, e.footprint.parts, rect, &first, &last);
    e.firstPart = first;
    e.lastPart = last;
    e.key = last >= first ? NearestOver(e.footprint, first, last) : kNever;
  }
  order_.resize(count);
  for (size_t i = 0; i < count; i++) order_[i] = uint32_t(i);
  std::stable_sort(order_.begin(), order_.end(),
                   [&](uint32_t a, uint32_t b) { return entries_[a].key < entries_[b].key; });

  // Evaluation, nearest first.
  found_.clear();
  CoverageSpan spans[kCoverageSlots];
  for (uint32_t idx : order_) {
    const Entry& e = entries_[idx];
    if (!e.present) continue;
    TriangleMotion m;
    ScreenHull hull;
    Region r;
    bool useHull = true;
    FindRegion(s_.projector, *s_.motion, int32_t(e.triangle), s_.region, w, h, &m, &hull, &r,
               &useHull);
    const MotionFootprint& f = e.footprint;
    const bool bounded = e.bounded && useHull;
    // Which parts' boxes hold each sample: the time it can be covered.
    serial_++;
    if (bounded) {
      PartBoundaries b(f, s_.projector);
      for (int k = e.firstPart; k <= e.lastPart; k++) {
        double box[4];
        b.Box(k, k + 1, box);
        const int c0 = std::max(x0, int(std::floor(box[0]))), c1 = std::min(x1, int(std::floor(box[2])));
        const int r0 = std::max(y0, int(std::floor(box[1]))), r1 = std::min(y1, int(std::floor(box[3])));
        for (int row = r0; row <= r1; row++)
          for (int col = c0; col <= c1; col++) {
            const size_t p = size_t(row - y0) * size_t(tw) + size_t(col - x0);
            for (uint32_t li = pixelStart_[p]; li < pixelStart_[p + 1]; li++) {
              const double sx = position_[2 * li], sy = position_[2 * li + 1];
              if (sx < box[0] || sx > box[2] || sy < box[1] || sy > box[3]) continue;
              if (stamp_[li] != serial_) {
                stamp_[li] = serial_;
                firstPart_[li] = uint8_t(k);
              }
              lastPart_[li] = uint8_t(k);
            }
          }
      }
    }
    MovingTriangle prepared;
    bool isPrepared = false;
    int32_t inHull = 0;
    for (int row = std::max(r.y0, y0); row <= std::min(r.y1, y1); row++) {
      int c0 = std::max(r.x0, x0), c1 = std::min(r.x1, x1);
      if (useHull && s_.spans) {
        double lo, hi;
        if (!hull.RowSpan(row, row + 1, &lo, &hi)) continue;
        if (lo - 1 > c0) c0 = int(std::ceil(lo - 1));
        if (hi < c1) c1 = int(std::floor(hi));
      }
      for (int col = c0; col <= c1; col++) {
        const size_t p = size_t(row - y0) * size_t(tw) + size_t(col - x0);
        for (uint32_t li = pixelStart_[p]; li < pixelStart_[p + 1]; li++) {
          if (useHull && !hull.Contains(position_[2 * li], position_[2 * li + 1])) continue;
          inHull++;
          double nearest = kNever;
          if (bounded) {
            // No part's box holds the sample: the triangle never covers it.
            if (stamp_[li] != serial_) continue;
            const int k0 = firstPart_[li], k1 = lastPart_[li];
            nearest = NearestOver(f, k0, k1);
            if (cover_[li].Hides(uint32_t(int64_t(k0) * 1000000 / f.parts),
                                 uint32_t(int64_t(k1 + 1) * 1000000 / f.parts), nearest))
              continue;
          }
          if (!isPrepared) {
            PrepareMovingTriangle(m, s_.eye, &prepared);
            isPrepared = true;
          }
          counts->evaluations++;
          const int c = CoverageTimes(prepared, ray_[li], spans);
          counts->intervals += c;
          for (int j = 0; j < c; j++) {
            const uint32_t a = Micro(spans[j].start), b = Micro(spans[j].end);
            if (bounded) {
              nearest = f.Nearest(a * 1e-6, b * 1e-6);
              if (cover_[li].Hides(a, b, nearest)) continue;
              if (nearest > 0) cover_[li].Add(a, b, f.Farthest(a * 1e-6, b * 1e-6));
            }
            found_.push_back({li, idx, a, b, nearest});
          }
        }
      }
    }
    candidates[e.triangle].fetch_add(inHull, std::memory_order_relaxed);
    counts->candidates += inHull;
  }

  // What is hidden by covers found after it, and the rest in order of
  // sample, then triangle (the entries are in triangle order), then as
  // found.
  bucket_.assign(count + 1, 0);
  size_t kept = 0;
  for (const Found& x : found_)
    if (x.nearest == kNever || !cover_[x.sample].Hides(x.start, x.end, x.nearest)) {
      found_[kept++] = x;
      bucket_[x.entry + 1]++;
    }
  found_.resize(kept);
  for (size_t i = 0; i < count; i++) bucket_[i + 1] += bucket_[i];
  sorted_.resize(kept);
  for (const Found& x : found_) sorted_[bucket_[x.entry]++] = x;
  bucket_.assign(ns + 1, 0);
  for (const Found& x : sorted_) bucket_[x.sample + 1]++;
  for (size_t i = 0; i < ns; i++) bucket_[i + 1] += bucket_[i];
  for (const Found& x : sorted_) found_[bucket_[x.sample]++] = x;
  const double evaluated = Now();
  counts->coverage += evaluated - started;

  // Insertion, sample by sample.
  for (const Found& x : found_) {
    SampleLocation& s = *samples_[x.sample];
    InsertInterval(s.timeline, s.ray, entries_[x.entry].triangle, x.start, x.end, depth_);
  }
  counts->inserted += int64_t(kept);
  // The tile's timelines are final: give back the room their growth left,
  // which would otherwise add a third to the run's peak.
  for (SampleLocation* s : samples_)
    if (s->timeline.capacity() > s->timeline.size() + 2) s->timeline.shrink_to_fit();
  counts->insert += Now() - evaluated;
}
