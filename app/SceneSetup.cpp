// "Scene Setup": checks the request, then loads the catalogue entry of
// sceneId by its scheme.
#include <FL/Fl.H>

#include <cstdio>
#include <ostream>

#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneSetupSteps.h"
#include "WorkLayout.h"

namespace {

// Requests the panel lets through but the entry cannot load. Each refusal
// prints one line; nothing is loaded and the previous scene stays.
bool RequestValid(const Scene& scene, const CatalogueEntry& entry, int timeStamps) {
  auto refuse = [&](const std::string& why) {
    *scene.errors << "ERROR: Scene Setup: \"" << entry.label << "\" " << why
              << "; nothing loaded" << std::endl;
    return false;
  };
  if (entry.segmented &&
      (scene.settings.wtcSegment < 0 || scene.settings.wtcSegment >= kWtcSegments))
    return refuse("has no segment " + std::to_string(scene.settings.wtcSegment) +
                  " (\"Seg# \" must be 0 to 9)");
  switch (entry.stamps) {
    case StampRule::kAny:
      return true;
    case StampRule::kExactlyTwo:
      // Two states are loaded; every operation that walks the states needs
      // stateCount to match.
      if (timeStamps != 2) return refuse("loads two states: \"Total Time Stamps\" must be 2");
      return true;
    case StampRule::kTwoOrMore:
      if (timeStamps < 2)
        return refuse("needs at least two states: \"Total Time Stamps\" must be 2 or more");
      return true;
    case StampRule::kFourOrMore:
      if (timeStamps / 2 < 2)
        return refuse("loads every second state: \"Total Time Stamps\" must be 4 or more");
      return true;
  }
  return true;
}

}  // namespace

void Scene::SceneSetup(int timeStamps) {
  const CatalogueEntry* entry = FindCatalogueEntry(settings.sceneId);
  if (entry == nullptr) {
    *errors << "ERROR: Scene Setup: sceneId " << settings.sceneId
            << " is not in the catalogue; nothing loaded" << std::endl;
    return;
  }
  if (!RequestValid(*this, *entry, timeStamps)) return;
  bool done = false;
  switch (entry->scheme) {
    case LoadScheme::kStateMeshes:
      done = SetupStateMeshes(*this, *entry, timeStamps);
      break;
    case LoadScheme::kPointStates:
      done = SetupPointStates(*this, *entry, timeStamps);
      break;
    case LoadScheme::kObjectList:
    case LoadScheme::kFlaggedMesh:
      done = SetupObjectList(*this, *entry, timeStamps);
      break;
  }
  if (!done)
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

void SetupPrologue(LoadedScene& loaded, SceneViews& views, Settings& settings, int timeStamps) {
  loaded.stateCount = timeStamps;
  settings.compareTolerance = 0.0001f;
  const float position[4] = {-15000, 15000, -15000, 1}, white[4] = {1, 1, 1, 1},
              ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  for (int i = 0; i < 4; i++) {
    views.light0Position[i] = position[i];
    views.light0Diffuse[i] = views.light0Specular[i] = white[i];
    views.light0Ambient[i] = ambient[i];
  }
  loaded.firstStateNumber = 0;
}

void ReleasePreviousScene(LoadedScene& loaded, SceneViews& views, RunBuffers& buffers) {
  loaded.particleStates.clear();
  loaded.particleDrawState.reset();
  loaded.ownDrawMesh.reset();
  // The pair named the replaced scene's triangles.
  loaded.alternativeLists = LoadedScene::TriangleLists();
  views.pathCameras.clear();
  buffers.drawFlags.clear();
  buffers.runVisibleSet.clear();
}

void LoadViewCamera(PPC& camera, const std::string& name, std::ostream& err) {
  if (!camera.Load(name, err))
    err << "ERROR: Scene Setup: cannot read the camera file " << layout::CameraFile(name)
        << "; the camera stays as it was" << std::endl;
}

void PlaceFixedPose(SceneViews& views, const CatalogueEntry& e, const ObjLoader* centroidOf) {
  PPC& camera = *views.viewCamera;
  const FixedPose& pose = e.pose;
  const FrameBuffer& window = *views.viewWindow;
  switch (pose.camera) {
    case FixedPose::Camera::kNone:
    case FixedPose::Camera::kKept:
      break;
    case FixedPose::Camera::kDefault:
      camera = PPC();
      break;
    case FixedPose::Camera::kViewSized:
      camera = PPC(55, window.w, window.h);
      break;
  }
  if (pose.camera != FixedPose::Camera::kNone) {
    Vex3_quarn eye = pose.eye;
    if (pose.fromCentroid && centroidOf != nullptr) eye = centroidOf->Centroid() + pose.eye;
    camera.PositionAndOrient(eye, pose.direction, pose.up);
    if (pose.resize) camera.Resize(window.w, window.h);
  }
  if (e.zNear > 0) camera.zNear = e.zNear;
  if (e.zFar > 0) camera.zFar = e.zFar;
}

void PrintViewDirection(std::ostream& out, const PPC& camera) {
  const Vex3_quarn d = camera.ViewDirection();
  out << d.x << " " << d.y << " " << d.z << std::endl;
}

void ShowViewWindow(SceneViews& views) {
  FrameBuffer& window = *views.viewWindow;
  window.camera = views.viewCamera.get();
  window.position(100, 100);
  window.show();
}

void AllocateTriangleArrays(const LoadedScene& loaded, RunBuffers& buffers) {
  const size_t n = loaded.triangleCount > 0 ? size_t(loaded.triangleCount) : 0;
  buffers.triangleMarks.assign(n, 0);
  buffers.visibleFlags.assign(n, 0);
  if (buffers.runVisibleSet.size() != n) buffers.runVisibleSet.assign(n, 0);
  // An entry without a mask of its own draws and processes every triangle.
  if (buffers.drawFlags.size() != n) buffers.drawFlags.assign(n, 1);
}
