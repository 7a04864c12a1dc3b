// The point scenes' interval run over one step of a generated scene of
// moving spheres in a 1280 x 720 view: time and (sphere, sample) coverage
// tests per second; then the combined run (ASL's samples first) and ASL on
// one frame.
//
//   bench_point_scene [points] [radius]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "BenchSupport.h"
#include "PPC.h"
#include "PointSceneRuns.h"
#include "SampleLocationBuffer.h"

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
  const double radius = argc > 2 ? std::atof(argv[2]) : 0.8;
  // A cloud 100 to 200 units in front of the eye filling the view; every
  // point moves by up to two units (about 16 pixels at 150).
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> U(-1, 1);
  std::vector<Vex3_quarn> a(static_cast<size_t>(n)), b(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) {
    const float z = -150 + 50 * U(rng);
    a[size_t(i)] = Vex3_quarn(U(rng) * 0.55f * -z, U(rng) * 0.32f * -z, z);
    b[size_t(i)] = a[size_t(i)] + Vex3_quarn(U(rng), U(rng), U(rng));
  }
  PPC cam(55, 1280, 720);
  cam.zNear = 10;
  cam.zFar = 100000;
  SampleLocationBuffer buffer(1280, 720);
  buffer.SetCamera(cam);
  std::vector<int32_t> flags;
  std::ostringstream sink;
  PointRunScene run;
  run.buffer = &buffer;
  run.frames = {{a.data(), n}, {b.data(), n}};
  run.radius = radius;
  run.drawFlags = &flags;
  run.out = &sink;
  run.err = &sink;

  for (bool combined : {false, true}) {
    PointRunWork work;
    int64_t kept = 0, withTimeline = 0;
    std::vector<int32_t> seen(static_cast<size_t>(n), 0);
    const double c0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    PointSceneSteps(run, 0, 1, combined,
                    [&](int, SampleLocationBuffer& buf) {
                      for (const PixelSamples& p : buf.pixels)
                        for (int32_t i = 0; i < p.count; i++)
                          if (SuperPixel* sp = p.samples[size_t(i)].listTimeline.get()) {
                            withTimeline++;
                            kept += sp->CountIntervals();
                          }
                      buf.CollectTimelineTriangles(seen);
                    },
                    &work);
    const double wall = Seconds(t0), cpu = CpuSeconds() - c0;
    int visible = 0;
    for (int32_t v : seen) visible += v;
    std::printf("%s, %d spheres of radius %.2f, one step, 1280 x 720\n",
                combined ? "combined run (ASL samples, then intervals)" : "interval run", n,
                radius);
    std::printf("  whole run: wall %.2f s, processor %.2f s\n", wall, cpu);
    std::printf("  step (reset, rays%s, insertion): wall %.2f s\n",
                combined ? ", placement" : "", work.seconds);
    std::printf("  coverage and insertion loop: wall %.2f s, processor %.2f s\n",
                work.insertSeconds, work.insertCpuSeconds);
    std::printf("  sphere-sample tests: %lld, %.2f M per processor second of the loop (%.2f M "
                "per wall second of the step)\n",
                (long long)work.sampleTests, work.sampleTests / work.insertCpuSeconds / 1e6,
                work.sampleTests / work.seconds / 1e6);
    std::printf("  samples added: %lld; intervals produced %lld, kept %lld in %lld timelines\n",
                (long long)work.samplesAdded, (long long)work.intervals, (long long)kept,
                (long long)withTimeline);
    std::printf("  spheres visible over the step: %d\n", visible);
  }

  VisibleSet visible(static_cast<size_t>(n), 0);
  const auto t0 = std::chrono::steady_clock::now();
  const SphereAslReport r = AslSpherePasses(buffer, {a.data(), n}, radius, &visible, "", sink, sink);
  std::printf("ASL on one frame: wall %.2f s; visible at pixel centres %d, with ASL %d; samples "
              "added %lld\n",
              Seconds(t0), r.centreVisible, r.visible, (long long)r.samplesAdded);
  std::printf("peak memory %.0f MB\n", PeakMB());
  return 0;
}
