// The camera of a command: a ".ppc" file, a pose given by look-from,
// look-at, up, field of view and size, or one framing the union of all
// states; saved as ".ppc" on request so the panel can use it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ObjLoader.h"
#include "PPC.h"

namespace CLI {
class App;
}

struct CameraOptions {
  std::string file;                  // --camera
  std::vector<float> lookFrom, lookAt;  // three numbers each
  std::vector<float> up;             // default (0, 0, 1)
  float fov = 55;                    // horizontal, degrees
  std::string size = "1280x720";
  float zNear = 0, zFar = 0;         // 0: from the states' extent
  bool fit = false;
  std::string save;                  // --save-camera
};
void AddCameraOptions(CLI::App* app, CameraOptions* options);

// The camera for the states; false with `error` set when the options are
// contradictory, the file is unreadable, zNear >= zFar, or the camera sees
// no triangle of any state.
bool MakeCamera(const CameraOptions& options, const std::vector<ObjLoader>& states, PPC* camera,
                std::string* error);
// Checks before any work that --save-camera can be written.
bool SaveCameraUsable(const CameraOptions& options, std::string* error);
// Writes --save-camera (under a temporary name, then renamed); true when
// not asked for.
bool SaveCamera(const CameraOptions& options, const PPC& camera, std::string* error);

nlohmann::json CameraJson(const PPC& camera, const CameraOptions& options);
