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
  const TruthMember& truth = FindDataset(loaded.dataset).truth;
  if (truth.form == TruthForm::kFlyThrough || truth.form == TruthForm::kDenseStates) {
    DatasetTruth(truth);
    return;
  }
  ObjLoader* mesh = loaded.StateMesh(views.currentState);
  if (loaded.baseMesh == nullptr || mesh == nullptr) {
    *output << "\"ASL_truth\": no triangle scene is set up; choose one and press \"Scene "
               "Setup\" first"
            << std::endl;
    return;
  }
  if (!views.viewWindow->shown()) {
    *output << "\"ASL_truth\": the view window is not shown; nothing rendered" << std::endl;
    return;
  }
  // The run clears the flags before each view; sized here, they keep what
  // they held when the run refuses (its result file cannot be created).
  if (buffers.visibleFlags.size() != size_t(loaded.baseMesh->IdCount()))
    buffers.visibleFlags.assign(size_t(loaded.baseMesh->IdCount()), 0);
  PathTruthScene s;
  s.viewCamera = views.viewCamera.get();
  s.flags = &buffers.visibleFlags;
  // One draw gives the item buffer (decoded into itemBuffer) and the shaded
  // frame (read back into the window's pixels).
  views.truthDraw = true;
  views.truthTimes = TruthPassTimes();
  s.render = [this] { RedrawView(); };
  s.ids = buffers.itemBuffer.data();
  s.pixelCount = std::min(buffers.itemBuffer.size(),
                          size_t(views.viewWindow->w) * size_t(views.viewWindow->h));
  s.saveFrame = [this](const std::string& path) {
    WriteTiff(views.viewWindow->pixels.data(), path, views.viewWindow->h, views.viewWindow->w,
              *errors);
  };
  s.timing = views.truthTiming;
  s.out = output;
  s.err = errors;
  if (truth.form == TruthForm::kForestPath)
    ForestPathTruth(s, layout::kForestPathTruth, views.truthViews);
  else
    CameraPathTruth(s, layout::kPathTruth, layout::kTruthFrames, views.truthViews);
  views.truthDraw = false;
  views.truthScratch.reset();  // a copy of the scene's positions
  RedrawView();
}

void Scene::DatasetTruth(const TruthMember& truth) {
  const bool dense = truth.form == TruthForm::kDenseStates;
  if (loaded.baseMesh == nullptr || (dense && loaded.states.size() < 2) ||
      !views.viewWindow->shown()) {
    *output << "\"ASL_truth\": needs the scene set up and shown"
            << (dense ? " with two states (\"Switch Moving/Static Cam\" on)" : "")
            << "; press \"Scene Setup\" first" << std::endl;
    return;
  }
  ShowFullLists();
  const int mode = views.viewWindow->renderMode;
  if (truth.form == TruthForm::kFlyThrough) {
    // The whole scene, shaded, along the fly-through.
    const PPC view = *views.viewCamera;
    settings.renderingFactor = 1;
    views.viewWindow->renderMode = render_mode::kShaded;
    GrassFieldTruth(
        view,
        [this](const PPC& camera, const std::string& path) {
          *views.viewCamera = camera;
          RedrawAndSave(path);
        },
        *output);
    *views.viewCamera = view;
  } else {
    PPC camera = *views.viewCamera;
    camera.Resize(views.viewWindow->w, views.viewWindow->h);
    DenseTruth(loaded.states[0], loaded.states[1], PlaybackMesh(), camera, kDenseTruthMoments,
               &buffers.runVisibleSet, *output);
    WriteVisibleSet(buffers.runVisibleSet, truth.result.Path().c_str(), *output, *errors);
  }
  views.viewWindow->renderMode = mode;
  RedrawView();
}

void Scene::ConvertFileformat() { ConvertTileLists(*output, *errors); }

void Scene::LoadVisibility(int source) {
  if (!AslSceneReady("Load Visibility")) return;
  // The tile lists name the whole terrain's triangles.
  if (source != 0 && !(loaded.Entry() != nullptr && loaded.Entry()->wholeTerrain)) {
    *output << "\"Load Visibility\": the ASL and control lists belong to the terrain \"RTI\"; "
               "choose it and press \"Scene Setup\" first"
            << std::endl;
    return;
  }
  if (LoadStoredVisibility(source, buffers.drawFlags, *output, *errors) >= 0) RedrawView();
}

void Scene::SoftwareRasterView(FrameBuffer& window) {
  const ObjLoader* mesh = loaded.drawMesh != nullptr ? loaded.drawMesh : loaded.baseMesh;
  if (mesh == nullptr) return;
  SampleLocationBuffer& buffer = SampleBuffer(1);
  SoftwareRasterImage(buffer, *mesh, buffers.drawFlags.empty() ? nullptr : &buffers.drawFlags,
                      window.pixels.data(), window.w, window.h, layout::kSoftwareRasterImage,
                      *output, *errors);
  glWindowPos2i(0, 0);
  window.ShowPixels();
}
