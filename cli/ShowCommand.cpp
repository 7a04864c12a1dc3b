// show FILE: any result file as text on standard output. A visible set or
// id list: its ids, one per line; an interval table: one line per triangle,
// "id: start-end start-end ..."; a camera file: its fields by name.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "CommandSupport.h"
#include "Commands.h"
#include "IntervalTable.h"
#include "PPC.h"
#include "ResultFiles.h"

namespace {

struct ShowOptions {
  std::string file;
};

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int ShowCamera(const std::string& path) {
  PPC c;
  if (!c.LoadFromFile(path)) {
    std::fprintf(stderr, "workbench-cli show: %s: not a camera file\n", path.c_str());
    return kExitRefused;
  }
  auto v = [](const char* name, const Vex3_quarn& p) {
    std::printf("%-7s %g %g %g\n", name, p.x, p.y, p.z);
  };
  v("a", c.a);
  v("b", c.b);
  v("corner", c.corner);
  v("eye", c.eye);
  std::printf("size    %d x %d\nnear    %g\nfar     %g\nfocal   %g\n", c.w, c.h, c.zNear, c.zFar,
              c.FocalLength());
  return kExitOk;
}

int Show(const ShowOptions& o) {
  if (EndsWith(o.file, ".ppc")) return ShowCamera(o.file);
  TriangleSet set;
  std::string error;
  if (!ReadTriangleSet(o.file, &set, &error)) {
    std::fprintf(stderr, "workbench-cli show: %s\n", error.c_str());
    return kExitRefused;
  }
  if (set.kind == "interval table") {
    auto table = ReadIntervalTable(o.file);
    if (!table) return kExitRefused;
    for (int32_t t : set.ids) {
      std::printf("%d:", t);
      const TimeInterval* iv = table->Intervals(t);
      for (int32_t k = 0; k < table->counts[size_t(t)]; k++)
        std::printf(" %.6f-%.6f", iv[k].start, iv[k].end);
      std::printf("\n");
    }
    std::fprintf(stderr, "%zu triangles with intervals, of %d\n", set.ids.size(),
                 table->triangleCount);
    return kExitOk;
  }
  for (int32_t id : set.ids) std::printf("%d\n", id);
  std::fprintf(stderr, "%zu triangles (%s)\n", set.ids.size(), set.kind.c_str());
  return kExitOk;
}

}  // namespace

void AddShowCommand(CLI::App& app, std::function<int()>* action, int, char**) {
  auto o = std::make_shared<ShowOptions>();
  CLI::App* c = app.add_subcommand(
      "show", "Any result file as text: visible sets, interval tables, id lists, cameras");
  c->add_option("file", o->file, "The file")->required();
  c->callback([=] { *action = [=] { return Show(*o); }; });
}
