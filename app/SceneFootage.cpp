// "Make 2013 Footage!" and "Evaluate Error 2013": unpack the Scene for the
// footage drivers (evaluation/Footage.h); the view window renders the
// footage frames and shows the evaluated ones.
#include "FrameBuffer.h"
#include "Footage.h"
#include "ObjLoader.h"
#include "Scene.h"

FootageScene Scene::MakeFootageScene(int view, int type, bool evaluation) {
  FootageScene s;
  s.row = &FindDataset(sceneId);
  s.dataset = sceneId;
  s.view = view;
  s.type = type;
  if (baseMesh != nullptr && triangleCount > 0) {
    // The footage draws the base mesh, the evaluation rasterizes the mesh
    // as it is drawn; the flags then cover every triangle.
    s.mesh = evaluation && drawMesh != nullptr ? drawMesh : baseMesh;
    s.flags = &drawFlags;
    s.prepare = [this, evaluation] {
      if (!evaluation) drawMesh = baseMesh;
      if (drawFlags.size() < size_t(triangleCount)) drawFlags.resize(size_t(triangleCount), 1);
    };
  }
  s.visible = &runVisibleSet;
  s.viewCamera = viewCamera.get();
  s.sampleBuffer = [this]() -> SampleLocationBuffer& { return SampleBuffer(1); };
  s.showOnly = [this](const std::vector<int32_t>& mask) { ShowOnlyMasked(mask); };
  s.showAll = [this] { ShowFullLists(); };
  s.setRenderMode = [this](int mode) { viewWindow->renderMode = mode; };
  s.renderFrame = [this](const PPC& camera, int* w, int* h) -> const uint32_t* {
    *viewCamera = camera;
    FrameBuffer& window = *viewWindow;
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
