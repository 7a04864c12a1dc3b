#include "PointSceneDrivers.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

#include "SampleLocationBuffer.h"
#include "SoftwareRaster.h"
#include "WorkLayout.h"

namespace {

int StepsOf(const PointRunScene& run) { return int(run.frames.size()) - 1; }
int32_t PointsOf(const PointRunScene& run) {
  return run.frames.empty() ? 0 : run.frames[0].count;
}

// States of unequal point counts cannot be blended.
bool Blendable(const PointRunScene& run) {
  for (const SphereFrame& f : run.frames)
    if (f.count != PointsOf(run)) {
      *run.err << "ERROR: the point states hold " << PointsOf(run) << " and " << f.count
               << " points; nothing is computed." << std::endl;
      return false;
    }
  return !run.frames.empty();
}

int TableRun(const PointRunScene& scene, int first, int last, bool combined,
             PointRunWork* work) {
  std::ostream& out = *scene.out;
  const int32_t n = PointsOf(scene);
  return PointSceneSteps(
      scene, first, last, combined,
      [&](int i, SampleLocationBuffer& buffer) {
        if (combined) out << "Processing from " << i << " to " << i + 1 << "\n";
        out << "Begin Saving canvas" << std::endl;
        const std::string path =
            combined ? layout::CombinedStepTable(i) : layout::PointStepTable(i);
        std::unique_ptr<TriangleIntervalTable> table = BuildIntervalTableFromLists(buffer, n);
        if (!WriteIntervalTable(*table, path))
          *scene.err << "ERROR: could not write the interval table " << path << std::endl;
        out << "Done Saving canvas" << std::endl;
      },
      work);
}

// The step tables there are, null where a step has none.
std::vector<std::unique_ptr<TriangleIntervalTable>> ReadStepTables(
    const PointRunScene& run, std::string (*path)(int), int* found) {
  std::vector<std::unique_ptr<TriangleIntervalTable>> tables;
  *found = 0;
  for (int i = 0; i < StepsOf(run); i++) {
    std::unique_ptr<TriangleIntervalTable> t;
    const std::string p = path(i);
    if (std::ifstream(p)) t = ReadIntervalTable(p);
    // A table of another scene names other points.
    if (t && t->triangleCount != PointsOf(run)) {
      *run.err << "ERROR: " << p << " holds " << t->triangleCount << " points, the scene "
               << PointsOf(run) << "; it is not used" << std::endl;
      t.reset();
    }
    if (t) ++*found;
    tables.push_back(std::move(t));
  }
  return tables;
}

void MarkWindow(const std::vector<std::unique_ptr<TriangleIntervalTable>>& tables, int step,
                double a, double b, std::vector<int32_t>* set) {
  for (int j = step - 1; j <= step + 1; j++)
    if (j >= 0 && j < int(tables.size()) && tables[size_t(j)])
      MarkVisibleInWindow(*tables[size_t(j)], a, b, set->data(), int32_t(set->size()));
}

// The set drawn at a frame: step i, fraction s of it.
using FrameMask = std::function<const std::vector<int32_t>&(int step, double s)>;

// One frame per 1/kPointFramesPerStep of every step and one at the last
// state, each logged with its time and written as "<folder><n>.tif".
void WriteFrames(const PointSceneExperiment& e, const FrameMask& mask, const std::string& folder,
                 const std::string& logPath, bool flyThrough) {
  const PointRunScene& run = e.run;
  std::ostream& out = *run.out;
  const int steps = StepsOf(run);
  if (steps < 1 || !e.drawFrame || e.viewCamera == nullptr || !Blendable(run)) return;
  struct Moment {
    int step;
    double s;
  };
  std::vector<Moment> moments;
  for (int i = 0; i < steps; i++)
    for (double s = 0; s < 1; s += 1.0 / kPointFramesPerStep) moments.push_back({i, s});
  moments.push_back({steps, 0});
  const std::vector<PPC> cameras =
      flyThrough ? PointFlyThroughCameras(*e.viewCamera) : std::vector<PPC>{*e.viewCamera};
  std::ofstream log(logPath);
  const int32_t n = PointsOf(run);
  const size_t last = moments.size() - 1;
  for (size_t f = 0; f < moments.size(); f++) {
    const Moment& m = moments[f];
    const double t = m.step + m.s;
    // The last frame shows the last step's set at its end.
    const std::vector<int32_t>& set = m.step < steps ? mask(m.step, m.s) : mask(steps - 1, 1);
    std::ostringstream label;
    label << t;
    if (log) WriteVisibilityLine(log, label.str(), set.data(), n);
    const size_t c = last > 0 ? (f * (cameras.size() - 1) + last / 2) / last : 0;
    PointFrame frame;
    frame.camera = &cameras[c];
    frame.state = m.step;
    frame.weight = m.s;
    frame.mask = set.data();
    frame.image = layout::Frame(folder, int(f));
    e.drawFrame(frame);
    out << "Done with state " << t << "/" << steps << std::endl;
  }
}

// Per step, the points seen at the given fractions of it.
std::vector<std::vector<int32_t>> SeenPerStep(const PointRunScene& run, const PPC& view,
                                              const std::vector<double>& fractions) {
  std::vector<std::vector<int32_t>> sets;
  if (!Blendable(run)) return sets;
  for (int i = 0; i < StepsOf(run); i++) {
    std::vector<int32_t> seen(size_t(PointsOf(run)), 0);
    for (double s : fractions) {
      if (s >= 1)
        MarkSeenPoints(run, view, i + 1, 0, &seen);
      else
        MarkSeenPoints(run, view, i, s, &seen);
    }
    *run.out << "Step " << i << ": " << std::count(seen.begin(), seen.end(), 1)
             << " points seen" << std::endl;
    sets.push_back(std::move(seen));
  }
  return sets;
}

}  // namespace

int PointSceneRun(const PointRunScene& scene, int first, int last, PointRunWork* work) {
  return TableRun(scene, first, last, false, work);
}

int CombinedRun(const PointRunScene& scene, int first, int last, PointRunWork* work) {
  return TableRun(scene, first, last, true, work);
}

std::vector<PPC> PointFlyThroughCameras(const PPC& view) {
  PPC k1 = view;
  k1.Zoom(1.5f);
  k1.Tilt(-5);
  PPC k2 = k1, k3 = k1;
  k2.Pan(-10);
  k3.Pan(10);
  const PPC keys[] = {view, k1, k2, k3, view};
  std::vector<PPC> cameras;
  for (int i = 0; i + 1 < 5; i++) {
    std::vector<PPC> part = keys[i].Interpolate(keys[i + 1], 60);
    cameras.insert(cameras.end(), part.begin() + (i > 0 ? 1 : 0), part.end());
  }
  return cameras;
}

void MarkSeenPoints(const PointRunScene& run, const PPC& camera, int state, double weight,
                    std::vector<int32_t>* seen) {
  const int steps = StepsOf(run);
  if (steps < 0 || state < 0 || state > steps || !Blendable(run)) return;
  const int32_t n = PointsOf(run);
  const SphereFrame& a = run.frames[size_t(state)];
  const SphereFrame& b = run.frames[size_t(std::min(state + 1, steps))];
  std::vector<Vex3_quarn> points(static_cast<size_t>(n));
  for (int32_t j = 0; j < n; j++)
    points[size_t(j)] = a.centres[j] * float(1 - weight) + b.centres[j] * float(weight);
  PPC cam = camera;
  cam.SetGLAndCache();
  const size_t pixels = size_t(cam.w) * size_t(cam.h);
  std::vector<uint32_t> colour(pixels, 0);
  std::vector<int32_t> ids(pixels, -1);
  std::vector<float> depth(pixels, 0.0f);
  std::vector<float> rays;
  PointSetView view;
  view.count = n;
  view.points = points.data();
  std::ostream quiet(nullptr);
  ParticleRaster(view, colour.data(), ids.data(), depth.data(), cam, &rays, float(run.radius),
                 quiet);
  for (int32_t id : ids)
    if (id >= 0 && id < n) (*seen)[size_t(id)] = 1;
}

bool CombinedImages(const PointSceneExperiment& e) {
  int found = 0;
  const auto tables = ReadStepTables(e.run, layout::CombinedStepTable, &found);
  if (found == 0) {
    *e.run.out << "\"generate Img\": no combined table " << layout::CombinedStepTable(0)
               << " ... is there; run \"ASL+GFB\" first" << std::endl;
    return false;
  }
  std::vector<std::vector<int32_t>> sets;
  for (int i = 0; i < StepsOf(e.run); i++) {
    std::vector<int32_t> set(size_t(PointsOf(e.run)), 0);
    MarkWindow(tables, i, i, i + 1, &set);
    sets.push_back(std::move(set));
  }
  WriteFrames(
      e, [&](int step, double) -> const std::vector<int32_t>& { return sets[size_t(step)]; },
      layout::ImageFolder("GFB_ASL"), layout::kCombinedExpLog, true);
  return true;
}

void CombinedControl(const PointSceneExperiment& e) {
  if (StepsOf(e.run) < 1 || e.viewCamera == nullptr || !Blendable(e.run)) return;
  const auto sets = SeenPerStep(e.run, *e.viewCamera, {0.0, 1.0});
  WriteFrames(
      e, [&](int step, double) -> const std::vector<int32_t>& { return sets[size_t(step)]; },
      layout::ImageFolder("Control"), layout::kCombinedControlLog, true);
}

void PointSceneControl(const PointSceneExperiment& e, const std::string& logPath) {
  if (StepsOf(e.run) < 1 || e.viewCamera == nullptr || !Blendable(e.run)) return;
  const auto sets = SeenPerStep(e.run, *e.viewCamera, {0.0, 1.0});
  WriteFrames(
      e, [&](int step, double) -> const std::vector<int32_t>& { return sets[size_t(step)]; },
      layout::ImageFolder("Control"), logPath, false);
}

void CombinedTruth(const PointSceneExperiment& e) {
  if (StepsOf(e.run) < 1 || e.viewCamera == nullptr || !Blendable(e.run)) return;
  std::vector<double> fractions;
  for (int k = 0; k < kTruthMomentsPerStep; k++) fractions.push_back(double(k) / kTruthMomentsPerStep);
  fractions.push_back(1.0);
  const auto sets = SeenPerStep(e.run, *e.viewCamera, fractions);
  WriteFrames(
      e, [&](int step, double) -> const std::vector<int32_t>& { return sets[size_t(step)]; },
      layout::ImageFolder("Truth"), layout::kCombinedTruthLog, true);
}

bool PointSceneReplay(const PointSceneExperiment& e) {
  int found = 0;
  const auto tables = ReadStepTables(e.run, layout::PointStepTable, &found);
  if (found == 0) {
    *e.run.out << "\"Play Visible triangles\": no table " << layout::PointStepTable(0)
               << " ... is there; run \"GFB_DBG\" first" << std::endl;
    return false;
  }
  // Each frame draws the points visible within half a frame of its time.
  const double half = 0.5 / kPointFramesPerStep;
  std::vector<int32_t> set(size_t(PointsOf(e.run)), 0);
  WriteFrames(
      e,
      [&](int step, double s) -> const std::vector<int32_t>& {
        std::fill(set.begin(), set.end(), 0);
        const double t = step + s;
        MarkWindow(tables, step, t - half, t + half, &set);
        return set;
      },
      layout::ImageFolder("GFB_result"), layout::kReplayLog, false);
  return true;
}
