// The point scenes' sphere runs: "GFB_DBG" on them, the combined runs
// "ASL+GFB", "ASL+GFB control", "ASL+GFB truth", "generate Img", and the
// replay of "Play Visible triangles". Unpacks the Scene, reads the step
// bounds the runs ask for, and hands over to the drivers
// (evaluation/PointSceneDrivers.h); frames are drawn in the view window.
#include <algorithm>
#include <fstream>
#include <limits>

#include "ControlPanel.h"
#include "FrameBuffer.h"
#include "ParticleSet.h"
#include "PointSceneDrivers.h"
#include "Scene.h"
#include "TiffWindow.h"
#include "WorkLayout.h"

namespace {

// Two integers from the console; false (the rest of the line dropped)
// when it holds something else.
bool ReadTwo(std::istream& in, int* first, int* last) {
  if (in >> *first >> *last) return true;
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  return false;
}

// Asks for the step bounds and checks them against the loaded states
// before a run prepares anything, so that refused bounds change nothing.
bool ReadPointSteps(Scene& s, int* first, int* last) {
  *s.output << "Give first and last state" << std::endl;
  const bool numbers = ReadTwo(*s.input, first, last);
  PointRunScene states;
  states.frames.resize(s.loaded.particleStates.size());
  states.err = s.errors;
  return CheckPointSteps(states, numbers, *first, *last);
}

}  // namespace

bool Scene::PointSceneReady(const char* label) {
  if (loaded.PointScene() && loaded.particleStates.size() >= 2 && loaded.particleDrawState &&
      loaded.triangleCount > 0) {
    if (buffers.drawFlags.size() != size_t(loaded.triangleCount))
      buffers.drawFlags.assign(size_t(loaded.triangleCount), 1);
    return true;
  }
  *output << "\"" << label
          << "\": needs a point scene of at least two states; choose \"Water Flow\" or "
             "\"Fusion\" and press \"Scene Setup\" first"
          << std::endl;
  return false;
}

PointSceneExperiment Scene::PointExperiment(const PPC& view, bool sampling) {
  PointSceneExperiment e;
  PointRunScene& run = e.run;
  if (sampling) run.buffer = &SampleBuffer(1);
  for (const ParticleSet& s : loaded.particleStates)
    run.frames.push_back({s.positions.data(), int32_t(s.positions.size())});
  run.radius = loaded.radius;
  run.drawFlags = &buffers.drawFlags;
  if (sampling && !buffers.intervalRunLog)
    buffers.intervalRunLog = std::make_unique<std::ofstream>(layout::kIntervalLog);
  run.runLog = buffers.intervalRunLog.get();
  run.out = output;
  run.err = errors;
  e.viewCamera = &view;
  e.drawFrame = [this](const PointFrame& f) {
    const int last = int(loaded.particleStates.size()) - 1;
    const int a = std::min(f.state, last), b = std::min(f.state + 1, last);
    *views.viewCamera = *f.camera;
    loaded.particleDrawState->Interpolate(loaded.particleStates[size_t(a)],
                                          loaded.particleStates[size_t(b)], a == b ? 0 : f.weight);
    std::copy(f.mask, f.mask + buffers.drawFlags.size(), buffers.drawFlags.begin());
    views.viewWindow->renderMode = render_mode::kPointFootage;
    RedrawView();
    SaveImage(f.image, views.viewWindow.get(), *output, *errors);
  };
  return e;
}

void Scene::PointSceneGfb() {
  if (!PointSceneReady("GFB_DBG")) return;
  int first = 0, last = 0;
  if (!ReadPointSteps(*this, &first, &last)) return;
  const PPC view = *views.viewCamera;
  ::PointSceneRun(PointExperiment(view).run, first, last);
}

void Scene::CombinedRun() {
  if (!PointSceneReady("ASL+GFB")) return;
  int first = 0, last = 0;
  if (!ReadPointSteps(*this, &first, &last)) return;
  const PPC view = *views.viewCamera;
  ::CombinedRun(PointExperiment(view).run, first, last);
}

namespace {

// The image members move the view camera and the draw flags frame by
// frame; both are restored afterwards.
template <typename F>
void WithFrames(Scene& s, bool sampling, F&& run) {
  const PPC view = *s.views.viewCamera;
  const std::vector<int32_t> flags = s.buffers.drawFlags;
  run(s.PointExperiment(view, sampling));
  *s.views.viewCamera = view;
  s.buffers.drawFlags = flags;
  s.RedrawView();
}

}  // namespace

void Scene::CombinedControl() {
  if (!PointSceneReady("ASL+GFB control")) return;
  WithFrames(*this, true, [](const PointSceneExperiment& e) { ::CombinedControl(e); });
}

void Scene::CombinedTruth() {
  if (!PointSceneReady("ASL+GFB truth")) return;
  WithFrames(*this, true, [](const PointSceneExperiment& e) { ::CombinedTruth(e); });
}

void Scene::CombinedImages() {
  if (!PointSceneReady("generate Img")) return;
  // The images and the replay only read the stored tables.
  WithFrames(*this, false, [](const PointSceneExperiment& e) { ::CombinedImages(e); });
}

void Scene::PlayPointSceneReplay() {
  if (!PointSceneReady("Play Visible triangles")) return;
  WithFrames(*this, false, [](const PointSceneExperiment& e) { PointSceneReplay(e); });
}
