#include "CameraOptions.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Frustum.h"
#include "OutputDir.h"

namespace {

constexpr int kCameraNumbers = 16;  // a, b, corner, eye, w, h, near, far

Vex3_quarn V(const std::vector<float>& v) { return Vex3_quarn(v[0], v[1], v[2]); }

std::string Num(double v) {
  char s[32];
  std::snprintf(s, sizeof s, "%g", v);
  return s;
}

// The whole record must be there: the file reader keeps unread fields.
bool CheckCameraFile(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be opened";
    return false;
  }
  int numbers = 0;
  std::string token;
  while (numbers < kCameraNumbers && in >> token) {
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    if (end == token.c_str() || *end != '\0' || !std::isfinite(v)) break;
    numbers++;
  }
  if (numbers < kCameraNumbers) {
    *error = path + ": not a camera file (number " + std::to_string(numbers + 1) +
             " of its 16 is missing or not a number)";
    return false;
  }
  return true;
}

bool ParseSize(const std::string& s, int* w, int* h) {
  char x = 0;
  std::istringstream in(s);
  if (!(in >> *w >> x >> *h) || (x != 'x' && x != 'X') || !in.eof()) return false;
  return *w > 0 && *h > 0 && *w <= 65536 && *h <= 65536;
}

AABB StatesBox(const std::vector<ObjLoader>& states) {
  AABB box;
  for (const ObjLoader& s : states) {
    const AABB b = s.Box();
    if (!b.Empty()) box.Extend(b.min), box.Extend(b.max);
  }
  return box;
}

// Near and far around the states' extent as seen from the eye.
void FitDepthRange(const AABB& box, const Vex3_quarn& eye, float* zNear, float* zFar) {
  double far = 0, nearest = 0;
  for (int i = 0; i < 8; i++) {
    const Vex3_quarn c((i & 1) ? box.max.x : box.min.x, (i & 2) ? box.max.y : box.min.y,
                       (i & 4) ? box.max.z : box.min.z);
    far = std::max(far, double((c - eye).Length()));
  }
  // Distance from the eye to the box (0 inside it).
  const double dx = std::max({double(box.min.x - eye.x), 0.0, double(eye.x - box.max.x)});
  const double dy = std::max({double(box.min.y - eye.y), 0.0, double(eye.y - box.max.y)});
  const double dz = std::max({double(box.min.z - eye.z), 0.0, double(eye.z - box.max.z)});
  nearest = std::sqrt(dx * dx + dy * dy + dz * dz);
  far = far * 1.1 + 1e-3;
  *zFar = float(far);
  *zNear = float(std::max(nearest * 0.9, far * 1e-4));
}

bool SeesATriangle(PPC& camera, const std::vector<ObjLoader>& states) {
  camera.SetGLAndCache();
  const Frustum frustum = Frustum::FromMatrices(camera.Matrices());
  const int32_t n = states[0].IdCount();
  for (int32_t t = 0; t < n; t++) {
    for (const ObjLoader& s : states) {
      Vex3_quarn p[3];
      if (!s.TrianglePositions(t, p)) continue;
      AABB box;
      for (const Vex3_quarn& v : p) box.Extend(v);
      if (frustum.MayContain(box)) return true;
    }
  }
  return false;
}

}  // namespace

void AddCameraOptions(CLI::App* app, CameraOptions* o) {
  app->add_option("--camera", o->file, "Camera file (.ppc)");
  app->add_option("--look-from", o->lookFrom, "Eye position X Y Z")->expected(3);
  app->add_option("--look-at", o->lookAt, "Point looked at X Y Z")->expected(3);
  app->add_option("--up", o->up, "Up direction X Y Z (default 0 0 1)")->expected(3);
  app->add_option("--fov", o->fov, "Horizontal field of view in degrees (default 55)");
  app->add_option("--size", o->size, "Image size WxH (default 1280x720)");
  app->add_option("--near", o->zNear, "Near distance (default: from the states' extent)");
  app->add_option("--far", o->zFar, "Far distance (default: from the states' extent)");
  app->add_flag("--fit", o->fit, "Frame the union of all states");
  app->add_option("--save-camera", o->save, "Write the camera used as a .ppc file");
}

bool MakeCamera(const CameraOptions& o, const std::vector<ObjLoader>& states, PPC* camera,
                std::string* error) {
  const bool pose = !o.lookFrom.empty() || !o.lookAt.empty();
  const int ways = int(!o.file.empty()) + int(pose) + int(o.fit);
  if (ways != 1) {
    *error = ways == 0 ? "no camera: give --camera FILE, --look-from and --look-at, or --fit"
                       : "give only one of --camera, --look-from/--look-at and --fit";
    return false;
  }
  if (pose && (o.lookFrom.size() != 3 || o.lookAt.size() != 3)) {
    *error = "--look-from and --look-at go together, three numbers each";
    return false;
  }
  if (!o.file.empty()) {
    if (!CheckCameraFile(o.file, error)) return false;
    PPC c;
    std::ostringstream said;
    if (!c.LoadFromFile(o.file, said)) {
      // The reader's line names the file and the value.
      const std::string line = said.str();
      const size_t at = line.find("ERROR: ");
      *error = at == std::string::npos ? o.file + ": not a camera file"
                                       : line.substr(at + 7, line.find('\n', at) - at - 7);
      return false;
    }
    if (o.zNear > 0) c.zNear = o.zNear;
    if (o.zFar > 0) c.zFar = o.zFar;
    *camera = c;
  } else {
    int w = 0, h = 0;
    if (!ParseSize(o.size, &w, &h)) {
      *error = "--size " + o.size + ": expected WIDTHxHEIGHT, for example 1280x720";
      return false;
    }
    if (const char* problem = CameraSizeProblem(w, h)) {
      *error = "--size " + o.size + ": " + problem;
      return false;
    }
    if (!(o.fov > 0 && o.fov < 180)) {
      *error = "--fov " + Num(o.fov) + ": must lie between 0 and 180 degrees";
      return false;
    }
    const Vex3_quarn up = o.up.size() == 3 ? V(o.up) : Vex3_quarn(0, 0, 1);
    const AABB box = StatesBox(states);
    Vex3_quarn eye, at;
    if (o.fit) {
      at = (box.min + box.max) * 0.5f;
      const double r = std::max(double((box.max - box.min).Length()) * 0.5, 1e-6);
      // Seen from the front and above, like the sample scenes' views.
      const Vex3_quarn u = up.Normalized();
      Vex3_quarn forward = std::fabs(u.y) < 0.9f ? Vex3_quarn(0, 1, 0) : Vex3_quarn(0, 0, -1);
      forward = (forward - u * forward.Dot(u)).Normalized();
      const double hfov = o.fov * M_PI / 180;
      const double vfov = 2 * std::atan(std::tan(hfov / 2) * h / w);
      const double d = r / std::sin(std::min(hfov, vfov) / 2) * 1.05;
      const double elevation = 30 * M_PI / 180;
      eye = at + (forward * float(-std::cos(elevation)) + u * float(std::sin(elevation))) * float(d);
    } else {
      eye = V(o.lookFrom);
      at = V(o.lookAt);
    }
    const Vex3_quarn view = at - eye;
    if (view.Length() <= 0 || view.Normalized().Cross(up.Normalized()).Length() < 1e-6f) {
      *error = "the view direction is zero or parallel to the up direction";
      return false;
    }
    PPC c(o.fov, w, h);
    c.PositionAndOrient(eye, view, up);
    float zNear = 0, zFar = 0;
    FitDepthRange(box, eye, &zNear, &zFar);
    c.zNear = o.zNear > 0 ? o.zNear : zNear;
    c.zFar = o.zFar > 0 ? o.zFar : zFar;
    *camera = c;
  }
  const std::string name = o.file.empty() ? "the camera" : o.file;
  if (!(camera->zNear > 0) || !(camera->zNear < camera->zFar)) {
    *error = name + ": zNear " + Num(camera->zNear) + " must be above 0 and below zFar " +
             Num(camera->zFar);
    return false;
  }
  if (!SeesATriangle(*camera, states)) {
    *error = name + ": sees no triangle of the states (all lie outside its view or depth range)";
    return false;
  }
  return true;
}

bool SaveCameraUsable(const CameraOptions& o, std::string* error) {
  if (o.save.empty()) return true;
  const size_t slash = o.save.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : o.save.substr(0, slash + 1);
  if (OutputDirUsable(dir, error)) return true;
  *error = o.save + ": cannot be written (" + *error + ")";
  return false;
}

bool SaveCamera(const CameraOptions& o, const PPC& camera, std::string* error) {
  if (o.save.empty()) return true;
  const std::string temp = o.save + ".tmp";
  if (!camera.SaveToFile(temp) || std::rename(temp.c_str(), o.save.c_str()) != 0) {
    std::remove(temp.c_str());
    *error = o.save + ": cannot be written";
    return false;
  }
  return true;
}

nlohmann::json CameraJson(const PPC& c, const CameraOptions& o) {
  auto v = [](const Vex3_quarn& p) { return std::vector<double>{p.x, p.y, p.z}; };
  nlohmann::json j;
  j["source"] = !o.file.empty() ? o.file : o.fit ? "fit" : "look-at";
  j["a"] = v(c.a);
  j["b"] = v(c.b);
  j["corner"] = v(c.corner);
  j["eye"] = v(c.eye);
  j["width"] = c.w;
  j["height"] = c.h;
  j["near"] = c.zNear;
  j["far"] = c.zFar;
  const double hw = -c.corner.Dot(c.a.Normalized());
  j["horizontal_fov"] = 2 * std::atan(hw / c.FocalLength()) * 180 / M_PI;
  if (!o.save.empty()) j["saved_to"] = o.save;
  return j;
}
