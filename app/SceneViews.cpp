// Saved views: the buffer camera file in the camera folder.
#include "FrameBuffer.h"
#include "PPC.h"
#include "Scene.h"
#include "WorkLayout.h"

void Scene::SaveView() {
  if (views.viewWindow->camera != nullptr) views.viewWindow->camera->Save();
}

void Scene::LoadView() {
  // The saved and the loaded spelling reach one file (case-blind match).
  if (views.viewWindow->camera != nullptr)
    views.viewWindow->camera->Load(layout::kLoadedView, *errors);
  RedrawView();
}
