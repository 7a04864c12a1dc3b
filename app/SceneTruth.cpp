// "ASL_truth" (the camera-path truths), "Convert Fileformat", "Load
// Visibility" and render mode 40003: unpack the Scene for the drivers of
// evaluation/PathTruth.h and evaluation/TerrainTools.h.
#include <FL/gl.h>

#include <iostream>

#include "DatasetTable.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "PathTruth.h"
#include "Scene.h"
#include "TerrainTools.h"
#include "TiffIO.h"
#include "TruthRuns.h"
#include "WorkLayout.h"

void Scene::TruthRun() {
  const TruthMember& truth = FindDataset(sceneId).truth;
  if (truth.form == TruthForm::kFlyThrough || truth.form == TruthForm::kDenseStates) {
    DatasetTruth(truth);
    return;
  }
  ObjLoader* mesh = StateMesh(currentState);
  if (baseMesh == nullptr || mesh == nullptr) {
    *output << "\"ASL_truth\": no triangle scene is set up; choose one and press \"Scene "
               "Setup\" first"
            << std::endl;
    return;
  }
  if (!viewWindow->shown()) {
    *output << "\"ASL_truth\": the view window is not shown; nothing rendered" << std::endl;
    return;
  }
  // The run clears the flags before each view; sized here, they keep what
  // they held when the run refuses (its result file cannot be created).
  if (visibleFlags.size() != size_t(baseMesh->IdCount()))
    visibleFlags.assign(size_t(baseMesh->IdCount()), 0);
  PathTruthScene s;
  s.viewCamera = viewCamera.get();
  s.flags = &visibleFlags;
  // One draw gives the item buffer (decoded into itemBuffer) and the shaded
  // frame (read back into the window's pixels).
  truthDraw = true;
  truthTimes = TruthPassTimes();
  s.render = [this] { RedrawView(); };
  s.ids = itemBuffer.data();
  s.pixelCount = std::min(itemBuffer.size(), size_t(viewWindow->w) * size_t(viewWindow->h));
  s.saveFrame = [this](const std::string& path) {
    WriteTiff(viewWindow->pixels.data(), path, viewWindow->h, viewWindow->w, *errors);
  };
  s.timing = truthTiming;
  s.out = output;
  s.err = errors;
  if (truth.form == TruthForm::kForestPath)
    ForestPathTruth(s, layout::kForestPathTruth, truthViews);
  else
    CameraPathTruth(s, layout::kPathTruth, layout::kTruthFrames, truthViews);
  truthDraw = false;
  truthScratch.reset();  // a copy of the scene's positions
  RedrawView();
}

void Scene::DatasetTruth(const TruthMember& truth) {
  const bool dense = truth.form == TruthForm::kDenseStates;
  if (baseMesh == nullptr || (dense && states.size() < 2) || !viewWindow->shown()) {
    *output << "\"ASL_truth\": needs the scene set up and shown"
            << (dense ? " with two states (\"Switch Moving/Static Cam\" on)" : "")
            << "; press \"Scene Setup\" first" << std::endl;
    return;
  }
  ShowFullLists();
  const int mode = viewWindow->renderMode;
  if (truth.form == TruthForm::kFlyThrough) {
    // The whole scene, shaded, along the fly-through.
    const PPC view = *viewCamera;
    renderingFactor = 1;
    viewWindow->renderMode = render_mode::kShaded;
    GrassFieldTruth(
        view,
        [this](const PPC& camera, const std::string& path) {
          *viewCamera = camera;
          RedrawAndSave(path);
        },
        *output);
    *viewCamera = view;
  } else {
    PPC camera = *viewCamera;
    camera.Resize(viewWindow->w, viewWindow->h);
    DenseTruth(states[0], states[1], PlaybackMesh(), camera, kDenseTruthMoments, &runVisibleSet,
               *output);
    WriteVisibleSet(runVisibleSet, truth.result.Path().c_str(), *output, *errors, sceneId);
  }
  viewWindow->renderMode = mode;
  RedrawView();
}

void Scene::ConvertFileformat() { ConvertTileLists(*output, *errors); }

void Scene::LoadVisibility(int source) {
  if (!AslSceneReady("Load Visibility")) return;
  // The tile lists name the whole terrain's triangles.
  if (source != 0 && sceneId != dataset::kRti) {
    *output << "\"Load Visibility\": the ASL and control lists belong to the terrain \"RTI\"; "
               "choose it and press \"Scene Setup\" first"
            << std::endl;
    return;
  }
  if (LoadStoredVisibility(source, drawFlags, *output, *errors) >= 0) RedrawView();
}

void Scene::SoftwareRasterView(FrameBuffer& window) {
  const ObjLoader* mesh = drawMesh != nullptr ? drawMesh : baseMesh;
  if (mesh == nullptr) return;
  SampleLocationBuffer& buffer = SampleBuffer(1);
  SoftwareRasterImage(buffer, *mesh, drawFlags.empty() ? nullptr : &drawFlags,
                      window.pixels.data(), window.w, window.h, layout::kSoftwareRasterImage,
                      *output, *errors);
  glWindowPos2i(0, 0);
  window.ShowPixels();
}
