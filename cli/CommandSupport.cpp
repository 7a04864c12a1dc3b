#include "CommandSupport.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>

#include "MeshImport.h"
#include "Parallel.h"
#include "WbVersion.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

}  // namespace

const char* ProgramVersion() { return WB_VERSION; }

void AddCommonOptions(CLI::App* app, CommonOptions* o, bool outputFolder) {
  if (outputFolder)
    app->add_option("--out", o->out, "Folder for the results (created; default: .)");
  app->add_flag("--quiet", o->quiet, "No progress on standard error");
  app->add_flag("--verbose", o->verbose,
                "Show the libraries' own console lines instead of progress");
}

Run::Run(const std::string& command, const CommonOptions& options, int argc, char** argv)
    : command_(command),
      options_(options),
      console_(options.quiet || options.verbose, options.verbose),
      started_(std::chrono::steady_clock::now()) {
  summary_["command"] = command;
  std::vector<std::string> args(argv, argv + argc);
  summary_["arguments"] = args;
  summary_["version"] = ProgramVersion();
  summary_["threads"] = WorkerThreads();
  summary_["inputs"] = nlohmann::json::array();
  summary_["seconds"] = nlohmann::json::object();
  summary_["counts"] = nlohmann::json::object();
  summary_["files"] = nlohmann::json::object();
  console_.CaptureLibraryOutput();
}

bool Run::OpenOutput() {
  std::string error;
  if (out_.Open(options_.out, &error)) return true;
  Refuse(error);
  return false;
}

void Run::AddInput(const std::string& path, const std::string& role) {
  summary_["inputs"].push_back({{"path", path}, {"role", role}, {"bytes", FileSize(path)}});
}

bool Run::LoadStates(const std::vector<std::string>& paths, std::vector<ObjLoader>* states) {
  for (const std::string& p : paths) AddInput(p, "state");
  std::string error;
  bool ok = false;
  Timed("load", [&] { ok = LoadRunStates(paths, states, &error, std::cerr); });
  if (ok) return true;
  Refuse(error);
  return false;
}

bool Run::LoadScene(const std::vector<std::string>& paths, const CameraOptions& options,
                    std::vector<ObjLoader>* states, PPC* camera) {
  if (!LoadStates(paths, states)) return false;
  std::string error;
  if (MakeCamera(options, *states, camera, &error)) return true;
  Refuse(error);
  return false;
}

bool Run::OpenOutput(const PPC& camera, const CameraOptions& options) {
  if (!options.file.empty()) AddInput(options.file, "camera");
  summary_["camera"] = CameraJson(camera, options);
  return OpenOutput();
}

void Run::Timed(const std::string& name, const std::function<void()>& step) {
  const auto t0 = std::chrono::steady_clock::now();
  step();
  summary_["seconds"][name] = SecondsSince(t0);
}

int Run::Refuse(const std::string& line) {
  out_.Abandon();
  console_.Release();
  console_.Error("workbench-cli " + command_ + ": " + line);
  return kExitRefused;
}

int Run::Finish(const std::string& closingLine, bool writeSummary) {
  summary_["seconds"]["total"] = SecondsSince(started_);
  if (writeSummary) {
    summary_["files"]["summary"] = "summary.json";
    std::ofstream f(out_.Stage("summary.json"));
    f << summary_.dump(2) << "\n";
    f.close();
    if (!f) return Refuse(out_.Final("summary.json") + ": cannot be written");
  }
  std::string error;
  if (!out_.Commit(&error)) return Refuse(error);
  console_.Release();
  console_.Summary(closingLine);
  return kExitOk;
}

std::string Shown(const Run& run, const std::string& name) {
  return run.out().Final(name);
}
