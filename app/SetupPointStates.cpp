// The point-state scheme: "Water Flow" and "Fusion", whose states are point
// sets (the points stand in for triangles in the per-triangle tables).
#include <ostream>
#include <memory>

#include "Format.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneSetupSteps.h"
#include "VisibleSet.h"
#include "WorkLayout.h"

namespace {

std::string StatePath(const CatalogueEntry& e, int file) {
  return layout::StateFile(EntryDataPath(e), file);
}

// Per point, the unit direction toward the same point of `next`, kept in the
// state's second per-point array.
void MotionDirections(ParticleSet& s, const ParticleSet& next, std::ostream& err) {
  const size_t n = std::min(s.positions.size(), next.positions.size());
  if (s.positions.size() != next.positions.size())
    err << "ERROR: point states of " << s.positions.size() << " and "
              << next.positions.size() << " points; directions only for the first " << n
              << std::endl;
  s.colors.assign(s.positions.size(), Vex3_quarn());
  for (size_t i = 0; i < n; i++) s.colors[i] = (next.positions[i] - s.positions[i]).Normalized();
}

}  // namespace

bool SetupPointStates(Scene& scene, const CatalogueEntry& e, int timeStamps) {
  // Motion directions toward a further set, and from state to state.
  const bool directions = e.directionFile >= 0;
  const int n = timeStamps;
  std::vector<std::string> files;
  for (int i = 0; i < n; i++) files.push_back(StatePath(e, i));
  files.push_back(StatePath(e, e.drawFile));
  if (directions) files.push_back(StatePath(e, e.directionFile));
  std::vector<std::string> cameras = {layout::CameraFile(e.cameraFile)};
  if (e.firstCamera[0] != '\0') cameras.push_back(layout::CameraFile(e.firstCamera));
  std::ostream& out = *scene.output;
  std::ostream& err = *scene.errors;
  if (!RequireFiles(files, true, err) || !RequireCameras(cameras, err)) return false;

  // Every state must hold points (the loader refuses, naming the file).
  std::vector<ParticleSet> states(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) {
    if (!states[size_t(i)].Load(files[size_t(i)], err)) return false;
    if (i > 0) err << "Load done: " << i << std::endl;
  }
  auto drawState = std::make_unique<ParticleSet>();
  if (!drawState->Load(StatePath(e, e.drawFile), err)) return false;
  ParticleSet further;
  if (directions && !further.Load(StatePath(e, e.directionFile), err)) return false;

  // Replace the scene; the previous meshes and point sets are freed here.
  SetupPrologue(scene.loaded, scene.views, scene.settings, timeStamps);
  scene.views.viewWindow->renderMode = e.renderMode;
  scene.settings.sceneId = e.sceneIdAfter;
  scene.loaded.dataset = e.sceneId;
  scene.loaded.drawForm = e.drawForm;
  scene.loaded.radius = e.radius;
  scene.loaded.drawMesh = scene.loaded.baseMesh = nullptr;
  scene.loaded.ownDrawMesh.reset();
  scene.loaded.states.clear();
  scene.views.pathCameras.clear();
  scene.loaded.particleStates = std::move(states);
  scene.loaded.particleDrawState = std::move(drawState);
  scene.loaded.dataPath = EntryDataPath(e);
  scene.loaded.stateCount = n;
  scene.loaded.firstState = 0;
  scene.loaded.lastState = n - 1;
  if (directions) MotionDirections(*scene.loaded.particleDrawState, further, err);
  scene.loaded.interpolation = e.interpolation;
  if (e.cameraStep > 0) scene.settings.cameraStep = e.cameraStep;

  scene.views.viewWindow->camera = scene.views.viewCamera.get();
  if (e.firstCamera[0] != '\0')
    LoadViewCamera(*scene.views.viewCamera, e.firstCamera, *scene.errors);
  LoadViewCamera(*scene.views.viewCamera, e.cameraFile, *scene.errors);

  ParticleSet& first = scene.loaded.particleStates[0];
  scene.loaded.triangleCount = first.count;
  scene.buffers.drawFlags.clear();
  scene.buffers.runVisibleSet.clear();
  AllocateTriangleArrays(scene.loaded, scene.buffers);
  PrintViewDirection(out, *scene.views.viewCamera);
  ShowViewWindow(scene.views);
  scene.views.setupEye = scene.views.viewCamera->eye;
  scene.buffers.pointIdBuffer.assign(
      size_t(scene.views.viewCamera->w) * size_t(scene.views.viewCamera->h), -1);

  if (directions) {
    for (int i = 0; i + 1 < n; i++)
      MotionDirections(scene.loaded.particleStates[size_t(i)],
                       scene.loaded.particleStates[size_t(i) + 1], err);
    ParticleSet& last = scene.loaded.particleStates[size_t(n) - 1];
    last.colors = scene.loaded.particleStates[size_t(n) - 2].colors;
    last.colors.resize(last.positions.size());
  }
  ReadVisibleSet(scene.buffers.drawFlags, layout::In(layout::Folder::kFootage, e.flagsFile), true,
                 out, err);
  return true;
}
