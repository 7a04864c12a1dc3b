// "Scene Setup": checks the request, then loads the catalogue entry of
// sceneId by its scheme.
#include <FL/Fl.H>

#include <cstdio>
#include <ostream>

#include "FrameBuffer.h"
#include "PPC.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneSetupSteps.h"
#include "WorkLayout.h"

namespace {

using namespace dataset;

// Requests the panel lets through but no entry can load. Each refusal
// prints one line; nothing is loaded and the previous scene stays.
bool RequestValid(const Scene& scene, const CatalogueEntry& entry, int timeStamps) {
  auto refuse = [&](const std::string& why) {
    *scene.errors << "ERROR: Scene Setup: \"" << entry.label << "\" " << why
              << "; nothing loaded" << std::endl;
    return false;
  };
  switch (entry.sceneId) {
    case kWtc:
      if (scene.wtcSegment < 0 || scene.wtcSegment >= kWtcSegments)
        return refuse("has no segment " + std::to_string(scene.wtcSegment) +
                      " (\"Seg# \" must be 0 to 9)");
      return true;
    case kTruck:
      // Two states are loaded; every operation that walks the states needs
      // stateCount to match.
      if (timeStamps != 2) return refuse("loads two states: \"Total Time Stamps\" must be 2");
      return true;
    case kTruckGfb:
    case kWaterFlow:
    case kFusion:
      if (timeStamps < 2) return refuse("needs at least two states: \"Total Time Stamps\" must be 2 or more");
      return true;
    case kTruckGfbStep2:
      if (timeStamps / 2 < 2)
        return refuse("loads every second state: \"Total Time Stamps\" must be 4 or more");
      return true;
    default:
      return true;
  }
}

}  // namespace

void Scene::SceneSetup(int timeStamps) {
  const CatalogueEntry* entry = FindCatalogueEntry(sceneId);
  if (entry == nullptr) {
    *errors << "ERROR: Scene Setup: sceneId " << sceneId
              << " is not in the catalogue; nothing loaded" << std::endl;
    return;
  }
  if (!RequestValid(*this, *entry, timeStamps)) return;
  bool loaded = false;
  switch (entry->scheme) {
    case LoadScheme::kStateMeshes: loaded = SetupStateMeshes(*this, *entry, timeStamps); break;
    case LoadScheme::kPointStates: loaded = SetupPointStates(*this, *entry, timeStamps); break;
    case LoadScheme::kObjectList: loaded = SetupObjectList(*this, *entry, timeStamps); break;
  }
  if (!loaded)
    *errors << "Scene Setup of \"" << entry->label << "\" stopped; the previous scene stays loaded"
              << std::endl;
}

bool FileOpens(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

bool RequireFiles(const std::vector<std::string>& paths, bool cacheCounts, std::ostream& err) {
  auto exists = FileOpens;
  bool all = true;
  for (const std::string& p : paths) {
    if (exists(p) || (cacheCounts && exists(p + ".rdd"))) continue;
    err << "ERROR: Scene Setup: missing file " << p << std::endl;
    all = false;
  }
  return all;
}

bool RequireCameras(const std::vector<std::string>& paths, std::ostream& err) {
  if (!RequireFiles(paths, false, err)) return false;
  // Read each into a scratch camera: a file the reader refuses (it names
  // the value) refuses the setup before anything is replaced.
  for (const std::string& p : paths) {
    PPC probe;
    if (!probe.LoadFromFile(p, err)) return false;
  }
  return true;
}

void SetupPrologue(Scene& scene, int timeStamps) {
  scene.stateCount = timeStamps;
  scene.compareTolerance = 0.0001f;
  const float position[4] = {-15000, 15000, -15000, 1}, white[4] = {1, 1, 1, 1},
              ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  for (int i = 0; i < 4; i++) {
    scene.light0Position[i] = position[i];
    scene.light0Diffuse[i] = scene.light0Specular[i] = white[i];
    scene.light0Ambient[i] = ambient[i];
  }
  scene.firstStateNumber = 0;
}

void ReleasePreviousScene(Scene& scene) {
  scene.particleStates.clear();
  scene.particleDrawState.reset();
  scene.ownDrawMesh.reset();
  // The pair named the replaced scene's triangles.
  scene.alternativeLists = Scene::TriangleLists();
  scene.pathCameras.clear();
  scene.drawFlags.clear();
  scene.runVisibleSet.clear();
}

void LoadViewCamera(Scene& scene, const std::string& name) {
  if (!scene.viewCamera->Load(name, *scene.errors))
    *scene.errors << "ERROR: Scene Setup: cannot read the camera file " << layout::CameraFile(name)
              << "; the camera stays as it was" << std::endl;
}

void PrintViewDirection(std::ostream& out, const PPC& camera) {
  const Vex3_quarn d = camera.ViewDirection();
  out << d.x << " " << d.y << " " << d.z << std::endl;
}

void ShowViewWindow(Scene& scene) {
  FrameBuffer& window = *scene.viewWindow;
  window.camera = scene.viewCamera.get();
  window.position(100, 100);
  window.show();
}

void AllocateTriangleArrays(Scene& scene) {
  const size_t n = scene.triangleCount > 0 ? size_t(scene.triangleCount) : 0;
  scene.triangleMarks.assign(n, 0);
  scene.visibleFlags.assign(n, 0);
  if (scene.runVisibleSet.size() != n) scene.runVisibleSet.assign(n, 0);
  // An entry without a mask of its own draws and processes every triangle.
  if (scene.drawFlags.size() != n) scene.drawFlags.assign(n, 1);
}
