// The sphere forms against brute force: random resting and moving spheres
// in a 32 x 24 view. The interval run's timelines are compared with the
// nearest hit at pixel centres over 2,001 moments; ASL's sets with a
// reference that casts 32 x 32 rays per pixel. The reference's distances
// and rays are its own (SphereReference.h); a check that judges one
// sample's timeline or depth casts exactly that sample's ray, from the
// method's ray origin. Ties are counted, not judged.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "PointSceneRuns.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "SphereReference.h"

namespace {

constexpr int kW = 32, kH = 24;
constexpr int kTimes = 2001;

struct Scene {
  std::vector<Vex3_quarn> from, to;
  double r = 0;
};

// Spheres at depths 40..200 in view, half of them resting; a few pass
// through the near plane (about 31 from the eye) or behind the eye.
Scene MakeScene(uint32_t seed, int count, double r) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> U(-1, 1);
  Scene s;
  s.r = r;
  for (int i = 0; i < count; i++) {
    const float z = -40 - 80 * (U(rng) + 1);
    const float half = 0.55f * -z;
    const Vex3_quarn a(U(rng) * half, U(rng) * half * 0.75f, z);
    Vex3_quarn b = a;
    if (i % 2 == 1) b = a + Vex3_quarn(U(rng) * half * 0.6f, U(rng) * half * 0.4f, U(rng) * 20);
    s.from.push_back(a);
    s.to.push_back(b);
  }
  s.from.push_back(Vex3_quarn(0.5f, 0.3f, -20));
  s.to.push_back(Vex3_quarn(-1.0f, 0.2f, -70));
  s.from.push_back(Vex3_quarn(2, 1, 30));
  s.to.push_back(Vex3_quarn(-2, 1, -60));
  return s;
}

struct Fixture {
  PPC cam{55, kW, kH};
  SampleLocationBuffer buffer{kW, kH};
  SphereReference ref{cam};
  Vex3_quarnd eye;  // where the method's rays start
  Fixture() {
    buffer.SetCamera(cam);
    buffer.ComputeSampleRays();
    eye = buffer.camera->MakeProjector().RayOrigin(Vex3_quarnd(buffer.camera->eye));
  }
};

Vex3_quarnd RayOf(const SampleLocation& s) { return Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]); }

Vex3_quarnd CentreAt(const Scene& s, size_t j, double t) {
  const Vex3_quarnd a(s.from[j]), b(s.to[j]);
  return a + (b - a) * t;
}

struct Nearest {
  int who = -1;  // -1 for none
  double distance = INFINITY;
  bool tie = false;  // the nearest grazes, or another is as near within rounding
};

// Nearest sphere along the unit ray d from `origin` at time t, by the
// reference's distances and its near plane.
Nearest NearestAt(const Scene& s, const SphereReference& ref, const Vex3_quarnd& origin,
                  const Vex3_quarnd& d, double t) {
  Nearest n;
  double second = INFINITY, tied = INFINITY;
  for (size_t j = 0; j < s.from.size(); j++) {
    const SphereHit h = SphereReference::Distance(origin, d, ref.NearAlong(d), CentreAt(s, j, t), s.r);
    if (h.tie) tied = std::min(tied, h.distance);
    if (!h.hit) continue;
    if (h.distance < n.distance) {
      second = n.distance;
      n.distance = h.distance;
      n.who = int(j);
    } else {
      second = std::min(second, h.distance);
    }
  }
  const double band = SphereReference::kTieBand * n.distance;
  n.tie = (tied < INFINITY && tied <= n.distance + band) ||
          (second < INFINITY && second - n.distance <= band);
  return n;
}

TEST(SphereProperty, TimelinesHoldEverySphereSeenAndTheNearestAtEveryMoment) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    Fixture f;
    const Scene s = MakeScene(seed, 40, 3);
    PointRunScene run;
    run.buffer = &f.buffer;
    const int32_t n = int32_t(s.from.size());
    run.frames = {{s.from.data(), n}, {s.to.data(), n}};
    run.radius = s.r;
    std::vector<int32_t> flags;
    run.drawFlags = &flags;
    std::ostringstream out, err;
    run.out = &out;
    run.err = &err;
    int seenPairs = 0, checked = 0, ties = 0;
    const int steps = PointSceneSteps(run, 0, 1, false, [&](int, SampleLocationBuffer& buffer) {
      std::mt19937 rng(seed);
      for (int p = 0; p < kW * kH; p++) {
        const SampleLocation& sl = buffer.pixels[size_t(p)].samples[0];
        std::set<uint32_t> owners;
        if (sl.listTimeline)
          sl.listTimeline->ForEachInterval(
              [&](const CoverageInterval& c) { owners.insert(c.triangleId); });
        // The sample's own ray: the timeline is about that ray.
        std::set<int> seen;
        for (int k = 0; k < kTimes; k++) {
          const Nearest n = NearestAt(s, f.ref, f.eye, RayOf(sl), double(k) / (kTimes - 1));
          if (n.tie) {
            ties++;
            continue;
          }
          if (n.who >= 0) seen.insert(n.who);
        }
        for (int who : seen) {
          seenPairs++;
          EXPECT_TRUE(owners.count(uint32_t(who))) << "seed " << seed << " pixel " << p
                                                   << " sphere " << who;
        }
        // Random moments: the timeline's sphere is the nearest hit.
        for (int q = 0; q < 4; q++) {
          const double t = std::uniform_real_distribution<double>(0, 1)(rng);
          bool nearEnd = false;
          int got = -1;
          if (sl.listTimeline)
            sl.listTimeline->ForEachInterval([&](const CoverageInterval& c) {
              if (std::fabs(t - c.start) < 2e-6 || std::fabs(t - c.end) < 2e-6) nearEnd = true;
              if (c.start <= t && t < c.end) got = int(c.triangleId);
            });
          if (nearEnd) continue;
          const Nearest want = NearestAt(s, f.ref, f.eye, RayOf(sl), t);
          if (want.tie) {
            ties++;
            continue;
          }
          checked++;
          EXPECT_EQ(got, want.who) << "seed " << seed << " pixel " << p << " t " << t;
        }
      }
    });
    EXPECT_EQ(steps, 1);
    EXPECT_GT(seenPairs, 200) << "seed " << seed;
    EXPECT_GT(checked, 2500);
    EXPECT_LT(ties * 10000, kW * kH * kTimes) << ties << " ties";
    EXPECT_EQ(err.str().find("Wrong classification"), std::string::npos);
  }
}

TEST(SphereProperty, AslMissesOnlySpheresHiddenAtAllTheirSamples) {
  for (double r : {0.8, 4.0}) {
    Fixture f;
    Scene s = MakeScene(7, 80, r);
    const int32_t n = int32_t(s.from.size());
    VisibleSet visible(size_t(n), 0);
    std::ostringstream out, err;
    const SphereAslReport report =
        AslSpherePasses(f.buffer, {s.from.data(), n}, r, &visible, "", out, err);
    EXPECT_NE(out.str().find(" visible triangle detected!"), std::string::npos);
    EXPECT_NE(err.str().find("INFO: sls per pixel: min: 1"), std::string::npos);
    // The reference: 32 x 32 of its own rays per pixel.
    std::set<int> reference;
    int ties = 0;
    for (int j = 0; j < kH; j++)
      for (int i = 0; i < kW; i++)
        for (int b = 0; b < 32; b++)
          for (int a = 0; a < 32; a++) {
            const Nearest n =
                NearestAt(s, f.ref, f.ref.eye(), f.ref.Ray(i + (a + 0.5) / 32, j + (b + 0.5) / 32), 0);
            ties += n.tie;
            if (n.who >= 0 && !n.tie) reference.insert(n.who);
          }
    EXPECT_LT(ties * 10000, kW * kH * 32 * 32) << ties << " ties";
    // A sphere ASL misses must be hidden at every sample inside it: judged
    // on each sample's own ray.
    int missed = 0;
    for (int who : reference) {
      if (visible[size_t(who)]) continue;
      missed++;
      int inside = 0;
      for (const PixelSamples& p : f.buffer.pixels)
        for (int32_t k = 0; k < p.count; k++) {
          const SampleLocation& sl = p.samples[size_t(k)];
          const Vex3_quarnd d = RayOf(sl);
          const SphereHit h =
              SphereReference::Distance(f.eye, d, f.ref.NearAlong(d), CentreAt(s, size_t(who), 0), r);
          if (!h.hit) continue;
          inside++;
          const Nearest n = NearestAt(s, f.ref, f.eye, d, 0);
          EXPECT_TRUE(n.tie || (n.who != who && sl.triangleId == n.who))
              << "sphere " << who << " shows at a sample ASL gave " << sl.triangleId;
        }
      EXPECT_GT(inside, 0) << "sphere " << who << " (r " << r << ") has no sample inside it";
    }
    EXPECT_GT(report.samplesAdded, 0);
    EXPECT_GT(report.visible, report.centreVisible - 1);
    EXPECT_GT(int(reference.size()), 20);
    EXPECT_LE(missed, int(reference.size()) / 2) << "r " << r;
  }
}

}  // namespace
