// The object-list scheme: one static mesh (a folder's object list, the
// terrain file, one of its cells, or the tree file), and with the moving
// camera a second state re-projected from the end of a camera path.
// Entries: "RTI", "RTI_Subdivided", "Grass Field", "Forest", "Manhattan",
// "Quarn Tree".
#include <FL/Fl.H>

#include <istream>
#include <ostream>
#include <memory>

#include "FlaggedBinary.h"
#include "Format.h"
#include "FrameBuffer.h"
#include "MeshCleanup.h"
#include "ObjLoader.h"
#include "ObjectList.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneSetupSteps.h"
#include "WorkLayout.h"

namespace {

// Row and column of the terrain cell, typed on the console.
bool ReadCell(Scene& scene, const CatalogueEntry& e, int* row, int* column) {
  *scene.output << e.label << ": type the cell's row and column (0 to 2)" << std::endl;
  std::istream& in = *scene.input;
  if (!(in >> *row >> *column)) {
    in.clear();
    *scene.errors << "ERROR: Scene Setup: \"" << e.label
                  << "\" needs two integers, the cell's row and "
                     "column; nothing loaded"
                  << std::endl;
    return false;
  }
  if (*row < 0 || *row > 2 || *column < 0 || *column > 2) {
    *scene.errors << "ERROR: Scene Setup: \"" << e.label << "\" has no cell " << *row << " "
                  << *column << " (row and column are 0 to 2); nothing loaded" << std::endl;
    return false;
  }
  return true;
}

bool LoadMesh(const CatalogueEntry& e, const std::string& path, ObjLoader& mesh, std::ostream& out,
              std::ostream& err) {
  mesh.shadingMode = e.loadShading;
  if (e.scheme == LoadScheme::kObjectList) {
    if (ReadObjectList(mesh, path, 1.0f, err) >= 0) return true;
    return BuildObjectList(mesh, path, out, err);
  }
  if (!ReadFlaggedBinary(mesh, path, out, err)) return false;
  if (e.printsGroupCount) out << mesh.groupCount << std::endl;
  if (e.welds) WeldCleanup(mesh, out);
  return true;
}

}  // namespace

bool SetupObjectList(Scene& scene, const CatalogueEntry& e, int timeStamps) {
  const bool list = e.scheme == LoadScheme::kObjectList;
  std::string path = EntryDataPath(e);
  if (e.meshFile[0] != '\0') path = layout::GeometryFile(e.meshFile);
  if (e.typedCell) {
    int row = 0, column = 0;
    if (!ReadCell(scene, e, &row, &column)) return false;
    path = Format(EntryDataPath(e).c_str(), row, column);
    scene.loaded.cellRow = row;
    scene.loaded.cellColumn = column;
  }
  const bool moving = scene.settings.movingCamera && e.trackPattern[0] != '\0';
  std::vector<std::string> cameras;
  if (e.cameraFile[0] != '\0') cameras.push_back(layout::CameraFile(e.cameraFile));
  if (moving)
    for (int i = 1; i <= e.trackCameras; i++)
      cameras.push_back(layout::CameraFile(Format(e.trackPattern, i)));
  const std::string listPath = list ? layout::ObjectListIndex(path) : path;
  std::ostream& out = *scene.output;
  std::ostream& err = *scene.errors;
  if (!RequireFiles({listPath}, list, err) || !RequireCameras(cameras, err)) return false;

  std::vector<ObjLoader> states(moving ? 2 : 1);
  ObjLoader& mesh = states[0];
  if (!LoadMesh(e, path, mesh, out, err)) return false;
  // Nothing to see: refused before the scene is replaced.
  if (mesh.triangleCount <= 0) {
    err << "ERROR: Scene Setup: " << listPath << " yields no triangle; nothing loaded" << std::endl;
    return false;
  }

  // Replace the scene; the previous meshes are freed here.
  SetupPrologue(scene.loaded, scene.views, scene.settings, timeStamps);
  ReleasePreviousScene(scene.loaded, scene.views, scene.buffers);
  scene.loaded.states = std::move(states);
  ObjLoader& base = scene.loaded.states[0];
  base.stateIndex = 0;
  scene.loaded.baseMesh = scene.loaded.drawMesh = &base;
  scene.loaded.dataPath = EntryDataPath(e);
  scene.loaded.dataset = e.sceneId;
  scene.loaded.drawForm = e.setupDrawnThroughProgram ? DrawForm::kStates : e.drawForm;
  // One state is loaded (two with the moving camera): stateCount says so,
  // so that no operation walks states that do not exist.
  scene.loaded.stateCount = 1;
  if (e.notesOneState && !moving)
    out << "INFO: " << e.label << ": one state loaded without the moving camera; stateCount is 1"
        << std::endl;
  if (e.assignsIds) base.AssignIds(nullptr);
  PPC& camera = *scene.views.viewCamera;

  if (e.scale != 1)
    for (Vex3_quarn& p : base.positions) p = p * e.scale;
  if (e.halvesLastGroupColour && base.groupCount > 0 && base.groupColor) {
    base.groupColor.MakeUnique();
    base.groupColor[size_t(base.groupCount) - 1] =
        base.groupColor[size_t(base.groupCount) - 1] * 0.5f;
  }
  if (e.randomGroupColours) base.RandomGroupColors();
  if (e.baseHeights) base.BaseHeights();
  if (e.cameraStep > 0) scene.settings.cameraStep = e.cameraStep;
  if (!list && e.shading == shading::kLitVertexColours) {
    // Shading mode 0 draws lit vertex colours: build them for the mesh as
    // it was read (and welded).
    base.ComputeNormals();
    base.ComputeVertexColors();
  }
  PlaceFixedPose(scene.views, e, &base);
  if (e.viewNumber > 0) scene.views.viewNumber = e.viewNumber;
  if (e.resetsCurrentState) scene.views.currentState = 0;
  if (e.cullingOff) scene.settings.frustumCulling = 0;
  if (e.printsBounds) {
    const AABB box = base.Box();
    out << "Centroid: " << base.Centroid() << std::endl;
    out << "Bounding box: " << box.min << " - " << box.max << std::endl;
  }
  if (e.pose.fromCentroid) out << "Eye: " << camera.eye << std::endl;
  if (list)
    out << "Loaded " << base.vertexCount << " vertices and " << base.triangleCount
              << " triangles" << std::endl;
  else
    out << "V: " << base.vertexCount << "; T: " << base.triangleCount << std::endl;
  if (e.cameraFile[0] != '\0') LoadViewCamera(*scene.views.viewCamera, e.cameraFile, *scene.errors);
  scene.views.viewWindow->camera = &camera;

  scene.loaded.firstState = scene.loaded.lastState = 0;
  scene.loaded.triangleCount = base.triangleCount;
  AllocateTriangleArrays(scene.loaded, scene.buffers);
  scene.settings.holdTrajectory = 0;
  PrintViewDirection(out, camera);
  // The entries that keep a setup camera are first drawn against the sky
  // alone, then in their own mode.
  scene.views.viewWindow->renderMode = e.keepsSetupCamera ? render_mode::kBackground : e.renderMode;
  ShowViewWindow(scene.views);
  scene.views.setupEye = camera.eye;
  scene.RedrawView();
  if (e.cameraStepAfterRedraw > 0) scene.settings.cameraStep = e.cameraStepAfterRedraw;
  if (e.keepsSetupCamera) {
    scene.views.viewWindow->renderMode = e.renderMode;
    scene.views.setupCamera = std::make_unique<PPC>(camera);
    scene.RedrawView();
  }
  scene.settings.sceneId = e.sceneIdAfter;
  scene.loaded.drawForm = e.drawForm;

  if (moving) {
    // The second state: the scene as the path's end camera sees it, moved so
    // that the fixed view camera (the path's start) sees it that way.
    scene.loaded.stateCount = 2;
    scene.loaded.lastState = 1;
    scene.views.pathCameras = LoadTrack(e.trackPattern, e.trackCameras, err);
    LoadViewCamera(*scene.views.viewCamera, Format(e.trackPattern, 1), *scene.errors);
    camera.SetGLAndCache();
    const GLMatrices from = scene.views.pathCameras[1].Matrices(), to = camera.Matrices();
    ObjLoader& second = scene.loaded.states[1];
    second.ShareTopology(base, &from, &to);
    second.stateIndex = 1;
    if (!e.movingDrawsFirstState) {
      scene.loaded.ownDrawMesh = std::make_unique<ObjLoader>();
      scene.loaded.ownDrawMesh->ShareTopology(base);
      scene.loaded.drawMesh = scene.loaded.ownDrawMesh.get();
    }
    if (e.baseHeights) {
      second.BaseHeights();
      scene.loaded.drawMesh->BaseHeights();
    }
    if (e.movingSamples) ReadStoredSamples(scene.buffers, *scene.views.viewCamera, *scene.errors);
  }
  return true;
}
