// The state-mesh scheme: every state an OBJ file of its own, the first the
// topology source of the others, and a separate mesh that playback draws.
// Entries: "Truck", "Truck_gfb", "Truck_gfb_step2", "WTC 911", "Easy
// Plane", "Moving Box", "Triangle Pair".
#include <FL/Fl.H>

#include <ostream>
#include <memory>

#include "CompareReference.h"
#include "Format.h"
#include "FrameBuffer.h"
#include "MeshCleanup.h"
#include "MeshImport.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneSetupSteps.h"
#include "WorkLayout.h"

namespace {

using namespace dataset;

// What an entry loads: file numbers, the file of the drawn mesh, shading.
struct StatePlan {
  std::string dataPath;
  std::vector<int> files;
  int drawFile = -1;          // -1: the drawn mesh is the first state
  uint8_t firstShading = shading::kFlat;  // shading mode of the first state
  uint8_t otherShading = shading::kFlat;  // of the other states and the drawn mesh
  std::vector<std::string> cameras;  // camera files that must exist
  std::string optionalCamera;        // read over a fixed pose when it exists
  std::vector<std::string> extra;    // other files that must exist
  std::string Path(int file) const { return layout::StateFile(dataPath, file); }
};

StatePlan Plan(const Scene& scene, const CatalogueEntry& e, int timeStamps) {
  StatePlan p;
  p.dataPath = EntryDataPath(e);
  switch (e.sceneId) {
    case kTruck:
      p.files = {0, timeStamps - 1};
      p.drawFile = timeStamps - 1;
      p.firstShading = p.otherShading = shading::kLitVertexColours;
      p.optionalCamera = e.cameraFile;
      break;
    case kTruckGfb:
    case kTruckGfbStep2: {
      const bool step2 = e.sceneId == kTruckGfbStep2;
      const int n = step2 ? timeStamps / 2 : timeStamps;
      for (int i = 0; i < n; i++) p.files.push_back(40 + (step2 ? 2 * i : i));
      p.drawFile = n + 39;
      p.firstShading = p.otherShading = shading::kLitVertexColours;
      p.cameras = {e.cameraFile};
      break;
    }
    case kWtc: {
      const WtcSegment& s = WtcSegmentTable(scene.wtcSegment);
      p.dataPath = Format(EntryDataPath(e).c_str(), scene.wtcSegment);
      for (int i = 0; i < s.states; i++) p.files.push_back(s.firstFile + i);
      p.cameras = {e.views[0], e.views[1]};
      break;
    }
    case kEasyPlane:
      p.files = {0, 1};
      p.drawFile = 1;
      p.extra = {layout::kPlaneCoordinates, layout::kPlaneHeights, layout::kPlaneColours};
      break;
    case kMovingBox:
      for (int i = 0; i < 20; i++) p.files.push_back(i);
      p.drawFile = 19;
      p.firstShading = shading::kLitVertexColours;
      p.optionalCamera = e.cameraFile;
      if (scene.movingCamera)
        for (int i = 1; i <= 3; i++) p.cameras.push_back(Format(e.trackPattern, i));
      break;
    case kTrianglePair:
      p.files = {0, 1};
      p.drawFile = 1;
      break;
  }
  return p;
}

// The meshes of the new scene, loaded aside.
struct Loaded {
  std::vector<ObjLoader> states;
  std::unique_ptr<ObjLoader> drawMesh;
};

// Every state must hold something to see (the loader refuses, naming the
// file and why); the first state also needs triangles.
bool LoadStates(const StatePlan& plan, int sceneId, Loaded* out, std::ostream& console, std::ostream& err) {
  out->states = std::vector<ObjLoader>(plan.files.size());
  ObjLoader& base = out->states[0];
  base.shadingMode = plan.firstShading;
  if (!base.Load(plan.Path(plan.files[0]), nullptr, err)) return false;
  base.stateIndex = 0;
  if (sceneId == kWtc) {
    // The first state is repaired before the others borrow its lists.
    // Only the detecting cleanup runs: welding would renumber vertices
    // that the later states address by their file numbers.
    DetectCleanup(base, console);
    CompareWithReference(base, layout::kTowerReference, console, err);
    base.AssignIds(nullptr);
    console << "Done load geometry." << std::endl;
  }
  if (sceneId == kMovingBox) base.colorScheme = 1;
  for (size_t i = 1; i < plan.files.size(); i++) {
    ObjLoader& s = out->states[i];
    s.shadingMode = plan.otherShading;
    if (!s.Load(plan.Path(plan.files[i]), &base, err)) return false;
    s.stateIndex = int32_t(i);
    if (sceneId == kMovingBox) s.colorScheme = 1;
    err << "Load done: " << plan.files[i] << std::endl;
  }
  if (sceneId == kMovingBox) base.shadingMode = shading::kFlat;
  if (plan.drawFile >= 0) {
    out->drawMesh = std::make_unique<ObjLoader>();
    // The drawn mesh reads the same cache as the state of its file, so it
    // takes that state's shading mode.
    out->drawMesh->shadingMode = plan.otherShading;
    if (!out->drawMesh->Load(plan.Path(plan.drawFile), &base, err)) return false;
  }
  return true;
}

// One's own states for "Truck_gfb" (a script's "open"): read as the
// command-line tool reads them, lit as the entry's states are, and a drawn
// mesh of the last state. A single file stands still over the interval.
bool LoadOwnStates(const Scene::OwnFiles& own, Loaded* out, std::ostream& err) {
  std::vector<std::string> files = own.states;
  if (files.size() == 1) files.push_back(files[0]);
  std::string error;
  if (!LoadRunStates(files, &out->states, &error, err)) {
    err << "ERROR: Scene Setup: " << error << std::endl;
    return false;
  }
  for (ObjLoader& s : out->states) {
    s.shadingMode = shading::kLitVertexColours;
    s.ComputeNormals();
    s.ComputeVertexColors();
  }
  out->drawMesh = std::make_unique<ObjLoader>();
  ObjLoader& draw = *out->drawMesh;
  draw.shadingMode = shading::kLitVertexColours;
  draw.ShareTopology(out->states[0]);
  draw.CopyState(out->states.back());
  draw.ComputeNormals();
  draw.ComputeVertexColors();
  return true;
}

// Fixed poses of the entries without a camera file, and the fallbacks of
// "Truck" and "Moving Box" when theirs is missing.
void PlaceCamera(PPC& c, const Vex3_quarn& eye, const Vex3_quarn& target, const Vex3_quarn& up) {
  c.PositionAndOrient(eye, target - eye, up);
}

}  // namespace

bool SetupStateMeshes(Scene& scene, const CatalogueEntry& e, int timeStamps) {
  StatePlan plan = Plan(scene, e, timeStamps);
  std::ostream& out = *scene.output;
  std::ostream& err = *scene.errors;
  const bool own = e.sceneId == kOwnFilesEntry && !scene.ownFiles.states.empty();
  // The fixed pose stands in for a missing optional camera, not for a bad one.
  const std::string optional = plan.optionalCamera.empty() ? "" : layout::CameraFile(plan.optionalCamera);
  const bool haveOptional = !optional.empty() && FileOpens(optional);
  Loaded loaded;
  if (own) {
    if (!RequireFiles(scene.ownFiles.states, false, err) ||
        !RequireCameras({scene.ownFiles.camera}, err))
      return false;
    if (!LoadOwnStates(scene.ownFiles, &loaded, err)) return false;
    // Liveness and triangle records go beside the first file.
    plan.dataPath = scene.ownFiles.states[0] + ".";
    plan.files.resize(loaded.states.size());
  } else {
    std::vector<std::string> files = plan.extra;
    for (int f : plan.files) files.push_back(plan.Path(f));
    if (plan.drawFile >= 0) files.push_back(plan.Path(plan.drawFile));
    std::vector<std::string> cameras;
    for (const std::string& c : plan.cameras) cameras.push_back(layout::CameraFile(c));
    if (haveOptional) cameras.push_back(optional);
    if (!RequireFiles(files, true, err) || !RequireCameras(cameras, err)) return false;
    if (e.sceneId == kWtc && !RequireFiles({layout::kTowerReference}, false, err)) return false;
    if (!LoadStates(plan, e.sceneId, &loaded, out, err)) return false;
  }

  // Replace the scene; the previous meshes are freed here.
  SetupPrologue(scene, timeStamps);
  ReleasePreviousScene(scene);
  scene.ownDrawMesh = std::move(loaded.drawMesh);
  scene.states = std::move(loaded.states);
  scene.baseMesh = &scene.states[0];
  scene.drawMesh = scene.ownDrawMesh ? scene.ownDrawMesh.get() : scene.baseMesh;
  scene.dataPath = plan.dataPath;
  scene.stateCount = int(scene.states.size());
  scene.firstStateNumber = plan.files[0];
  scene.firstState = 0;
  scene.lastState = scene.stateCount - 1;
  scene.triangleCount = scene.baseMesh->triangleCount;
  ObjLoader& base = *scene.baseMesh;
  PPC& camera = *scene.viewCamera;
  FrameBuffer& window = *scene.viewWindow;
  if (e.renderMode >= 0 && e.sceneId != kWtc) window.renderMode = e.renderMode;

  switch (e.sceneId) {
    case kTruck:
    case kTruckGfb:
    case kTruckGfbStep2:
      if (e.sceneId == kTruck) {
        PlaceCamera(camera, {200, -3700, 1500}, {900, 0, 200}, {0, 0, 1});
        if (haveOptional) LoadViewCamera(scene, e.cameraFile);
        else err << "INFO: " << optional << " is missing; the camera keeps its fixed pose" << std::endl;
      } else {
        scene.cameraStep = 100;
        if (!own)
          LoadViewCamera(scene, e.cameraFile);
        else if (!camera.LoadFromFile(scene.ownFiles.camera, err))
          err << "ERROR: Scene Setup: cannot read the camera file " << scene.ownFiles.camera
              << "; the camera stays as it was" << std::endl;
        WriteLivenessFile(scene);
        base.BuildTriangleColors();
      }
      scene.sceneId = e.sceneIdAfter;
      BuildTrajectories(scene);
      WriteTriangleRecords(scene);
      if (e.sceneId == kTruckGfb) scene.holdTrajectory = 0;
      break;
    case kWtc: {
      const WtcSegment& s = WtcSegmentTable(scene.wtcSegment);
      if (s.cameraStep > 0) scene.cameraStep = s.cameraStep;
      scene.triangleCount = base.triangleCount;
      LoadViewCamera(scene, e.views[0]);
      scene.viewNumber = 1;
      LoadViewCamera(scene, e.views[1]);
      scene.viewNumber = 2;
      base.BuildTriangleColors();
      scene.drawFlags.assign(size_t(scene.triangleCount), 1);
      scene.runVisibleSet = scene.drawFlags;
      window.renderMode = e.renderMode;
      break;
    }
    case kEasyPlane:
      camera = PPC(55, window.w, window.h);
      camera.zNear = 10;
      camera.zFar = 1000000;
      PlaceCamera(camera, {0, -18, 12}, {0, 0, 0.5f}, {0, 0, 1});
      scene.sceneId = e.sceneIdAfter;
      LiftEasyPlane(scene);
      scene.interpolation = 0.5;
      BuildTrajectories(scene);
      break;
    case kMovingBox:
      scene.stateCount = 20;
      // A fresh camera at a fixed pose, then the scene's camera file.
      camera = PPC();
      camera.zNear = 10;
      camera.zFar = 100000;
      PlaceCamera(camera, {0, -5200, 3400}, {0, 0, 0}, {0, 0, 1});
      if (haveOptional) LoadViewCamera(scene, e.cameraFile);
      else err << "INFO: " << optional << " is missing; the camera keeps its fixed pose" << std::endl;
      base.BuildTriangleColors();
      scene.interpolation = 0.5;
      WriteLivenessFile(scene);
      scene.sceneId = e.sceneIdAfter;
      if (scene.movingCamera) {
        scene.stateCount = 3;
        scene.lastState = 2;
        scene.pathCameras = LoadTrack(e.trackPattern, 3, err);
        LoadViewCamera(scene, Format(e.trackPattern, 1));
        camera.SetGLAndCache();
        BuildMovingCameraTrajectories(scene);
      } else {
        BuildTrajectories(scene);
      }
      break;
    case kTrianglePair:
      out << "Done load geometry." << std::endl;
      camera = PPC(55, window.w, window.h);
      PlaceCamera(camera, {0, 0, 150}, {0, 0, 0}, {0, 1, 0});
      camera.Resize(window.w, window.h);
      camera.zNear = 1;
      break;
  }

  // Finish.
  scene.sceneId = e.sceneIdAfter;
  scene.triangleCount = base.triangleCount;
  AllocateTriangleArrays(scene);
  out << "V: " << base.vertexCount << "; T: " << base.triangleCount << std::endl;
  PrintViewDirection(out, camera);
  ShowViewWindow(scene);
  scene.setupEye = camera.eye;
  if (e.sceneId == kWtc) {
    scene.RedrawView();
    Fl::check();
    Fl::check();
  }
  return true;
}
