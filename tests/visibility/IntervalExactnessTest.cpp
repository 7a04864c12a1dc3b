// The whole-interval method against brute-force ray casting on scenes that
// look like real data: closed subdivided surfaces in front of each other,
// rigid rotation off the view axis, motion in depth, sheets whose shared
// edges sweep past the samples. One sample per pixel.
//
//   standing still: the visible set equals ray casting at the pixel centres;
//   moving: every triangle ray casting sees at one of 1,001 moments is in
//     the set, and at the middle of every timeline piece the piece's
//     triangle is the nearest hit;
//   nothing behind a surface that covers a sample throughout ever appears.
//
// Exact ties (a ray on an edge, equal depths) are counted, not judged; a
// piece too short to be checked at its middle after the 1e-6 rounding of
// interval ends is checked around its ends instead.
//
// The reference casts its own rays, the ideal pinhole of the camera record
// from the camera's eye, except where a check judges one sample's timeline:
// that is a statement about the method's own ray, so there the reference
// casts exactly the method's ray from the method's ray origin (and the
// method's rays are checked against the reference's to 1e-4 pixels).
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <thread>

#include "IntervalRuns.h"
#include "PPC.h"
#include "RayCaster.h"
#include "SampleLocationBuffer.h"
#include "Surfaces.h"

namespace {

struct MovingScene {
  std::vector<Vex3_quarn> a, b;  // positions at time 0 and 1
  std::vector<uint32_t> triangles;
  void Add(const SurfaceMesh& start, const std::vector<Vex3_quarn>& end) {
    const uint32_t base = uint32_t(a.size());
    a.insert(a.end(), start.positions.begin(), start.positions.end());
    b.insert(b.end(), end.begin(), end.end());
    for (uint32_t i : start.triangles) triangles.push_back(base + i);
  }
  void AddStill(const SurfaceMesh& m) { Add(m, m.positions); }
  int32_t Count() const { return int32_t(triangles.size() / 3); }
};

PPC Camera(int w, int h, const Vex3_quarn& eye, const Vex3_quarn& target) {
  PPC cam(55, w, h);
  cam.PositionAndOrient(eye, target - eye, Vex3_quarn(0, 1, 0));
  cam.zNear = 0.5f;
  cam.zFar = 1000;
  return cam;
}

struct Piece {
  uint32_t triangle;
  double start, end;
  bool operator==(const Piece& o) const {
    return triangle == o.triangle && start == o.start && end == o.end;
  }
};

// The method's timelines of every pixel centre, its rays and where they
// start.
struct RunResult {
  std::vector<std::vector<Piece>> lines;
  std::vector<Vex3_quarnd> rays;
  Vex3_quarnd origin;
  std::set<uint32_t> visible;
};

RunResult RunMethod(const MovingScene& scene, const PPC& cam, bool hull) {
  SampleLocationBuffer buffer(cam.w, cam.h);
  buffer.SetCamera(cam);
  ArrayMotion motion(scene.a, scene.b, scene.triangles);
  TimelineRunOptions options;
  options.region = hull ? SampleRegion::kHull : SampleRegion::kDepthBox;
  ComputeTimelines(buffer, motion, std::vector<int32_t>(size_t(scene.Count()), 1), options);
  RunResult r;
  r.origin = buffer.camera->MakeProjector().RayOrigin(Vex3_quarnd(buffer.camera->eye));
  r.lines.resize(buffer.pixels.size());
  for (size_t i = 0; i < buffer.pixels.size(); i++) {
    const SampleLocation& s = buffer.pixels[i].samples[0];
    r.rays.push_back(Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]));
    for (const TimelineSpan& n : s.timeline) {
      r.lines[i].push_back({n.triangleId, n.Start(), n.End()});
      r.visible.insert(n.triangleId);
    }
  }
  return r;
}

RayCaster Reference(const MovingScene& scene, const PPC& cam) {
  RayCaster rc(cam);
  for (int32_t t = 0; t < scene.Count(); t++) {
    Vex3_quarn a[3], b[3];
    for (int k = 0; k < 3; k++) {
      a[k] = scene.a[scene.triangles[3 * size_t(t) + k]];
      b[k] = scene.b[scene.triangles[3 * size_t(t) + k]];
    }
    rc.AddTriangle(t, a, b);
  }
  return rc;
}

// The samples' rays meet the reference's image plane within 1e-4 pixels of
// their pixel centres.
void ExpectSameRays(const RayCaster& rc, const RunResult& run, int w) {
  for (size_t i = 0; i < run.rays.size(); i++) {
    double x = 0, y = 0;
    ASSERT_TRUE(rc.WindowOf(run.rays[i], &x, &y)) << "sample " << i;
    ASSERT_NEAR(x, double(i % size_t(w)) + 0.5, 1e-4) << "sample " << i;
    ASSERT_NEAR(y, double(i / size_t(w)) + 0.5, 1e-4) << "sample " << i;
  }
}

// Standing still: the two visible sets agree but for ties.
void CheckStill(const MovingScene& scene, const PPC& cam, const RunResult& run) {
  RayCaster rc = Reference(scene, cam);
  rc.BinAt(0);
  std::set<int32_t> seen, seenAtTie;
  for (size_t i = 0; i < run.rays.size(); i++) {
    const RayHit h = rc.Cast(rc.WindowRay(double(i % size_t(cam.w)) + 0.5,
                                          double(i / size_t(cam.w)) + 0.5), 0.5);
    if (h.id < 0) continue;
    (h.tie ? seenAtTie : seen).insert(h.id);
  }
  std::set<int32_t> ties;
  for (int32_t t : seenAtTie)
    if (!seen.count(t) && !run.visible.count(uint32_t(t))) ties.insert(t);
  for (int32_t t : seen) EXPECT_TRUE(run.visible.count(uint32_t(t))) << "triangle " << t << " is seen but missing";
  for (uint32_t t : run.visible) {
    if (seen.count(int32_t(t))) continue;
    if (seenAtTie.count(int32_t(t))) {
      ties.insert(int32_t(t));
      continue;
    }
    ADD_FAILURE() << "triangle " << t << " is reported but never seen";
  }
  EXPECT_LT(ties.size() * 10000, size_t(scene.Count()) + 1) << ties.size() << " ties";
}

// Runs f(i) for i in [0, n) on every core.
template <typename F>
void ParallelFor(size_t n, F&& f) {
  const size_t threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> pool;
  for (size_t k = 0; k < threads; k++)
    pool.emplace_back([&, k]() {
      for (size_t i = n * k / threads; i < n * (k + 1) / threads; i++) f(i);
    });
  for (std::thread& t : pool) t.join();
}

// Moving: every timeline piece holds the nearest triangle at its middle
// (pieces too short for that after rounding are checked around them), and
// every triangle seen at one of `moments` evenly spaced times is in the set.
void CheckMoving(const MovingScene& scene, const PPC& cam, const RunResult& run, int moments) {
  ExpectSameRays(Reference(scene, cam), run, cam.w);
  // A piece is a statement about the method's ray: cast exactly that ray.
  RayCaster rc = Reference(scene, cam);
  rc.SetRayOrigin(run.origin);
  rc.BinSpans(64);
  // Per sample, the first piece that is wrong (or -1), and counts.
  std::vector<int> wrong(run.lines.size(), -1);
  std::vector<int32_t> tieOf(run.lines.size(), -1);
  std::vector<int> rounding(run.lines.size(), 0);
  ParallelFor(run.lines.size(), [&](size_t i) {
    for (size_t k = 0; k < run.lines[i].size(); k++) {
      const Piece& p = run.lines[i][k];
      const RayHit h = rc.Cast(run.rays[i], 0.5 * (p.start + p.end));
      if (h.id == int32_t(p.triangle)) continue;
      if (h.tie) {
        tieOf[i] = int32_t(p.triangle);
        continue;
      }
      // Each end may lie up to 5e-7 from the exact time it stands for.
      bool somewhere = false;
      for (int j = 0; j <= 8 && !somewhere && p.end - p.start < 2.5e-6; j++) {
        const double t = p.start - 5e-7 + (p.end - p.start + 1e-6) * j / 8;
        somewhere = rc.Cast(run.rays[i], std::clamp(t, 0.0, 1.0)).id == int32_t(p.triangle);
      }
      if (somewhere) {
        rounding[i]++;
        continue;
      }
      wrong[i] = int(k);
      return;
    }
  });
  std::set<int32_t> tieTriangles;
  for (size_t i = 0; i < run.lines.size(); i++) {
    if (tieOf[i] >= 0) tieTriangles.insert(tieOf[i]);
    if (wrong[i] < 0) continue;
    const Piece& p = run.lines[i][size_t(wrong[i])];
    FAIL() << "sample " << i << ": piece [" << p.start << ", " << p.end << "] of triangle "
           << p.triangle << " is not the nearest at its middle";
  }

  // The visible set against the reference's own rays at the pixel centres.
  RayCaster own = Reference(scene, cam);
  std::vector<Vex3_quarnd> rays(run.rays.size());
  for (size_t i = 0; i < rays.size(); i++)
    rays[i] = own.WindowRay(double(i % size_t(cam.w)) + 0.5, double(i / size_t(cam.w)) + 0.5);
  std::vector<uint8_t> inSet(size_t(scene.Count()), 0);
  for (uint32_t t : run.visible) inSet[t] = 1;
  std::vector<int32_t> missing(run.rays.size());
  for (int k = 0; k < moments; k++) {
    const double t = double(k) / (moments - 1);
    own.BinAt(t);
    ParallelFor(run.rays.size(), [&](size_t i) {
      missing[i] = -1;
      const RayHit h = own.Cast(rays[i], t);
      if (h.id < 0 || inSet[size_t(h.id)]) return;
      if (h.tie) {
        missing[i] = -2 - h.id;
        return;
      }
      // Seen for less than a rounding step around this moment: too short
      // for any interval of the table.
      if (own.Cast(rays[i], std::max(0.0, t - 1e-6)).id != h.id ||
          own.Cast(rays[i], std::min(1.0, t + 1e-6)).id != h.id)
        return;
      missing[i] = h.id;
    });
    for (size_t i = 0; i < run.rays.size(); i++) {
      if (missing[i] <= -2) tieTriangles.insert(-2 - missing[i]);
      if (missing[i] >= 0)
        FAIL() << "triangle " << missing[i] << " is seen at sample " << i << " at time " << t
               << " but missing";
    }
  }
  EXPECT_LT(tieTriangles.size() * 10000, size_t(scene.Count()) + 1)
      << tieTriangles.size() << " triangles judged at ties";
}

// Both forms of the triangle loop (screen box, screen hull) give the same
// timelines.
void ExpectHullFormAgrees(const MovingScene& scene, const PPC& cam, const RunResult& run) {
  RunResult hull = RunMethod(scene, cam, true);
  for (size_t i = 0; i < run.lines.size(); i++)
    ASSERT_TRUE(run.lines[i] == hull.lines[i]) << "sample " << i;
}

constexpr int kW = 240, kH = 180;
// Moments of the dense check. The sanitizer build runs the same paths on
// fewer moments; the full count runs in the plain build.
#ifdef WB_SANITIZER_BUILD
constexpr int kMoments = 201;
#else
constexpr int kMoments = 1001;
#endif

// A bumpy blob in front of a torus in front of a sphere, and a small
// sphere beside the blob's rim; the objects never pass through each other.
MovingScene Objects(float turn, const Vex3_quarn& torusShift, float sphereTurn) {
  MovingScene s;
  const Vex3_quarn blobAt(0, 0, -25), torusAt(3, 1, -45), sphereAt(-4, -2, -70);
  SurfaceMesh blob = BumpyBlob(4, blobAt, 5, 0.25f, 7);
  SurfaceMesh torus = Torus(64, 24, torusAt, 6, 2);
  SurfaceMesh sphere = Icosphere(3, sphereAt, 9);
  SurfaceMesh small = Icosphere(2, {6, 3, -30}, 1.5f);
  s.Add(blob, Rotated(blob.positions, blobAt, {0.3f, 1, 0.2f}, turn));
  s.Add(torus, Translated(Rotated(torus.positions, torusAt, {1, 0.2f, 0}, turn * 0.5f), torusShift));
  s.Add(sphere, Rotated(sphere.positions, sphereAt, {0, 0.4f, 1}, sphereTurn));
  s.AddStill(small);
  return s;
}

}  // namespace

TEST(IntervalExactness, StandingStillEqualsRayCasting) {
  // At the origin, and far from it, where the float matrices place the eye
  // of the window rays a little off the camera's own.
  for (const Vex3_quarn at : {Vex3_quarn(0, 0, 0), Vex3_quarn(9000, 4000, -7000)}) {
    SCOPED_TRACE(at.x);
    const PPC cam = Camera(kW, kH, at, at + Vex3_quarn(0, 0, -40));
    MovingScene scene = Objects(0, {0, 0, 0}, 0);
    scene.a = scene.b = Translated(scene.a, at);
    const RunResult run = RunMethod(scene, cam, false);
    RayCaster rc = Reference(scene, cam);
    ExpectSameRays(rc, run, kW);
    CheckStill(scene, cam, run);
    ExpectHullFormAgrees(scene, cam, run);
  }
}

TEST(IntervalExactness, RotationAndDepthMotionMatchDenseRayCasting) {
  const PPC cam = Camera(kW, kH, {0, 0, 0}, {0, 0, -40});
  // The blob turns 30 degrees about an axis off the view axis, the torus
  // turns and moves in depth and sideways, the back sphere spins.
  const MovingScene scene = Objects(30, {-2, 1, 5}, 40);
  const RunResult run = RunMethod(scene, cam, false);
  CheckMoving(scene, cam, run, kMoments);
  ExpectHullFormAgrees(scene, cam, run);
}

TEST(IntervalExactness, SubPixelTrianglesMatchDenseRayCasting) {
  // About 26,000 triangles, most of them far below a pixel, turning.
  const PPC cam = Camera(kW, kH, {0, 0, 0}, {0, 0, -40});
  MovingScene s;
  SurfaceMesh blob = BumpyBlob(5, {0, 0, -60}, 5, 0.3f, 3);
  s.Add(blob, Rotated(blob.positions, {0, 0, -60}, {1, 1, 0.2f}, 30));
  SurfaceMesh torus = Torus(100, 30, {2, 1, -80}, 6, 2);
  s.Add(torus, Rotated(torus.positions, {2, 1, -80}, {0.2f, 1, 0}, 20));
  CheckMoving(s, cam, RunMethod(s, cam, false), kMoments);
}

TEST(IntervalExactness, SurfacesPassingThroughEachOther) {
  // Two spheres move through each other: along many rays their order in
  // depth changes while both cover the ray.
  const PPC cam = Camera(kW, kH, {0, 0, 0}, {0, 0, -40});
  MovingScene s;
  SurfaceMesh a = Icosphere(3, {-3, 0, -30}, 4);
  SurfaceMesh b = Icosphere(3, {3, 0, -32}, 4);
  s.Add(a, Translated(a.positions, {3, 0, 0}));
  s.Add(b, Translated(b.positions, {-3, 0, 0}));
  CheckMoving(s, cam, RunMethod(s, cam, false), kMoments);
}

TEST(IntervalExactness, SheetsWithSharedEdgesNeverOpen) {
  // A front sheet covering the whole view at every moment over a back
  // sheet, moved in its plane, turned about the view axis and pushed
  // back, tilted in depth, and turned about an axis off the view axis.
  const PPC cam = Camera(160, 120, {0, 0, 0}, {0, 0, -1});
  const SurfaceMesh front = Sheet(-12, 12, -8, 8, -10, 48, 32);
  const SurfaceMesh back = Sheet(-25, 25, -15, 15, -20, 10, 10);
  const std::vector<std::vector<Vex3_quarn>> moves = {
      Translated(front.positions, {0.37f, 0.21f, 0}),
      Translated(Rotated(front.positions, {0, 0, -10}, {0, 0, 1}, 7), {0, 0, -0.7f}),
      Rotated(front.positions, {0, 0, -10}, {1, 0, 0}, 20),
      Rotated(front.positions, {1, -0.5f, -10}, {0.3f, 1, 0.4f}, 15)};
  for (size_t k = 0; k < moves.size(); k++) {
    SCOPED_TRACE("motion " + std::to_string(k));
    MovingScene s;
    s.Add(front, moves[k]);
    s.AddStill(back);
    const RunResult run = RunMethod(s, cam, false);
    ASSERT_FALSE(run.visible.empty());
    EXPECT_LT(*run.visible.rbegin(), uint32_t(front.TriangleCount())) << "the back sheet shows";
    CheckMoving(s, cam, run, kMoments);
  }
}
