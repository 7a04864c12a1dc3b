// raycast STATE0 [STATE1]: the ray-casting reference, nearest hits in
// double precision along the sample rays, at one moment or the union over
// evenly spaced moments.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

#include "CameraOptions.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "Parallel.h"
#include "RayCaster.h"
#include "VisibleSet.h"

namespace {

struct RaycastOptions {
  std::vector<std::string> states;
  CameraOptions camera;
  CommonOptions common;
  double time = 0;
  int times = 0;
  int samples = 1;
};

int RunRaycast(const RaycastOptions& o, int argc, char** argv) {
  Run run("raycast", o.common, argc, argv);
  std::string error;
  if (o.states.empty() || o.states.size() > 2)
    return run.Refuse("needs one state file, or two for a moving scene");
  if (!(o.time >= 0 && o.time <= 1)) return run.Refuse("--time must lie in [0, 1]");
  if (o.times < 0) return run.Refuse("--times must not be negative");
  if (o.samples < 1 || o.samples > 64) return run.Refuse("--samples must lie in 1 ... 64");
  if (!OutputDirUsable(o.common.out, &error) || !SaveCameraUsable(o.camera, &error))
    return run.Refuse(error);
  std::vector<ObjLoader> states;
  PPC camera;
  if (!run.LoadScene(o.states, o.camera, &states, &camera) || !run.OpenOutput(camera, o.camera))
    return kExitRefused;

  RayCaster caster(camera);
  caster.AddMesh(states[0], states.size() == 2 ? &states[1] : nullptr);
  std::vector<double> when;
  if (o.times >= 1)
    for (int i = 0; i < o.times; i++) when.push_back(o.times == 1 ? 0.0 : double(i) / (o.times - 1));
  else
    when.push_back(o.time);
  const int32_t n = states[0].IdCount();
  VisibleSet visible(size_t(n), 0);
  int64_t ties = 0;
  const int64_t rays = int64_t(camera.w) * camera.h * o.samples * o.samples;
  run.Timed("raycast", [&] {
    const std::vector<uint8_t> seen = VisibleAtPixelSamples(
        caster, o.samples, when, WorkerThreads(), &ties, [&](int64_t done, int64_t total) {
          run.console().Progress("raycast", total > 0 ? double(done) / double(total) : 1.0);
        });
    for (size_t id = 0; id < seen.size() && id < visible.size(); id++)
      if (seen[id]) visible[id] = 1;
  });
  const std::string kSet = "raycast_visible_set.bin";
  int32_t count = 0;
  run.Timed("write", [&] { count = WriteVisibleSet(visible, run.out().Stage(kSet).c_str(), std::cout, std::cerr); });
  if (!SaveCamera(o.camera, camera, &error)) return run.Refuse(error);

  nlohmann::json& s = run.summary();
  s["counts"] = {{"triangles", n},
                 {"visible", count},
                 {"moments", when.size()},
                 {"rays_per_moment", rays},
                 {"samples", rays * int64_t(when.size())},
                 {"ties", ties}};
  s["files"]["visible_set"] = kSet;
  char at[32];
  std::snprintf(at, sizeof at, "at time %g", when[0]);
  const std::string moments =
      when.size() == 1 ? at : "over " + std::to_string(when.size()) + " moments";
  return run.Finish("raycast: " + std::to_string(count) + " of " + std::to_string(n) +
                    " triangles visible " + moments + "; set in " + Shown(run, kSet));
}

}  // namespace

void AddRaycastCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv) {
  auto o = std::make_shared<RaycastOptions>();
  CLI::App* c = app.add_subcommand(
      "raycast", "Triangles visible by brute-force ray casting (the reference of every method)");
  c->add_option("states", o->states, "One state file, or two: the triangles move from the first "
                                     "(time 0) to the second (time 1)")
      ->required();
  c->add_option("--time", o->time, "The moment in [0, 1] (default 0)");
  c->add_option("--times", o->times, "The union over K evenly spaced moments 0 ... 1");
  c->add_option("--samples", o->samples, "N x N rays per pixel (default 1: the pixel centres)");
  AddCameraOptions(c, &o->camera);
  AddCommonOptions(c, &o->common);
  c->callback([=] { *action = [=] { return RunRaycast(*o, argc, argv); }; });
}
