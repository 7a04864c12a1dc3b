#include "SampleLocationBuffer.h"

#include <algorithm>
#include <climits>

#include "Parallel.h"

namespace {

// A fresh record at (x, y); everything else at its "nothing known" value.
void InitSample(SampleLocation* s, double x, double y) {
  *s = SampleLocation();
  s->x = x;
  s->y = y;
}

}  // namespace

void SampleLocationBuffer::Create(int32_t w, int32_t h) {
  camera.reset();
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.clear();
  pixels.resize(size_t(width) * size_t(height));
  for (int32_t row = 0; row < height; row++) {
    for (int32_t col = 0; col < width; col++) {
      PixelSamples& p = Pixel(col, row);
      p.column = col;
      p.row = row;
      p.count = 1;
      p.capacity = 2;
      p.samples.resize(2);
      InitSample(&p.samples[0], col + 0.5, row + 0.5);
    }
  }
}

void SampleLocationBuffer::SetCamera(const PPC& cam) {
  camera = std::make_unique<PPC>(cam);
  if (camera->w != width || camera->h != height) camera->Resize(width, height);
  camera->SetGLAndCache();
}

void SampleLocationBuffer::AddSample(PixelSamples& pixel, float x, float y) {
  if (pixel.count >= pixel.capacity || size_t(pixel.count) >= pixel.samples.size()) {
    // Whole records move over, timelines included; the new tail is fresh.
    const int32_t capacity = std::max(std::max(pixel.capacity, 1) * 2, pixel.count + 1);
    std::vector<SampleLocation> grown(static_cast<size_t>(capacity));
    const size_t keep = std::min(size_t(pixel.count), pixel.samples.size());
    for (size_t i = 0; i < keep; i++) grown[i] = std::move(pixel.samples[i]);
    pixel.samples = std::move(grown);
    pixel.capacity = capacity;
  }
  SampleLocation& s = pixel.samples[pixel.count];
  s.x = x;
  s.y = y;
  s.w = 1;
  pixel.count++;
}

void SampleLocationBuffer::Clear() {
  for (PixelSamples& p : pixels) {
    for (int32_t i = 0; i < p.count; i++) {
      SampleLocation& s = p.samples[i];
      s.depth = 1.0;
      s.triangleId = -1;
      s.marked = 0;
      s.color = 0xff000000u;
      if (s.listTimeline) s.listTimeline->Empty();
    }
    p.marked = 0;
  }
}

void SampleLocationBuffer::Reset() {
  for (PixelSamples& p : pixels) {
    // Records beyond the count are reused by the next AddSample, so their
    // timelines go as well.
    for (SampleLocation& s : p.samples) {
      s.listTimeline.reset();
      FlatTimeline().swap(s.timeline);
    }
    p.count = 1;
    p.marked = 0;
  }
}

void ComputeSampleRay(const Projector& proj, const Vex3_quarn& eye, SampleLocation* s) {
  const Vex3_quarnd e(eye);
  double px = 0, py = 0, pz = 0;
  Vex3_quarnd nearPoint, farPoint;
  const bool hasNear = proj.UnProject(s->x, s->y, 0.0, &px, &py, &pz);
  if (hasNear) {
    nearPoint = Vex3_quarnd(px, py, pz);
    s->nearDistance = (nearPoint - e).Length();
  }
  const bool hasFar = proj.UnProject(s->x, s->y, 1.0, &px, &py, &pz);
  if (hasFar) {
    farPoint = Vex3_quarnd(px, py, pz);
    s->farDistance = (farPoint - e).Length();
  }
  // The direction runs from the near-plane point to the far-plane point of
  // the sample. The point at window depth 0.5 lies only about twice the
  // near distance from the eye, so with a small near plane the float
  // rounding of the eye and of the matrices turned the ray by several
  // hundredths of a pixel against the projection of the triangles, and
  // samples on one side of a shared edge were covered by neither triangle.
  Vex3_quarnd d(0, 0, 0);
  if (hasNear && hasFar)
    d = (farPoint - nearPoint).Normalized();
  else if (proj.UnProject(s->x, s->y, 0.5, &px, &py, &pz))
    d = (Vex3_quarnd(px, py, pz) - e).Normalized();
  s->ray[0] = d.x;
  s->ray[1] = d.y;
  s->ray[2] = d.z;
  s->rayf[0] = float(d.x);
  s->rayf[1] = float(d.y);
  s->rayf[2] = float(d.z);
}

void SampleLocationBuffer::ComputeSampleRays() {
  if (!camera) return;
  const Projector proj = camera->MakeProjector();
  // Each sample on its own: ranges of pixels on every core.
  const int threads = WorkerThreads();
  const size_t n = pixels.size();
  RunOnThreads(threads, [&](int k) {
    for (size_t j = n * size_t(k) / size_t(threads); j < n * size_t(k + 1) / size_t(threads); j++) {
      PixelSamples& p = pixels[j];
      for (int32_t i = 0; i < p.count; i++) ComputeSampleRay(proj, camera->eye, &p.samples[i]);
    }
  });
}

SampleStatistics SampleLocationBuffer::Statistics(int32_t c0, int32_t c1, int32_t r0,
                                                  int32_t r1) const {
  SampleStatistics st;
  int32_t lo = INT32_MAX, hi = INT32_MIN;
  double sum = 0;
  int64_t n = 0;
  for (int32_t row = r0; row < r1; row++) {
    for (int32_t col = c0; col < c1; col++) {
      int32_t c = Pixel(col, row).count;
      lo = std::min(lo, c);
      if (c > hi) {  // strictly greater: the first pixel in index order wins
        hi = c;
        st.maxIndex = int64_t(row) * width + col;
      }
      sum += c;
      n++;
    }
  }
  if (n == 0) return st;  // an empty region reports zeros
  st.minCount = lo;
  st.maxCount = hi;
  st.average = sum / double(n);
  return st;
}

namespace {
void Print(const SampleStatistics& st, std::ostream& out) {
  out << "INFO: sls per pixel: min: " << st.minCount << " max: " << st.maxCount
      << " avg: " << st.average << "\n"
      << "uvmax: " << st.maxIndex << "\n";
  out.flush();
}
}  // namespace

SampleStatistics SampleLocationBuffer::ReportStatistics(std::ostream& out) const {
  SampleStatistics st = Statistics(0, width, 0, height);
  Print(st, out);
  return st;
}

SampleStatistics SampleLocationBuffer::ReportTileStatistics(int tileColumn, int tileRow,
                                                            std::ostream& out) const {
  // Tiles outside the 2 x 4 split cover no pixels.
  int32_t tw = width / 2, th = height / 4;
  int32_t c0 = tileColumn * tw, r0 = tileRow * th;
  int32_t c1 = c0 + tw, r1 = r0 + th;
  if (tileColumn < 0 || tileColumn > 1 || tileRow < 0 || tileRow > 3) c1 = c0, r1 = r0;
  SampleStatistics st = Statistics(c0, c1, r0, r1);
  Print(st, out);
  return st;
}

void SampleLocationBuffer::CollectPixelTimelineTriangles(const PixelSamples& pixel,
                                                         int32_t* flags, int32_t n) const {
  // Unfilled slots carry kNoTriangle, which is out of range like any id >= n.
  auto mark = [flags, n](const auto& interval) {
    if (interval.triangleId < uint32_t(n)) flags[interval.triangleId] = 1;
  };
  for (int32_t i = 0; i < pixel.count; i++) {
    const SampleLocation& s = pixel.samples[i];
    if (s.listTimeline)
      s.listTimeline->ForEachInterval(mark);
    else
      for (const TimelineSpan& x : s.timeline) mark(x);
  }
}

void SampleLocationBuffer::CollectTimelineTriangles(int32_t* flags, int32_t n) const {
  if (flags == nullptr || n <= 0) return;
  for (const PixelSamples& p : pixels) CollectPixelTimelineTriangles(p, flags, n);
}
