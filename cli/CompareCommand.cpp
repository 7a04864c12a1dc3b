// compare A B: the triangles of B that A misses and those A has beyond B,
// as counts and id lists. B is the reference: a triangle in B but not in A
// is missing from A, one in A but not in B is extra.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <memory>

#include "CommandSupport.h"
#include "Commands.h"
#include "ResultFiles.h"

namespace {

struct CompareOptions {
  std::string a, b;
  CommonOptions common;
  bool lists = false;
};

std::string IdLine(const std::vector<int32_t>& ids) {
  std::string s;
  for (size_t i = 0; i < ids.size(); i++) s += (i ? " " : "") + std::to_string(ids[i]);
  return s;
}

int RunCompare(const CompareOptions& o, int argc, char** argv) {
  Run run("compare", o.common, argc, argv);
  std::string error;
  // The counts are the answer; the lists go to summary.json only when a
  // folder is asked for.
  const bool files = !o.common.out.empty();
  if (files && !OutputDirUsable(o.common.out, &error)) return run.Refuse(error);
  TriangleSet a, b;
  run.AddInput(o.a, "result");
  run.AddInput(o.b, "reference");
  if (!ReadTriangleSet(o.a, &a, &error) || !ReadTriangleSet(o.b, &b, &error))
    return run.Refuse(error);
  if (a.triangleCount >= 0 && b.triangleCount >= 0 && a.triangleCount != b.triangleCount)
    return run.Refuse(o.b + ": a scene of " + std::to_string(b.triangleCount) + " triangles, " +
                      o.a + " one of " + std::to_string(a.triangleCount));
  if (files && !run.OpenOutput()) return kExitRefused;
  std::vector<int32_t> missing, extra, common;
  std::set_difference(b.ids.begin(), b.ids.end(), a.ids.begin(), a.ids.end(),
                      std::back_inserter(missing));
  std::set_difference(a.ids.begin(), a.ids.end(), b.ids.begin(), b.ids.end(),
                      std::back_inserter(extra));
  std::set_intersection(a.ids.begin(), a.ids.end(), b.ids.begin(), b.ids.end(),
                        std::back_inserter(common));
  nlohmann::json& s = run.summary();
  s["a"] = {{"path", o.a}, {"kind", a.kind}, {"triangles", a.ids.size()}};
  s["b"] = {{"path", o.b}, {"kind", b.kind}, {"triangles", b.ids.size()}};
  s["counts"] = {{"in_both", common.size()}, {"missing", missing.size()}, {"extra", extra.size()}};
  s["missing"] = missing;
  s["extra"] = extra;
  // The lists go to standard output before the closing line, so a shell
  // can take them without reading JSON.
  if (o.lists) {
    run.console().Summary("missing: " + IdLine(missing));
    run.console().Summary("extra: " + IdLine(extra));
  }
  return run.Finish("compare: " + std::to_string(missing.size()) + " missing and " +
                        std::to_string(extra.size()) + " extra triangles in " + o.a + " against " +
                        o.b + " (" + std::to_string(common.size()) + " in both)" +
                        (files ? "; lists in " + Shown(run, "summary.json") : ""),
                    files);
}

}  // namespace

void AddCompareCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv) {
  auto o = std::make_shared<CompareOptions>();
  CLI::App* c = app.add_subcommand(
      "compare", "Missing and extra triangles of a result A against a reference B");
  c->add_option("A", o->a, "Result: visible set, interval table or id list")->required();
  c->add_option("B", o->b, "Reference, in any of the same forms")->required();
  c->add_flag("--lists", o->lists, "Also print the missing and the extra ids");
  o->common.out.clear();
  AddCommonOptions(c, &o->common);
  c->callback([=] { *action = [=] { return RunCompare(*o, argc, argv); }; });
}
