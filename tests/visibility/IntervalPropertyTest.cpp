// The interval method against brute force: random scenes of triangles that
// each move linearly within their own plane of constant depth, seen in a
// 32 x 24 view, compared with direct ray casting at many times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "IntervalRuns.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"

namespace {

constexpr int kW = 32, kH = 24;
constexpr int kTimes = 2001;

struct RandomScene {
  std::vector<Vex3_quarn> a, b;
  std::vector<uint32_t> triangles;
  int Count() const { return int(triangles.size() / 3); }
};

// Triangles at distinct depths 40..200 (the view's near plane lies at its
// focal length, about 31) in front of a camera at the origin
// looking down -z; each vertex moves within the triangle's depth plane
// (a shared sweep plus some deformation). Some start or end out of view.
RandomScene MakeScene(uint32_t seed, int count) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> U(-1, 1);
  RandomScene s;
  for (int i = 0; i < count; i++) {
    float z = -40.0f - 160.0f * (float(i) + 0.5f * (U(rng) + 1)) / float(count);
    float half = 0.55f * -z;  // about the half-width of the view at z
    float cx = U(rng) * half, cy = U(rng) * half * 0.75f, size = (0.1f + 0.25f * (U(rng) + 1)) * half;
    float mx = U(rng) * half * 0.8f, my = U(rng) * half * 0.5f;
    for (int v = 0; v < 3; v++) {
      float vx = cx + U(rng) * size, vy = cy + U(rng) * size;
      s.a.push_back(Vex3_quarn(vx, vy, z));
      s.b.push_back(Vex3_quarn(vx + mx + 0.2f * size * U(rng), vy + my + 0.2f * size * U(rng), z));
      s.triangles.push_back(uint32_t(3 * i + v));
    }
  }
  // Shuffle the processing order against the depth order.
  std::vector<int> order(static_cast<size_t>(count));
  for (int i = 0; i < count; i++) order[size_t(i)] = i;
  std::shuffle(order.begin(), order.end(), rng);
  RandomScene r;
  for (int i : order)
    for (int v = 0; v < 3; v++) {
      r.a.push_back(s.a[size_t(3 * i + v)]);
      r.b.push_back(s.b[size_t(3 * i + v)]);
      r.triangles.push_back(uint32_t(r.a.size() - 1));
    }
  return r;
}

// Moeller-Trumbore in double: distance along the ray, or -1 for no hit.
double CastRay(const Vex3_quarnd& d, const Vex3_quarnd& p0, const Vex3_quarnd& p1,
               const Vex3_quarnd& p2) {
  Vex3_quarnd e1 = p1 - p0, e2 = p2 - p0, pv = d.Cross(e2);
  double det = e1.Dot(pv);
  if (std::fabs(det) < 1e-14) return -1;
  double inv = 1 / det;
  Vex3_quarnd tv = Vex3_quarnd(0, 0, 0) - p0;
  double u = tv.Dot(pv) * inv;
  if (u < 0 || u > 1) return -1;
  Vex3_quarnd qv = tv.Cross(e1);
  double v = d.Dot(qv) * inv;
  if (v < 0 || u + v > 1) return -1;
  double t = e2.Dot(qv) * inv;
  return t > 1e-9 ? t : -1;
}

// Nearest triangle along each pixel-centre ray at one time.
class Reference {
 public:
  Reference(const RandomScene& s, const std::vector<Vex3_quarnd>& rays) : s_(s), rays_(rays) {}

  void At(double time) {
    int n = s_.Count();
    v_.resize(size_t(3 * n));
    box_.resize(size_t(n));
    for (int t = 0; t < n; t++) {
      double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
      for (int k = 0; k < 3; k++) {
        uint32_t i = s_.triangles[size_t(3 * t + k)];
        Vex3_quarnd a(s_.a[i]), b(s_.b[i]);
        Vex3_quarnd p = a + (b - a) * time;
        v_[size_t(3 * t + k)] = p;
        double px = p.x / -p.z, py = p.y / -p.z;  // on the plane z = -1
        lo[0] = std::min(lo[0], px);
        hi[0] = std::max(hi[0], px);
        lo[1] = std::min(lo[1], py);
        hi[1] = std::max(hi[1], py);
      }
      box_[size_t(t)] = {lo[0] - 1e-9, lo[1] - 1e-9, hi[0] + 1e-9, hi[1] + 1e-9};
    }
  }

  // Nearest triangle at sample i for the time last given to At, -1 none.
  int Nearest(size_t i) const {
    const Vex3_quarnd& d = rays_[i];
    double px = d.x / -d.z, py = d.y / -d.z, best = 1e300;
    int who = -1;
    for (int t = 0; t < s_.Count(); t++) {
      const Box& b = box_[size_t(t)];
      if (px < b.x0 || px > b.x1 || py < b.y0 || py > b.y1) continue;
      double dist = CastRay(d, v_[size_t(3 * t)], v_[size_t(3 * t + 1)], v_[size_t(3 * t + 2)]);
      if (dist > 0 && dist < best) {
        best = dist;
        who = t;
      }
    }
    return who;
  }

  // Length of the run of time around `time` during which `triangle` is the
  // nearest at sample i, found in steps of 1e-6 (capped at 1e-3).
  double VisibleRun(size_t i, int triangle, double time) {
    double lo = time, hi = time;
    while (time - lo < 1e-3 && lo - 1e-6 >= 0) {
      At(lo - 1e-6);
      if (Nearest(i) != triangle) break;
      lo -= 1e-6;
    }
    while (hi - time < 1e-3 && hi + 1e-6 <= 1) {
      At(hi + 1e-6);
      if (Nearest(i) != triangle) break;
      hi += 1e-6;
    }
    return hi - lo;
  }

  // True when the ray at sample i passes within `band` (relative to the
  // triangle's extent) of an edge of any triangle: the inside test's slack
  // may decide there.
  bool NearAnEdge(size_t i, double band) const {
    const Vex3_quarnd& r = rays_[i];
    for (int t = 0; t < s_.Count(); t++) {
      const Vex3_quarnd* p = &v_[size_t(3 * t)];
      Vex3_quarnd c[3] = {p[1].Cross(p[2]), p[2].Cross(p[0]), p[0].Cross(p[1])};
      double g = r.Dot(c[0] + c[1] + c[2]);
      if (std::fabs(g) < 1e-14) continue;
      double w[3] = {r.Dot(c[0]) / g, r.Dot(c[1]) / g, r.Dot(c[2]) / g};
      bool inBand = true;
      for (double x : w) inBand &= x > -band;
      if (!inBand) continue;
      for (double x : w)
        if (std::fabs(x) < band) return true;
    }
    return false;
  }

 private:
  struct Box {
    double x0, y0, x1, y1;
  };
  const RandomScene& s_;
  const std::vector<Vex3_quarnd>& rays_;
  std::vector<Vex3_quarnd> v_;
  std::vector<Box> box_;
};

struct Piece {
  uint32_t triangle;
  double start, end;
  bool operator==(const Piece& o) const {
    return triangle == o.triangle && start == o.start && end == o.end;
  }
};

// Timelines of the pixel centres after processing every triangle, by the
// whole-interval form (box) or the sub-interval form (hull).
std::vector<std::vector<Piece>> Timelines(const RandomScene& scene, bool hull,
                                          std::vector<Vex3_quarnd>* rays) {
  PPC cam(55, kW, kH);
  SampleLocationBuffer buffer(kW, kH);
  buffer.SetCamera(cam);
  ArrayMotion motion(scene.a, scene.b, scene.triangles);
  TimelineRunOptions options;
  options.region = hull ? SampleRegion::kHull : SampleRegion::kDepthBox;
  ComputeTimelines(buffer, motion, std::vector<int32_t>(size_t(scene.Count()), 1), options);
  std::vector<std::vector<Piece>> lines(size_t(kW * kH));
  rays->assign(size_t(kW * kH), Vex3_quarnd());
  for (int i = 0; i < kW * kH; i++) {
    const SampleLocation& s = buffer.pixels[size_t(i)].samples[0];
    (*rays)[size_t(i)] = Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]);
    for (const TimelineSpan& n : s.timeline)
      lines[size_t(i)].push_back({n.triangleId, n.Start(), n.End()});
  }
  return lines;
}

void CheckScene(uint32_t seed) {
  SCOPED_TRACE("scene seed " + std::to_string(seed));
  RandomScene scene = MakeScene(seed, 24);
  std::vector<Vex3_quarnd> rays, hullRays;
  std::vector<std::vector<Piece>> lines = Timelines(scene, false, &rays);
  // The hull form evaluates only samples that can be covered: same result.
  std::vector<std::vector<Piece>> hullLines = Timelines(scene, true, &hullRays);
  for (size_t i = 0; i < lines.size(); i++)
    ASSERT_TRUE(lines[i] == hullLines[i]) << "seed " << seed << " sample " << i;

  std::set<uint32_t> inTimelines;
  for (const auto& l : lines)
    for (const Piece& p : l) inTimelines.insert(p.triangle);

  // (1) Every triangle seen at a pixel centre at one of 2001 times owns a
  // timeline interval, unless it is visible there for less than the tree
  // form's minimum length.
  Reference ref(scene, rays);
  std::map<int, std::pair<size_t, double>> firstSighting;
  std::set<int> seen;
  for (int k = 0; k < kTimes; k++) {
    double time = double(k) / (kTimes - 1);
    ref.At(time);
    for (size_t i = 0; i < rays.size(); i++) {
      int t = ref.Nearest(i);
      if (t < 0) continue;
      if (!seen.count(t)) firstSighting[t] = {i, time};
      seen.insert(t);
      if (!inTimelines.count(uint32_t(t))) {
        double run = ref.VisibleRun(i, t, time);
        ASSERT_LT(run, 1e-4 + 2e-6) << "seed " << seed << ": triangle " << t << " seen at sample "
                                    << i << " time " << time << " is missing";
        ref.At(time);
      }
    }
  }
  // Triangles in the timelines but never seen at those times own only
  // intervals shorter than 1/2000 of the span.
  for (size_t i = 0; i < lines.size(); i++)
    for (const Piece& p : lines[i])
      if (!seen.count(int(p.triangle))) {
        ASSERT_LT(p.end - p.start, 1.0 / 2000)
            << "seed " << seed << ": triangle " << p.triangle << " never seen but owns ["
            << p.start << ", " << p.end << "] at sample " << i;
      }

  // (2) At random (sample, time) pairs away from interval ends, the
  // timeline's triangle is the nearest one along the ray.
  std::mt19937 rng(seed * 7 + 1);
  std::uniform_int_distribution<size_t> pick(0, rays.size() - 1);
  std::uniform_real_distribution<double> when(0, 1);
  int checked = 0;
  for (int tries = 0; checked < 200 && tries < 5000; tries++) {
    size_t i = pick(rng);
    double time = when(rng);
    bool nearEnd = false;
    int64_t got = -1;
    for (const Piece& p : lines[i]) {
      nearEnd |= std::fabs(time - p.start) < 1e-5 || std::fabs(time - p.end) < 1e-5;
      if (time > p.start && time < p.end) got = p.triangle;
    }
    if (nearEnd) continue;
    ref.At(time);
    if (ref.NearAnEdge(i, 1e-6)) continue;
    int want = ref.Nearest(i);
    if (got != want && want >= 0 && ref.VisibleRun(i, want, time) < 1e-4 + 2e-6) continue;
    ASSERT_EQ(got, want) << "seed " << seed << ": sample " << i << " at time " << time;
    checked++;
  }
  EXPECT_EQ(checked, 200) << "seed " << seed;
  EXPECT_GE(seen.size(), 8u) << "seed " << seed << ": the scene should show several triangles";
}

}  // namespace

TEST(IntervalProperty, MatchesRayCastingOnRandomScenes) {
  for (uint32_t seed = 1; seed <= 10; seed++) CheckScene(seed);
}
