// Scene Setup's use of liveness and of the keyframed trajectories.
//
// The Scene holds one trajectories record. A later setup of the same scene
// keeps it; a setup of another scene builds it anew, since a record of
// other meshes would move the drawn mesh by another scene's tracks.
#include <cstdio>
#include <functional>
#include <ostream>
#include <memory>

#include "Format.h"
#include "KeyframeTrajectories.h"
#include "Liveness.h"
#include "MeshCleanup.h"
#include "ObjLoader.h"
#include "Scene.h"
#include "SceneSetupSteps.h"

namespace {

std::string SceneKey(const LoadedScene& scene, const char* form) {
  return Format("%s|%d|%d|%d|%s", scene.dataPath.c_str(), scene.firstStateNumber,
                scene.stateCount, scene.baseMesh ? scene.baseMesh->triangleCount : 0, form);
}

std::vector<const ObjLoader*> StatePointers(const LoadedScene& scene) {
  std::vector<const ObjLoader*> p;
  for (const ObjLoader& s : scene.states) p.push_back(&s);
  return p;
}

// Installs a freshly built record unless the scene's own one is in place.
void Install(LoadedScene& scene, const char* form,
             const std::function<std::unique_ptr<KeyframeTrajectories>()>& build) {
  const std::string key = SceneKey(scene, form);
  if (scene.trajectories != nullptr && scene.trajectoryScene == key) return;
  scene.trajectories.reset();
  scene.trajectories = build();
  scene.trajectoryScene = key;
}

// Last state of every triangle over the loaded states.
std::vector<int32_t> LastStates(const LoadedScene& scene) {
  return ComputeLastStates(*scene.baseMesh, StatePointers(scene), scene.stateCount);
}

}  // namespace

void WriteLivenessFile(LoadedScene& scene, std::ostream& err) {
  // A liveness file is kept between runs; one written for other states
  // (another "Total Time Stamps", or changed state files) would give
  // triangles the wrong life, so it is checked against the loaded states.
  const std::vector<int32_t> last = LastStates(scene);
  LoadOrComputeLiveness(*scene.baseMesh, StatePointers(scene), scene.stateCount, scene.dataPath,
                        &scene.liveness, err);
  bool stale = scene.liveness.size() != last.size();
  for (size_t t = 0; !stale && t < last.size(); t++) stale = scene.liveness[t] != last[t] + 1;
  if (!stale) return;
  const std::string path = LivenessPath(scene.dataPath);
  err << "INFO: " << path << " does not match the loaded states; it is written anew" << std::endl;
  std::remove(path.c_str());
  LoadOrComputeLiveness(*scene.baseMesh, StatePointers(scene), scene.stateCount, scene.dataPath,
                        &scene.liveness, err);
}

void BuildTrajectories(LoadedScene& scene, RunBuffers& buffers, std::ostream& out,
                       std::ostream& err) {
  Install(scene, "states", [&] {
    const int32_t k = scene.stateCount;
    std::unique_ptr<KeyframeTrajectories> r = KeyframeTrajectories::Build(k, *scene.baseMesh);
    for (int32_t i = 1; i < k; i++) r->StoreKeyframe(scene.states[size_t(i)], i);
    r->goodTriangles = BadTriangleMask(*scene.baseMesh, scene.baseMesh->triangleCount, err);
    const std::string path = LivenessPath(scene.dataPath);
    ReadLastStates(*r, &path, err);
    // "Truck" reads a liveness file it does not write: one left by another
    // entry of the same folder is replaced by the loaded states' own.
    const std::vector<int32_t> last = LastStates(scene);
    if (r->lastKeyframe != last) {
      err << "INFO: " << path << " does not match the loaded states; their own last "
          << "states are used" << std::endl;
      r->lastKeyframe = last;
    }
    r->BuildSteps(out);
    return r;
  });
  // The mask of this scene's own triangles.
  buffers.drawFlags = BadTriangleMask(*scene.baseMesh, scene.baseMesh->triangleCount, err);
}

void BuildMovingCameraTrajectories(LoadedScene& scene, const std::vector<PPC>& track,
                                   RunBuffers& buffers, std::ostream& out, std::ostream& err) {
  Install(scene, "moving camera", [&] {
    ObjLoader& base = *scene.baseMesh;
    std::unique_ptr<KeyframeTrajectories> r = KeyframeTrajectories::Build(3, base);
    const GLMatrices into = track[0].Matrices();
    for (int k = 1; k <= 2; k++) {
      // The first state as path camera k + 1 sees it, moved so that path
      // camera 1 sees it that way.
      ObjLoader seen;
      const GLMatrices from = track[size_t(k)].Matrices();
      seen.ShareTopology(base, &from, &into);
      r->StoreKeyframe(seen, k);
    }
    r->goodTriangles = BadTriangleMask(base, base.triangleCount, err);
    r->lastKeyframe.assign(size_t(r->triangleCount), r->keyframeCount - 1);
    r->BuildSteps(out);
    return r;
  });
  buffers.drawFlags = BadTriangleMask(*scene.baseMesh, scene.baseMesh->triangleCount, err);
}

void WriteTriangleRecords(const LoadedScene& scene, const RunBuffers& buffers) {
  WriteDegenerateRecord(*scene.baseMesh, buffers.drawFlags);
  if (scene.states.size() >= 2) WriteDyingRecord(scene.states[0], scene.states[1]);
}
