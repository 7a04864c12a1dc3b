#include "PointSceneRuns.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "Asl.h"
#include "SampleLocationBuffer.h"

namespace {

double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

struct Camera {
  Projector proj;
  Vex3_quarnd eye;
};

Camera CameraOf(const SampleLocationBuffer& buffer) {
  Camera c;
  c.proj = buffer.camera->MakeProjector();
  c.eye = c.proj.RayOrigin(Vex3_quarnd(buffer.camera->eye));
  return c;
}

void DepthPass(SampleLocationBuffer& buffer, const Camera& cam, const SphereFrame& frame,
               double r, VisibleSet* visible) {
  ClearSphereDepths(buffer);
  for (int32_t j = 0; j < frame.count; j++)
    ResolveSphereAtSamples(buffer, cam.proj, cam.eye, Vex3_quarnd(frame.centres[j]), r, j);
  std::fill(visible->begin(), visible->end(), 0);
  CollectSampleTriangles(buffer, *visible);
}

int64_t Place(SampleLocationBuffer& buffer, const Camera& cam,
              const std::vector<Vex3_quarnd>& corners, const SphereFrame& frame, double r,
              std::ostream& out) {
  int64_t added = 0;
  for (int32_t j = 0; j < frame.count; j++) {
    if (j % 10000 == 0) out << "\r" << j << "/" << frame.count << " is done" << std::flush;
    added += PlaceSamplesForSphere(buffer, cam.proj, cam.eye, corners,
                                   Vex3_quarnd(frame.centres[j]), r);
  }
  out << "\r" << frame.count << "/" << frame.count << " is done\n";
  return added;
}

}  // namespace

SphereAslReport AslSpherePasses(SampleLocationBuffer& buffer, const SphereFrame& frame, double r,
                                VisibleSet* visible, const std::string& path, std::ostream& out,
                                std::ostream& err) {
  SphereAslReport report;
  if (!buffer.camera || visible == nullptr) return report;
  const Camera cam = CameraOf(buffer);
  buffer.Reset();
  buffer.ComputeSampleRays();

  DepthPass(buffer, cam, frame, r, visible);
  report.centreVisible = int32_t(std::count(visible->begin(), visible->end(), 1));
  out << report.centreVisible << " visible triangle detected!" << std::endl;

  const std::vector<Vex3_quarnd> corners =
      CornerRayGrid(cam.proj, cam.eye, buffer.width, buffer.height);
  report.samplesAdded = Place(buffer, cam, corners, frame, r, out);
  buffer.ReportStatistics(err);

  DepthPass(buffer, cam, frame, r, visible);
  report.visible = WriteVisibleSet(*visible, path.empty() ? nullptr : path.c_str(), out, err);
  return report;
}

bool CheckPointSteps(const PointRunScene& scene, bool numbers, int first, int last) {
  const int frames = int(scene.frames.size());
  if (numbers && first >= 0 && first < last && last <= frames - 1) return true;
  *scene.err << "Step bounds must be two integers with 0 <= first < last <= " << frames - 1
             << "; nothing is computed." << std::endl;
  return false;
}

int PointSceneSteps(const PointRunScene& scene, int first, int last, bool placeSamples,
                    const PointStepDone& stepDone, PointRunWork* work) {
  SampleLocationBuffer& buffer = *scene.buffer;
  std::ostream& out = *scene.out;
  if (!buffer.camera || scene.frames.empty()) return 0;
  if (!CheckPointSteps(scene, true, first, last)) return 0;
  const int32_t count = scene.frames[0].count;
  for (const SphereFrame& f : scene.frames)
    if (f.count != count) {
      *scene.err << "ERROR: the point states hold " << count << " and " << f.count
                 << " points; nothing is computed." << std::endl;
      return 0;
    }
  if (scene.drawFlags) scene.drawFlags->assign(size_t(count), 1);
  if (!placeSamples) out << "Processing " << first << " through " << last << std::endl;
  const Camera cam = CameraOf(buffer);
  std::vector<Vex3_quarnd> corners;
  std::vector<Vex3_quarn> middle;
  int steps = 0;
  for (int i = first; i < last; i++) {
    const auto t0 = std::chrono::steady_clock::now();
    if (placeSamples) out << "Processing from " << i << " to " << i + 1 << std::endl;
    buffer.Reset();
    buffer.ComputeSampleRays();
    const SphereFrame& a = scene.frames[size_t(i)];
    const SphereFrame& b = scene.frames[size_t(i) + 1];
    if (placeSamples) {
      if (corners.empty()) corners = CornerRayGrid(cam.proj, cam.eye, buffer.width, buffer.height);
      middle.resize(size_t(count));
      for (int32_t j = 0; j < count; j++) middle[size_t(j)] = (a.centres[j] + b.centres[j]) * 0.5f;
      int64_t added = Place(buffer, cam, corners, a, scene.radius, out);
      added += Place(buffer, cam, corners, {middle.data(), count}, scene.radius, out);
      added += Place(buffer, cam, corners, b, scene.radius, out);
      buffer.ReportStatistics(*scene.err);
      if (work) work->samplesAdded += added;
    }
    SphereStep step;
    step.from = a.centres;
    step.to = b.centres;
    step.count = count;
    step.k = i;
    step.radius = scene.radius;
    const auto i0 = std::chrono::steady_clock::now();
    const double c0 = ThreadSeconds();
    const SphereStepWork w = InsertStepIntervals(buffer, step, nullptr, out, *scene.err);
    if (work) {
      work->insertCpuSeconds += ThreadSeconds() - c0;
      work->insertSeconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - i0).count();
    }
    if (scene.runLog && *scene.runLog)
      for (int32_t j = 0; j < count; j++) *scene.runLog << "\n";
    out << "\n";
    if (work) {
      work->sampleTests += w.sampleTests;
      work->intervals += w.intervals;
      work->seconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    if (stepDone) stepDone(i, buffer);
    buffer.Reset();
    steps++;
  }
  return steps;
}
