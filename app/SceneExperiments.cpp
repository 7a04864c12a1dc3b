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
const uint32_t* CaptureView(Scene& s, int* w, int* h) {
  FrameBuffer& window = *s.viewWindow;
  if (window.camera == nullptr) window.camera = s.viewCamera.get();
  window.show();
  if (!window.CaptureColor()) return nullptr;
  *w = window.w;
  *h = window.h;
  return window.pixels.data();
}

}  // namespace

void Scene::ShowSoftwareFrame(const uint32_t* colour, int w, int h) {
  FrameBuffer& window = *viewWindow;
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
  ::MergeVisibility(FindDataset(dataset::kManhattan).merge, &merged, *output, *errors);
}

void Scene::MakeSeparatedImagesPressed() {
  static const SeparatedMember kViewOnly;
  const DatasetRow& row = FindDataset(sceneId);
  SeparatedScene s;
  s.member = row.separated.dataset == sceneId ? &row.separated : &kViewOnly;
  s.counter = &separatedImageCount;
  const bool points = s.member->form == SeparatedForm::kPoints;
  if (points && particleDrawState) {
    s.points.count = int32_t(particleDrawState->positions.size());
    s.points.points = particleDrawState->positions.data();
    if (particleDrawState->colors.size() == particleDrawState->positions.size())
      s.points.colours = particleDrawState->colors.data();
    s.radius = float(radius);
    s.pixelRays = &pixelRays;
    if (drawFlags.size() < size_t(s.points.count)) drawFlags.resize(size_t(s.points.count), 1);
  } else if (!points && drawMesh != nullptr && drawMesh->IdCount() > 0) {
    s.mesh = drawMesh;
    if (drawFlags.size() < size_t(drawMesh->IdCount()))
      drawFlags.resize(size_t(drawMesh->IdCount()), 1);
  }
  s.flags = &drawFlags;
  s.viewCamera = viewCamera.get();
  s.renderView = [this](int* w, int* h) { return CaptureView(*this, w, h); };
  s.showAll = [this] { ShowFullLists(); };
  s.showFrame = [this](const uint32_t* colour, int w, int h) { ShowSoftwareFrame(colour, w, h); };
  s.out = output;
  s.err = errors;
  ::MakeSeparatedImages(s);
}

void Scene::MakeFrameImagePressed() {
  int w = 0, h = 0;
  if (CaptureView(*this, &w, &h) == nullptr) {
    *errors << "ERROR: \"Make Frame Image!\": the view window did not draw" << std::endl;
    return;
  }
  PPC saved = *viewCamera;
  if (!saved.Load(layout::kSavedView, *errors)) {
    *output << "\"Make Frame Image!\": no saved view " << layout::CameraFile(layout::kSavedView)
            << "; press \"Save Present View\" first" << std::endl;
    return;
  }
  FrameBuffer& window = *viewWindow;
  ForEachOutlineEdge(FrameOutline(saved, *viewCamera),
                     [&window](const Vex3_quarn& a, const Vex3_quarn& b) { window.MarkLine(a, b); });
  const double ratio = double(saved.FocalLength()) / double(viewCamera->FocalLength());
  const std::string path = layout::FrameImage(ratio);
  if (WriteTiff(window.pixels.data(), path, window.h, window.w, *errors) == 1)
    *output << "Frame image written: " << path << std::endl;
  else
    *errors << "ERROR: cannot write file: " << path << std::endl;
  ShowSoftwareFrame(window.pixels.data(), window.w, window.h);
}

void Scene::MovingBoxesDemoPressed() {
  FrameBuffer& window = *viewWindow;
  const MovingBoxesDemo demo = MakeMovingBoxesDemo(window.w, window.h);
  *viewCamera = demo.camera;
  window.camera = viewCamera.get();
  window.renderMode = render_mode::kMovingBoxes;
  RunMovingBoxesDemo(demo, &demoBoxes,
                     [this](int* w, int* h) { return CaptureView(*this, w, h); }, *output,
                     *errors);
}

void Scene::TwoDimensionalRunPressed() {
  if (!AslSceneReady("DBG")) return;
  const DatasetRow& row = FindDataset(sceneId);
  if (row.plane.viewCamera == nullptr || drawMesh == nullptr || states.empty()) {
    *output << "\"DBG\": the two-dimensional run judges sets of \"Manhattan\"; set it up first"
            << std::endl;
    return;
  }
  PrintPlaneMenu(row.plane, *output);
  int choice = 0;
  if (!ReadPlaneChoice(*input, *output, &choice)) return;

  FrameBuffer& window = *viewWindow;
  if (!viewCamera->Load(row.plane.viewCamera, *errors))
    *errors << "ERROR: cannot read camera " << layout::CameraFile(row.plane.viewCamera)
            << std::endl;
  viewCamera->Resize(window.w, window.h);
  viewCamera->SetGLAndCache();
  window.camera = viewCamera.get();
  RedrawView();
  SampleBuffer(1);
  // The positions of the first state's time 0, every triangle listed.
  ShowFullLists();
  ObjLoader* mesh = drawMesh;
  bool isState = false;
  for (const ObjLoader& state : states) isState = isState || &state == drawMesh;
  if (isState)
    mesh = &states[0];
  else
    mesh->InterpolatePositions(states[0], states[std::min<size_t>(1, states.size() - 1)], 0);
  if (drawFlags.size() < size_t(mesh->IdCount())) drawFlags.resize(size_t(mesh->IdCount()), 1);

  PlaneRunScene p;
  p.plane = &row.plane;
  p.mesh = mesh;
  p.flags = &drawFlags;
  p.visible = &runVisibleSet;
  p.w = window.w;
  p.h = window.h;
  p.frames = planeRunFrames > 0 ? planeRunFrames : kPlaneRunFrames;
  p.showFrame = [this](const uint32_t* colour, int w, int h) { ShowSoftwareFrame(colour, w, h); };
  p.out = output;
  p.err = errors;
  TwoDimensionalRun(p, choice);
}
