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

using namespace dataset;

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
  const bool fusion = e.sceneId == kFusion;
  const int n = timeStamps;
  const int drawFile = fusion ? 6 : 30;
  std::vector<std::string> files;
  for (int i = 0; i < n; i++) files.push_back(StatePath(e, i));
  files.push_back(StatePath(e, drawFile));
  if (fusion) files.push_back(StatePath(e, 5));
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
  if (!drawState->Load(StatePath(e, drawFile), err)) return false;
  ParticleSet further;
  if (fusion && !further.Load(StatePath(e, 5), err)) return false;

  // Replace the scene; the previous meshes and point sets are freed here.
  SetupPrologue(scene, timeStamps);
  scene.viewWindow->renderMode = render_mode::kPointFootage;
  scene.sceneId = e.sceneIdAfter;
  scene.radius = fusion ? 0.8 : 0.1;
  scene.drawMesh = scene.baseMesh = nullptr;
  scene.ownDrawMesh.reset();
  scene.states.clear();
  scene.pathCameras.clear();
  scene.particleStates = std::move(states);
  scene.particleDrawState = std::move(drawState);
  scene.dataPath = EntryDataPath(e);
  scene.stateCount = n;
  scene.firstState = 0;
  scene.lastState = n - 1;
  if (fusion) MotionDirections(*scene.particleDrawState, further, err);
  scene.interpolation = 0.5;
  if (!fusion) scene.cameraStep = 1;

  scene.viewWindow->camera = scene.viewCamera.get();
  if (e.firstCamera[0] != '\0') LoadViewCamera(scene, e.firstCamera);
  LoadViewCamera(scene, e.cameraFile);

  ParticleSet& first = scene.particleStates[0];
  scene.triangleCount = first.count;
  scene.drawFlags.clear();
  scene.runVisibleSet.clear();
  AllocateTriangleArrays(scene);
  PrintViewDirection(out, *scene.viewCamera);
  ShowViewWindow(scene);
  scene.setupEye = scene.viewCamera->eye;
  scene.pointIdBuffer.assign(size_t(scene.viewCamera->w) * size_t(scene.viewCamera->h), -1);

  if (fusion) {
    for (int i = 0; i + 1 < n; i++)
      MotionDirections(scene.particleStates[size_t(i)], scene.particleStates[size_t(i) + 1], err);
    ParticleSet& last = scene.particleStates[size_t(n) - 1];
    last.colors = scene.particleStates[size_t(n) - 2].colors;
    last.colors.resize(last.positions.size());
  }
  ReadVisibleSet(scene.drawFlags, layout::In(layout::Folder::kFootage, e.flagsFile), true, out, err);
  return true;
}
