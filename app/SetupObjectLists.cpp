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

using namespace dataset;

bool IsFolder(int id) { return id == kGrassField || id == kForest || id == kManhattan; }

// Row and column of the terrain cell, typed on the console.
bool ReadCell(Scene& scene, int* row, int* column) {
  *scene.output << "RTI_Subdivided: type the cell's row and column (0 to 2)" << std::endl;
  std::istream& in = *scene.input;
  if (!(in >> *row >> *column)) {
    in.clear();
    *scene.errors << "ERROR: Scene Setup: \"RTI_Subdivided\" needs two integers, the cell's row and "
                 "column; nothing loaded"
              << std::endl;
    return false;
  }
  if (*row < 0 || *row > 2 || *column < 0 || *column > 2) {
    *scene.errors << "ERROR: Scene Setup: \"RTI_Subdivided\" has no cell " << *row << " " << *column
              << " (row and column are 0 to 2); nothing loaded" << std::endl;
    return false;
  }
  return true;
}

bool LoadMesh(const CatalogueEntry& e, const std::string& path, ObjLoader& mesh, std::ostream& out,
              std::ostream& err) {
  if (IsFolder(e.sceneId)) {
    mesh.shadingMode = shading::kObjectList;
    if (ReadObjectList(mesh, path, 1.0f, err) >= 0) return true;
    return BuildObjectList(mesh, path, out, err);
  }
  mesh.shadingMode = e.sceneId == kQuarnTree ? shading::kLitVertexColours : shading::kFlat;
  if (!ReadFlaggedBinary(mesh, path, out, err)) return false;
  if (e.sceneId == kRti) out << mesh.groupCount << std::endl;
  if (e.sceneId == kQuarnTree) WeldCleanup(mesh, out);
  return true;
}

}  // namespace

bool SetupObjectList(Scene& scene, const CatalogueEntry& e, int timeStamps) {
  std::string path = EntryDataPath(e);
  if (e.meshFile[0] != '\0') path = layout::GeometryFile(e.meshFile);
  if (e.sceneId == kRtiSubdivided) {
    int row = 0, column = 0;
    if (!ReadCell(scene, &row, &column)) return false;
    path = Format(EntryDataPath(e).c_str(), row, column);
    scene.cellRow = row;
    scene.cellColumn = column;
  }
  const bool moving = scene.movingCamera && e.trackPattern[0] != '\0';
  std::vector<std::string> cameras;
  if (e.cameraFile[0] != '\0') cameras.push_back(layout::CameraFile(e.cameraFile));
  if (moving)
    for (int i = 1; i <= 2; i++) cameras.push_back(layout::CameraFile(Format(e.trackPattern, i)));
  const std::string listPath = IsFolder(e.sceneId) ? layout::ObjectListIndex(path) : path;
  std::ostream& out = *scene.output;
  std::ostream& err = *scene.errors;
  if (!RequireFiles({listPath}, IsFolder(e.sceneId), err) || !RequireCameras(cameras, err)) return false;

  std::vector<ObjLoader> states(moving ? 2 : 1);
  ObjLoader& mesh = states[0];
  if (!LoadMesh(e, path, mesh, out, err)) return false;
  // Nothing to see: refused before the scene is replaced.
  if (mesh.triangleCount <= 0) {
    err << "ERROR: Scene Setup: " << listPath << " yields no triangle; nothing loaded" << std::endl;
    return false;
  }

  // Replace the scene; the previous meshes are freed here.
  SetupPrologue(scene, timeStamps);
  ReleasePreviousScene(scene);
  scene.states = std::move(states);
  ObjLoader& base = scene.states[0];
  base.stateIndex = 0;
  scene.baseMesh = scene.drawMesh = &base;
  scene.dataPath = EntryDataPath(e);
  // One state is loaded (two with the moving camera): stateCount says so,
  // so that no operation walks states that do not exist.
  scene.stateCount = 1;
  if (e.sceneId == kGrassField && !moving)
    out << "INFO: Grass Field: one state loaded without the moving camera; stateCount is 1"
              << std::endl;
  if (e.sceneId != kRti && e.sceneId != kRtiSubdivided) base.AssignIds(nullptr);
  PPC& camera = *scene.viewCamera;

  switch (e.sceneId) {
    case kGrassField:
      for (Vex3_quarn& p : base.positions) p = p * 100.0f;
      if (base.groupCount > 0 && base.groupColor) {
        base.groupColor.MakeUnique();
        base.groupColor[size_t(base.groupCount) - 1] = base.groupColor[size_t(base.groupCount) - 1] * 0.5f;
      }
      scene.viewNumber = 1;
      scene.currentState = 0;
      scene.cameraStep = 1;
      break;
    case kForest:
      scene.cameraStep = 100;
      scene.currentState = 0;
      break;
    case kManhattan: {
      base.RandomGroupColors();
      base.BaseHeights();
      scene.cameraStep = 100;
      camera.zNear = 1;
      camera.zFar = 1000000;
      scene.viewNumber = 1;
      scene.currentState = 0;
      const AABB box = base.Box();
      out << "Centroid: " << base.Centroid() << std::endl;
      out << "Bounding box: " << box.min << " - " << box.max << std::endl;
      break;
    }
    case kRti:
    case kRtiSubdivided:
      scene.viewNumber = 2;
      if (e.sceneId == kRtiSubdivided) scene.frustumCulling = 0;
      break;
    case kQuarnTree: {
      // Shading mode 0 draws lit vertex colours: build them for the
      // welded mesh.
      base.ComputeNormals();
      base.ComputeVertexColors();
      camera = PPC(55, scene.viewWindow->w, scene.viewWindow->h);
      camera.PositionAndOrient(base.Centroid() + Vex3_quarn(0, 0, 10), {0, 0, -1}, {0, 1, 0});
      camera.zNear = 1;
      camera.zFar = 10000;
      scene.viewWindow->camera = &camera;
      out << "Eye: " << camera.eye << std::endl;
      break;
    }
  }
  if (IsFolder(e.sceneId))
    out << "Loaded " << base.vertexCount << " vertices and " << base.triangleCount
              << " triangles" << std::endl;
  else
    out << "V: " << base.vertexCount << "; T: " << base.triangleCount << std::endl;
  if (e.cameraFile[0] != '\0') LoadViewCamera(scene, e.cameraFile);
  scene.viewWindow->camera = &camera;

  scene.firstState = scene.lastState = 0;
  scene.triangleCount = base.triangleCount;
  AllocateTriangleArrays(scene);
  scene.holdTrajectory = 0;
  PrintViewDirection(out, camera);
  scene.viewWindow->renderMode = (e.sceneId == kRti || e.sceneId == kRtiSubdivided)
                                     ? render_mode::kPoints
                                     : render_mode::kBackground;
  ShowViewWindow(scene);
  scene.setupEye = camera.eye;
  scene.RedrawView();
  if (e.sceneId == kForest) scene.cameraStep = 200;
  if (IsFolder(e.sceneId) || e.sceneId == kQuarnTree) {
    scene.viewWindow->renderMode = render_mode::kShaded;
    scene.setupCamera = std::make_unique<PPC>(camera);
    scene.RedrawView();
  }
  scene.sceneId = e.sceneIdAfter;

  if (moving) {
    // The second state: the scene as the path's end camera sees it, moved so
    // that the fixed view camera (the path's start) sees it that way.
    scene.stateCount = 2;
    scene.lastState = 1;
    scene.pathCameras = LoadTrack(e.trackPattern, 2, err);
    LoadViewCamera(scene, Format(e.trackPattern, 1));
    camera.SetGLAndCache();
    const GLMatrices from = scene.pathCameras[1].Matrices(), to = camera.Matrices();
    ObjLoader& second = scene.states[1];
    second.ShareTopology(base, &from, &to);
    second.stateIndex = 1;
    if (e.sceneId != kRtiSubdivided) {
      scene.ownDrawMesh = std::make_unique<ObjLoader>();
      scene.ownDrawMesh->ShareTopology(base);
      scene.drawMesh = scene.ownDrawMesh.get();
    }
    if (e.sceneId == kManhattan) {
      second.BaseHeights();
      scene.drawMesh->BaseHeights();
      PrepareManhattanSamples(scene);
    }
  }
  return true;
}
