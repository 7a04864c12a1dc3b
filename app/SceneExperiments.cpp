// "Merge Visibility", "Make Image!", "Make Frame Image!", "Vis GFB" and
// "DBG": unpack the Scene for the experiment drivers (evaluation/
// ExperimentDrivers.h, MovingBoxes.h, TwoDimensionalRun.h); the view window
// renders and shows their frames.
#include <FL/Fl.H>
#include <GL/gl.h>

#include <algorithm>

#include "DatasetTable.h"
#include "ExperimentDrivers.h"
#include "FrameBuffer.h"
#include "MovingBoxes.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "TiffIO.h"
#include "TwoDimensionalRun.h"
#include "WorkLayout.h"

namespace {

// The view window's pixels as it draws now; null when it cannot be read.
const uint32_t* CaptureView(SceneViews& views, int* w, int* h) {
  FrameBuffer& window = *views.viewWindow;
  if (window.camera == nullptr) window.camera = views.viewCamera.get();
  window.show();
  if (!window.CaptureColor()) return nullptr;
  *w = window.w;
  *h = window.h;
  return window.pixels.data();
}

}  // namespace

void Scene::ShowSoftwareFrame(const uint32_t* colour, int w, int h) {
  FrameBuffer& window = *views.viewWindow;
  if (!window.shown() || w != window.w || h != window.h) return;
  std::copy(colour, colour + size_t(w) * size_t(h), window.pixels.begin());
  window.make_current();
  glWindowPos2i(0, 0);
  window.ShowPixels();
  window.swap_buffers();
  Fl::check();
}

void Scene::MergeVisibilityPressed() {
  // The merged sets hold ids of the city's panorama views, whatever scene
  // is loaded; a scratch set keeps the loaded scene's arrays as they are.
  VisibleSet merged;
  ::MergeVisibility(TableMerge(), &merged, *output, *errors);
}

void Scene::MakeSeparatedImagesPressed() {
  static const SeparatedMember kViewOnly;
  const DatasetRow& row = FindDataset(loaded.dataset);
  SeparatedScene s;
  s.member = RunsFor(row.separated.datasets, loaded.dataset) ? &row.separated : &kViewOnly;
  s.counter = &settings.separatedImageCount;
  const bool points = s.member->form == SeparatedForm::kPoints;
  if (points && loaded.particleDrawState) {
    s.points.count = int32_t(loaded.particleDrawState->positions.size());
    s.points.points = loaded.particleDrawState->positions.data();
    if (loaded.particleDrawState->colors.size() == loaded.particleDrawState->positions.size())
      s.points.colours = loaded.particleDrawState->colors.data();
    s.radius = float(loaded.radius);
    s.pixelRays = &buffers.pixelRays;
    if (buffers.drawFlags.size() < size_t(s.points.count))
      buffers.drawFlags.resize(size_t(s.points.count), 1);
  } else if (!points && loaded.drawMesh != nullptr && loaded.drawMesh->IdCount() > 0) {
    s.mesh = loaded.drawMesh;
    if (buffers.drawFlags.size() < size_t(loaded.drawMesh->IdCount()))
      buffers.drawFlags.resize(size_t(loaded.drawMesh->IdCount()), 1);
  }
  s.flags = &buffers.drawFlags;
  s.viewCamera = views.viewCamera.get();
  s.renderView = [this](int* w, int* h) { return CaptureView(views, w, h); };
  s.showAll = [this] { ShowFullLists(); };
  s.showFrame = [this](const uint32_t* colour, int w, int h) { ShowSoftwareFrame(colour, w, h); };
  s.out = output;
  s.err = errors;
  ::MakeSeparatedImages(s);
}

void Scene::MakeFrameImagePressed() {
  int w = 0, h = 0;
  if (CaptureView(views, &w, &h) == nullptr) {
    *errors << "ERROR: \"Make Frame Image!\": the view window did not draw" << std::endl;
    return;
  }
  PPC saved = *views.viewCamera;
  if (!saved.Load(layout::kSavedView, *errors)) {
    *output << "\"Make Frame Image!\": no saved view " << layout::CameraFile(layout::kSavedView)
            << "; press \"Save Present View\" first" << std::endl;
    return;
  }
  FrameBuffer& window = *views.viewWindow;
  ForEachOutlineEdge(
      FrameOutline(saved, *views.viewCamera),
      [&window](const Vex3_quarn& a, const Vex3_quarn& b) { window.MarkLine(a, b); });
  const double ratio = double(saved.FocalLength()) / double(views.viewCamera->FocalLength());
  const std::string path = layout::FrameImage(ratio);
  if (WriteTiff(window.pixels.data(), path, window.h, window.w, *errors) == 1)
    *output << "Frame image written: " << path << std::endl;
  else
    *errors << "ERROR: cannot write file: " << path << std::endl;
  ShowSoftwareFrame(window.pixels.data(), window.w, window.h);
}

void Scene::MovingBoxesDemoPressed() {
  FrameBuffer& window = *views.viewWindow;
  const MovingBoxesDemo demo = MakeMovingBoxesDemo(window.w, window.h);
  *views.viewCamera = demo.camera;
  window.camera = views.viewCamera.get();
  window.renderMode = render_mode::kMovingBoxes;
  RunMovingBoxesDemo(
      demo, &views.demoBoxes, [this](int* w, int* h) { return CaptureView(views, w, h); }, *output,
      *errors);
}

void Scene::TwoDimensionalRunPressed() {
  if (!AslSceneReady("DBG")) return;
  const DatasetRow& row = FindDataset(loaded.dataset);
  if (row.plane.viewCamera == nullptr || loaded.drawMesh == nullptr || loaded.states.empty()) {
    *output << "\"DBG\": the two-dimensional run judges sets of \"Manhattan\"; set it up first"
            << std::endl;
    return;
  }
  PrintPlaneMenu(row.plane, *output);
  int choice = 0;
  if (!ReadPlaneChoice(*input, *output, &choice)) return;

  FrameBuffer& window = *views.viewWindow;
  if (!views.viewCamera->Load(row.plane.viewCamera, *errors))
    *errors << "ERROR: cannot read camera " << layout::CameraFile(row.plane.viewCamera)
            << std::endl;
  views.viewCamera->Resize(window.w, window.h);
  views.viewCamera->SetGLAndCache();
  window.camera = views.viewCamera.get();
  RedrawView();
  SampleBuffer(1);
  // The positions of the first state's time 0, every triangle listed.
  ShowFullLists();
  ObjLoader* mesh = loaded.drawMesh;
  bool isState = false;
  for (const ObjLoader& state : loaded.states) isState = isState || &state == loaded.drawMesh;
  if (isState)
    mesh = &loaded.states[0];
  else
    mesh->InterpolatePositions(loaded.states[0],
                               loaded.states[std::min<size_t>(1, loaded.states.size() - 1)], 0);
  if (buffers.drawFlags.size() < size_t(mesh->IdCount()))
    buffers.drawFlags.resize(size_t(mesh->IdCount()), 1);

  PlaneRunScene p;
  p.plane = &row.plane;
  p.mesh = mesh;
  p.flags = &buffers.drawFlags;
  p.visible = &buffers.runVisibleSet;
  p.w = window.w;
  p.h = window.h;
  p.frames = settings.planeRunFrames > 0 ? settings.planeRunFrames : kPlaneRunFrames;
  p.showFrame = [this](const uint32_t* colour, int w, int h) { ShowSoftwareFrame(colour, w, h); };
  p.out = output;
  p.err = errors;
  TwoDimensionalRun(p, choice);
}
