// Entry point: build the Scene, publish it to the panel callbacks, run the
// event loop until the last window closes.
#include <FL/Fl.H>

#include <memory>

#include "Scene.h"

int main() {
  auto owner = std::make_unique<Scene>();
  scene = owner.get();
  int result = Fl::run();
  scene = nullptr;
  return result;
}
