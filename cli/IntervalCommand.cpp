// interval STATE0 STATE1 [STATE2 ...]: the whole-interval run over the
// states, through the driver "GFB_DBG" runs on a mesh scene.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>

#include "CameraOptions.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "Frustum.h"
#include "IntervalDrivers.h"
#include "SampleLocationBuffer.h"
#include "VisibleSet.h"

namespace {

struct IntervalOptions {
  std::vector<std::string> states;
  CameraOptions camera;
  CommonOptions common;
};

// Triangles with intervals and the intervals of a table file, from its
// records' headers.
bool CountTableFile(const std::string& path, int64_t* triangles, int64_t* intervals) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  int32_t m = 0, n = 0;
  bool ok = std::fread(&m, 4, 1, f) == 1 && std::fread(&n, 4, 1, f) == 1;
  *triangles = m;
  *intervals = 0;
  for (int32_t i = 0; ok && i < m; i++) {
    int32_t record[2];
    ok = std::fread(record, 4, 2, f) == 2 && std::fseek(f, long(record[1]) * 16, SEEK_CUR) == 0;
    *intervals += record[1];
  }
  std::fclose(f);
  return ok;
}

int RunInterval(const IntervalOptions& o, int argc, char** argv) {
  Run run("interval", o.common, argc, argv);
  std::string error;
  if (o.states.size() < 2)
    return run.Refuse("needs at least two state files (the interval lies between them)");
  if (!OutputDirUsable(o.common.out, &error) || !SaveCameraUsable(o.camera, &error))
    return run.Refuse(error);
  std::vector<ObjLoader> states;
  PPC camera;
  if (!run.LoadScene(o.states, o.camera, &states, &camera) || !run.OpenOutput(camera, o.camera))
    return kExitRefused;

  const int32_t n = states[0].IdCount();
  SampleLocationBuffer buffer(camera.w, camera.h);
  buffer.SetCamera(camera);
  const Frustum frustum = Frustum::FromMatrices(buffer.camera->Matrices());
  std::vector<int32_t> live(size_t(n), 1);
  VisibleSet unionSet(size_t(n), 0), visible;
  // One phase per pair of states.
  ProgressLines progress(run.console(), "interval", int(states.size()) - 1);
  std::ostream driverOut(&progress);

  IntervalRunScene scene;
  scene.buffer = &buffer;
  scene.frustum = &frustum;
  scene.first = &states[0];
  scene.second = &states[1];
  scene.triangleCount = n;
  scene.liveFlags = &live;
  scene.unionSet = &unionSet;
  scene.frustumCulling = true;
  scene.out = &driverOut;
  std::vector<const ObjLoader*> sequence;
  for (const ObjLoader& s : states) sequence.push_back(&s);

  const std::string kTable = "interval_table.bin", kSet = "interval_visible_set.bin",
                    kLine = "Visibility_at_B.txt";
  WholeRunFiles files;
  files.table = run.out().Stage(kTable);
  files.endStateLine = run.out().Stage(kLine);
  IntervalWork work;
  run.Timed("run", [&] { StatesIntervalRun(scene, sequence, &visible, &work, files); });
  int32_t count = 0;
  run.Timed("write", [&] { count = WriteVisibleSet(visible, run.out().Stage(kSet).c_str(), std::cout, std::cerr); });
  int64_t withIntervals = 0, intervals = 0;
  if (!CountTableFile(files.table, &withIntervals, &intervals))
    return run.Refuse(run.out().Final(kTable) + ": was not written completely");
  std::string saveError;
  if (!SaveCamera(o.camera, camera, &saveError)) return run.Refuse(saveError);

  nlohmann::json& s = run.summary();
  s["counts"] = {{"triangles", n},
                 {"states", states.size()},
                 {"visible", count},
                 {"triangles_with_intervals", withIntervals},
                 {"intervals", intervals},
                 {"samples", int64_t(buffer.width) * buffer.height},
                 {"coverage_evaluations", work.evaluations}};
  s["time_unit"] = states.size() == 2 ? "the interval, 0 to 1" : "states, state i at time i";
  s["files"] = {{"interval_table", kTable}, {"visible_set", kSet}, {"end_state_line", kLine}};
  return run.Finish("interval: " + std::to_string(count) + " of " + std::to_string(n) +
                    " triangles visible; set in " + Shown(run, kSet) + ", intervals in " +
                    Shown(run, kTable));
}

}  // namespace

void AddIntervalCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv) {
  auto o = std::make_shared<IntervalOptions>();
  CLI::App* c = app.add_subcommand(
      "interval", "Triangles visible while the states move, and when (the whole-interval run)");
  c->add_option("states", o->states, "State files, in time order (two or more)")->required();
  AddCameraOptions(c, &o->camera);
  AddCommonOptions(c, &o->common);
  c->callback([=] { *action = [=] { return RunInterval(*o, argc, argv); }; });
}
