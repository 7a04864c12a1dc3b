// The state-mesh scheme: every state an OBJ file of its own, the first the
// topology source of the others, and a separate mesh that playback draws.
// Entries: "Truck", "Truck_gfb", "Truck_gfb_step2", "WTC 911", "Easy
// Plane", "Moving Box", "Triangle Pair".
#include <FL/Fl.H>

#include <memory>
#include <ostream>

#include "CompareReference.h"
#include "Format.h"
#include "FrameBuffer.h"
#include "MeshCleanup.h"
#include "MeshImport.h"
#include "ObjLoader.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneSetupSteps.h"
#include "WorkLayout.h"

namespace {

// What an entry loads: file numbers, the file of the drawn mesh, cameras.
struct StatePlan {
  std::string dataPath;
  std::vector<int> files;
  int drawFile = -1;                 // -1: the drawn mesh is the first state
  std::vector<std::string> cameras;  // camera files that must exist
  std::string optionalCamera;        // read over a fixed pose when it exists
  std::vector<std::string> extra;    // other files that must exist
  std::string Path(int file) const { return layout::StateFile(dataPath, file); }
};

bool HasStep(const CatalogueEntry& e, SetupStep step) {
  for (SetupStep s : e.steps)
    if (s == step) return true;
  return false;
}

StatePlan Plan(const Scene& scene, const CatalogueEntry& e, int timeStamps) {
  StatePlan p;
  p.dataPath = EntryDataPath(e);
  int count = e.fixedStates, first = e.firstFile;
  switch (e.stateCount) {
    case StateCount::kFixed:
      break;
    case StateCount::kTimeStamps:
      count = timeStamps;
      break;
    case StateCount::kHalfTimeStamps:
      count = timeStamps / 2;
      break;
    case StateCount::kSegment: {
      const WtcSegment& s = WtcSegmentTable(scene.settings.wtcSegment);
      p.dataPath = Format(EntryDataPath(e).c_str(), scene.settings.wtcSegment);
      count = s.states;
      first = s.firstFile;
      break;
    }
  }
  for (int i = 0; i < count; i++) p.files.push_back(first + i * e.fileStep);
  // The drawn mesh counts files one by one whatever the step.
  if (!e.drawsFirstState) p.drawFile = first + count - 1;
  if (e.views[0][0] != '\0') {
    p.cameras = {e.views[0], e.views[1]};
  } else if (e.cameraFile[0] != '\0') {
    if (e.cameraOptional)
      p.optionalCamera = e.cameraFile;
    else
      p.cameras = {e.cameraFile};
  }
  if (scene.settings.movingCamera && e.trackPattern[0] != '\0')
    for (int i = 1; i <= e.trackCameras; i++) p.cameras.push_back(Format(e.trackPattern, i));
  if (HasStep(e, SetupStep::kLiftPlane))
    p.extra = {layout::kPlaneCoordinates, layout::kPlaneHeights, layout::kPlaneColours};
  return p;
}

// The meshes of the new scene, loaded aside.
struct Loaded {
  std::vector<ObjLoader> states;
  std::unique_ptr<ObjLoader> drawMesh;
};

// Every state must hold something to see (the loader refuses, naming the
// file and why); the first state also needs triangles.
bool LoadStates(const StatePlan& plan, const CatalogueEntry& e, Loaded* out, std::ostream& console,
                std::ostream& err) {
  out->states = std::vector<ObjLoader>(plan.files.size());
  ObjLoader& base = out->states[0];
  base.shadingMode = e.loadShading;
  if (!base.Load(plan.Path(plan.files[0]), nullptr, err)) return false;
  base.stateIndex = 0;
  if (e.repairReference[0] != '\0') {
    // The first state is repaired before the others borrow its lists.
    // Only the detecting cleanup runs: welding would renumber vertices
    // that the later states address by their file numbers.
    DetectCleanup(base, console);
    CompareWithReference(base, e.repairReference, console, err);
    base.AssignIds(nullptr);
    console << "Done load geometry." << std::endl;
  }
  base.colorScheme = e.colourScheme;
  for (size_t i = 1; i < plan.files.size(); i++) {
    ObjLoader& s = out->states[i];
    s.shadingMode = e.shading;
    if (!s.Load(plan.Path(plan.files[i]), &base, err)) return false;
    s.stateIndex = int32_t(i);
    s.colorScheme = e.colourScheme;
    err << "Load done: " << plan.files[i] << std::endl;
  }
  base.shadingMode = e.shading;
  if (plan.drawFile >= 0) {
    out->drawMesh = std::make_unique<ObjLoader>();
    // The drawn mesh reads the same cache as the state of its file, so it
    // takes that state's shading mode.
    out->drawMesh->shadingMode = e.shading;
    if (!out->drawMesh->Load(plan.Path(plan.drawFile), &base, err)) return false;
  }
  return true;
}

// One's own states for "Truck_gfb" (a script's "open"): read as the
// command-line tool reads them, lit as the entry's states are, and a drawn
// mesh of the last state. A single file stands still over the interval.
bool LoadOwnStates(const Settings::OwnFiles& own, Loaded* out, std::ostream& err) {
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

// The entry's steps after its camera, in its order.
void RunStep(Scene& scene, const CatalogueEntry& e, SetupStep step) {
  switch (step) {
    case SetupStep::kLiveness:
      WriteLivenessFile(scene.loaded, *scene.errors);
      return;
    case SetupStep::kTriangleColours:
      scene.loaded.baseMesh->BuildTriangleColors();
      return;
    case SetupStep::kTrajectories:
      if (scene.settings.movingCamera && e.trackPattern[0] != '\0') {
        // Keyframes from the track: the first state seen by each further
        // track camera, re-projected into the first.
        scene.loaded.stateCount = e.trackCameras;
        scene.loaded.lastState = e.trackCameras - 1;
        scene.views.pathCameras = LoadTrack(e.trackPattern, e.trackCameras, *scene.errors);
        LoadViewCamera(*scene.views.viewCamera, Format(e.trackPattern, 1), *scene.errors);
        scene.views.viewCamera->SetGLAndCache();
        BuildMovingCameraTrajectories(scene.loaded, scene.views.pathCameras, scene.buffers,
                                      *scene.output, *scene.errors);
      } else {
        BuildTrajectories(scene.loaded, scene.buffers, *scene.output, *scene.errors);
      }
      return;
    case SetupStep::kTriangleRecords:
      WriteTriangleRecords(scene.loaded, scene.buffers);
      return;
    case SetupStep::kLiftPlane:
      LiftEasyPlane(scene.loaded, *scene.errors);
      return;
    case SetupStep::kAllDrawFlags:
      scene.buffers.drawFlags.assign(size_t(scene.loaded.triangleCount), 1);
      scene.buffers.runVisibleSet = scene.buffers.drawFlags;
      return;
  }
}

}  // namespace

bool SetupStateMeshes(Scene& scene, const CatalogueEntry& e, int timeStamps) {
  StatePlan plan = Plan(scene, e, timeStamps);
  std::ostream& out = *scene.output;
  std::ostream& err = *scene.errors;
  const Settings::OwnFiles& ownFiles = scene.settings.ownFiles;
  const bool own = e.sceneId == kOwnFilesEntry && !ownFiles.states.empty();
  // The fixed pose stands in for a missing optional camera, not for a bad one.
  const std::string optional =
      plan.optionalCamera.empty() ? "" : layout::CameraFile(plan.optionalCamera);
  const bool haveOptional = !optional.empty() && FileOpens(optional);
  Loaded loaded;
  if (own) {
    if (!RequireFiles(ownFiles.states, false, err) || !RequireCameras({ownFiles.camera}, err))
      return false;
    if (!LoadOwnStates(ownFiles, &loaded, err)) return false;
    // Liveness and triangle records go beside the first file.
    plan.dataPath = ownFiles.states[0] + ".";
    plan.files.resize(loaded.states.size());
  } else {
    std::vector<std::string> files = plan.extra;
    for (int f : plan.files) files.push_back(plan.Path(f));
    if (plan.drawFile >= 0) files.push_back(plan.Path(plan.drawFile));
    std::vector<std::string> cameras;
    for (const std::string& c : plan.cameras) cameras.push_back(layout::CameraFile(c));
    if (haveOptional) cameras.push_back(optional);
    if (!RequireFiles(files, true, err) || !RequireCameras(cameras, err)) return false;
    if (e.repairReference[0] != '\0' && !RequireFiles({e.repairReference}, false, err))
      return false;
    if (!LoadStates(plan, e, &loaded, out, err)) return false;
  }

  // Replace the scene; the previous meshes are freed here.
  SetupPrologue(scene.loaded, scene.views, scene.settings, timeStamps);
  ReleasePreviousScene(scene.loaded, scene.views, scene.buffers);
  scene.loaded.ownDrawMesh = std::move(loaded.drawMesh);
  scene.loaded.states = std::move(loaded.states);
  scene.loaded.baseMesh = &scene.loaded.states[0];
  scene.loaded.drawMesh =
      scene.loaded.ownDrawMesh ? scene.loaded.ownDrawMesh.get() : scene.loaded.baseMesh;
  scene.loaded.dataPath = plan.dataPath;
  scene.loaded.stateCount = int(scene.loaded.states.size());
  scene.loaded.firstStateNumber = plan.files[0];
  scene.loaded.firstState = 0;
  scene.loaded.lastState = scene.loaded.stateCount - 1;
  scene.loaded.triangleCount = scene.loaded.baseMesh->triangleCount;
  scene.loaded.dataset = e.sceneId;
  scene.loaded.drawForm = e.drawForm;
  scene.settings.sceneId = e.sceneIdAfter;
  ObjLoader& base = *scene.loaded.baseMesh;
  PPC& camera = *scene.views.viewCamera;
  if (e.renderMode >= 0) scene.views.viewWindow->renderMode = e.renderMode;

  if (e.announcesLoad) out << "Done load geometry." << std::endl;
  if (e.cameraStep > 0) scene.settings.cameraStep = e.cameraStep;
  if (e.stateCount == StateCount::kSegment) {
    const WtcSegment& s = WtcSegmentTable(scene.settings.wtcSegment);
    if (s.cameraStep > 0) scene.settings.cameraStep = s.cameraStep;
  }
  PlaceFixedPose(scene.views, e, nullptr);
  if (e.views[0][0] != '\0') {
    // Both prepared views are read; the second stays.
    LoadViewCamera(*scene.views.viewCamera, e.views[0], *scene.errors);
    scene.views.viewNumber = 1;
    LoadViewCamera(*scene.views.viewCamera, e.views[1], *scene.errors);
    scene.views.viewNumber = 2;
  } else if (haveOptional) {
    LoadViewCamera(*scene.views.viewCamera, e.cameraFile, *scene.errors);
  } else if (!optional.empty()) {
    err << "INFO: " << optional << " is missing; the camera keeps its fixed pose" << std::endl;
  } else if (own) {
    if (!camera.LoadFromFile(ownFiles.camera, err))
      err << "ERROR: Scene Setup: cannot read the camera file " << ownFiles.camera
          << "; the camera stays as it was" << std::endl;
  } else if (e.cameraFile[0] != '\0') {
    LoadViewCamera(*scene.views.viewCamera, e.cameraFile, *scene.errors);
  }
  if (e.interpolation >= 0) scene.loaded.interpolation = e.interpolation;
  for (SetupStep step : e.steps) RunStep(scene, e, step);
  if (e.holdTrajectoryOff) scene.settings.holdTrajectory = 0;

  // Finish.
  scene.loaded.triangleCount = base.triangleCount;
  AllocateTriangleArrays(scene.loaded, scene.buffers);
  out << "V: " << base.vertexCount << "; T: " << base.triangleCount << std::endl;
  PrintViewDirection(out, camera);
  ShowViewWindow(scene.views);
  scene.views.setupEye = camera.eye;
  if (e.redrawsAfterSetup) {
    scene.RedrawView();
    Fl::check();
    Fl::check();
  }
  return true;
}
