// Saved views: the buffer camera file under "Views/".
#include "FrameBuffer.h"
#include "PPC.h"
#include "Scene.h"

void Scene::SaveView() {
  if (viewWindow->camera != nullptr) viewWindow->camera->Save();
}

void Scene::LoadView() {
  // "BufferPPC.ppc" and "bufferPPC.ppc" reach one file (case-blind match).
  if (viewWindow->camera != nullptr) viewWindow->camera->Load("bufferPPC.ppc");
  RedrawView();
}
