// "Make 2013 Footage!" and "Evaluate Error 2013": unpack the Scene for the
// footage drivers (evaluation/Footage.h); the view window renders the
// footage frames and shows the evaluated ones.
#include "FrameBuffer.h"
#include "Footage.h"
#include "ObjLoader.h"
#include "Scene.h"

FootageScene Scene::MakeFootageScene(int view, int type, bool evaluation) {
  FootageScene s;
  s.row = &FindDataset(loaded.dataset);
  s.dataset = loaded.dataset;
  s.view = view;
  s.type = type;
  if (loaded.baseMesh != nullptr && loaded.triangleCount > 0) {
    // The footage draws the base mesh, the evaluation rasterizes the mesh
    // as it is drawn; the flags then cover every triangle.
    s.mesh = evaluation && loaded.drawMesh != nullptr ? loaded.drawMesh : loaded.baseMesh;
    s.flags = &buffers.drawFlags;
    s.prepare = [this, evaluation] {
      if (!evaluation) loaded.drawMesh = loaded.baseMesh;
      if (buffers.drawFlags.size() < size_t(loaded.triangleCount))
        buffers.drawFlags.resize(size_t(loaded.triangleCount), 1);
    };
  }
  s.visible = &buffers.runVisibleSet;
  s.viewCamera = views.viewCamera.get();
  s.sampleBuffer = [this]() -> SampleLocationBuffer& { return SampleBuffer(1); };
  s.showOnly = [this](const std::vector<int32_t>& mask) { ShowOnlyMasked(mask); };
  s.showAll = [this] { ShowFullLists(); };
  s.setRenderMode = [this](int mode) { views.viewWindow->renderMode = mode; };
  s.renderFrame = [this](const PPC& camera, int* w, int* h) -> const uint32_t* {
    *views.viewCamera = camera;
    FrameBuffer& window = *views.viewWindow;
    window.show();
    if (!window.CaptureColor()) return nullptr;
    *w = window.w;
    *h = window.h;
    return window.pixels.data();
  };
  s.showFrame = [this](const uint32_t* colour, int w, int h) { ShowSoftwareFrame(colour, w, h); };
  s.out = output;
  s.err = errors;
  return s;
}

void Scene::MakeFootagePressed(int view, int type) {
  ::MakeFootage(MakeFootageScene(view, type, false));
}

void Scene::EvaluateFootageErrorPressed(int view, int type) {
  if (::EvaluateFootageError(MakeFootageScene(view, type, true)) >= 0) RedrawView();
}
