// image STATE --set FILE [--against FILE] --out PNG: the state drawn by
// the software raster through the camera; triangles of the set in their
// lit colours, the others lit grey. With --against (the reference), the
// triangles it has and the set lacks are red (missing), those the set has
// beyond it blue (extra). The background is white.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <memory>

#include "CameraOptions.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "PngFile.h"
#include "ResultFiles.h"
#include "SoftwareRaster.h"

namespace {

struct ImageOptions {
  std::string state, set, against, png;
  CameraOptions camera;
  CommonOptions common;
};

constexpr uint8_t kMissing[3] = {255, 0, 0};
constexpr uint8_t kExtra[3] = {0, 0, 255};
constexpr uint8_t kBackground[3] = {255, 255, 255};
constexpr float kGrey = 0.75f;

std::vector<uint8_t> Flags(const TriangleSet& set, int32_t n) {
  std::vector<uint8_t> f(size_t(n), 0);
  for (int32_t id : set.ids)
    if (id < n) f[size_t(id)] = 1;
  return f;
}

// Lit as the workbench's flat colours: 0.4 + 0.6 |n . light|.
float LightFactor(const ObjLoader& mesh, int32_t id) {
  Vex3_quarn p[3];
  if (!mesh.TrianglePositions(id, p)) return 1;
  const Vex3_quarn normal = (p[1] - p[0]).Cross(p[2] - p[0]).Normalized();
  return 0.4f + 0.6f * std::min(std::fabs(normal.Dot(mesh.lightDir)), 1.0f);
}

Vex3_quarn Colour(const ObjLoader& mesh, int32_t id) {
  int32_t g = 0, k = 0;
  if (!mesh.Locate(id, &g, &k)) return Vex3_quarn(kGrey, kGrey, kGrey);
  return mesh.MaterialColor(mesh.groupMaterial[size_t(g)]);
}

uint8_t Channel(float v) { return uint8_t(std::min(255.0f, std::max(0.0f, v * 255.0f))); }

int RunImage(const ImageOptions& o, int argc, char** argv) {
  Run run("image", o.common, argc, argv);
  std::string error;
  const size_t slash = o.png.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : o.png.substr(0, slash + 1);
  if (!OutputDirUsable(folder, &error) || !SaveCameraUsable(o.camera, &error))
    return run.Refuse(error);
  TriangleSet set, against;
  run.AddInput(o.set, "set");
  if (!ReadTriangleSet(o.set, &set, &error)) return run.Refuse(error);
  if (!o.against.empty()) {
    run.AddInput(o.against, "reference");
    if (!ReadTriangleSet(o.against, &against, &error)) return run.Refuse(error);
  }
  std::vector<ObjLoader> states;
  if (!run.LoadStates({o.state}, &states)) return kExitRefused;
  const ObjLoader& mesh = states[0];
  const int32_t n = mesh.IdCount();
  for (const TriangleSet* s : {&set, &against})
    if (!s->ids.empty() && s->ids.back() >= n)
      return run.Refuse((s == &set ? o.set : o.against) + ": names triangle " +
                        std::to_string(s->ids.back()) + ", the state has " + std::to_string(n));
  PPC camera;
  if (!MakeCamera(o.camera, states, &camera, &error)) return run.Refuse(error);

  const int w = camera.w, h = camera.h;
  std::vector<int32_t> ids(size_t(w) * h, -1);
  std::vector<double> depth(size_t(w) * h, 2.0);
  ProgressLines progress(run.console(), "image");
  std::ostream log(&progress);
  run.Timed("raster", [&] { TriangleRaster(mesh, ids.data(), camera, depth.data(), 1, nullptr, log); });

  const std::vector<uint8_t> inSet = Flags(set, n), inRef = Flags(against, n);
  const bool judged = !o.against.empty();
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  int64_t counts[4] = {0, 0, 0, 0};  // set, other, missing, extra pixels
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      // The raster's row 0 is the bottom row; the picture's the top one.
      const int32_t id = ids[size_t(h - 1 - y) * w + x];
      uint8_t* px = &rgb[(size_t(y) * w + x) * 3];
      const uint8_t* fixed = kBackground;
      Vex3_quarn c;
      if (id >= 0 && id < n) {
        const bool s = inSet[size_t(id)] != 0, r = judged ? inRef[size_t(id)] != 0 : s;
        const float shade = LightFactor(mesh, id);
        if (r && !s) fixed = kMissing, counts[2]++;
        else if (s && !r) fixed = kExtra, counts[3]++;
        else if (s) fixed = nullptr, c = Colour(mesh, id) * shade, counts[0]++;
        else fixed = nullptr, c = Vex3_quarn(kGrey, kGrey, kGrey) * shade, counts[1]++;
      }
      if (fixed) std::copy(fixed, fixed + 3, px);
      else px[0] = Channel(c.x), px[1] = Channel(c.y), px[2] = Channel(c.z);
    }
  }
  // The picture is the command's one result: written beside its name and
  // renamed, like the other commands' files.
  const std::string temp = o.png + ".tmp";
  if (!WritePng(temp, w, h, rgb) || std::rename(temp.c_str(), o.png.c_str()) != 0) {
    std::remove(temp.c_str());
    return run.Refuse(o.png + ": cannot be written");
  }
  if (!SaveCamera(o.camera, camera, &error)) return run.Refuse(error);
  std::string closing = "image: " + std::to_string(w) + " x " + std::to_string(h) + " in " + o.png +
                        "; pixels: " + std::to_string(counts[0]) + " of the set, " +
                        std::to_string(counts[1]) + " of other triangles";
  if (judged)
    closing += ", " + std::to_string(counts[2]) + " missing (red), " + std::to_string(counts[3]) +
               " extra (blue)";
  return run.Finish(closing, false);
}

}  // namespace

void AddImageCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv) {
  auto o = std::make_shared<ImageOptions>();
  CLI::App* c = app.add_subcommand("image", "A picture of a set of triangles on a state (PNG)");
  c->add_option("state", o->state, "State file")->required();
  c->add_option("--set", o->set, "The triangles shown in their colours (any result file)")
      ->required();
  c->add_option("--against", o->against,
                "A reference: its triangles missing from the set red, the set's extra ones blue");
  c->add_option("--out", o->png, "The PNG file to write")->required();
  AddCameraOptions(c, &o->camera);
  AddCommonOptions(c, &o->common, false);
  c->callback([=] { *action = [=] { return RunImage(*o, argc, argv); }; });
}
