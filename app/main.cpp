// Entry point: build the Scene, publish it to the panel's callbacks, run
// the event loop until the last window closes.
#include <FL/Fl.H>

#include <memory>

#include "ControlPanel.h"
#include "Scene.h"

int main() {
  auto owner = std::make_unique<Scene>();
  owner->controlPanel->scene = owner.get();
  const int result = Fl::run();
  owner->controlPanel->scene = nullptr;
  return result;
}
