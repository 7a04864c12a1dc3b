// Entry point: build the Scene, publish it to the panel's callbacks, then
// run the event loop until the last window closes, or run a script.
#include <FL/Fl.H>

#include <iostream>
#include <memory>

#include "CommandLine.h"
#include "ControlPanel.h"
#include "Scene.h"
#include "ScriptRunner.h"

int main(int argc, char** argv) {
  const CommandLine command = ReadCommandLine(argc, argv, std::cin, std::cout, std::cerr);
  if (command.exitStatus) return *command.exitStatus;
  auto owner = std::make_unique<Scene>();
  owner->controlPanel->scene = owner.get();
  const int result = command.script ? RunScript(*owner, *command.script, std::cerr) : Fl::run();
  owner->controlPanel->scene = nullptr;
  return result;
}
