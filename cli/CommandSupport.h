// What every subcommand shares: the common options, loading the states,
// the run's summary record and the steps' times, and the end of a run
// (summary.json, renaming into place, the closing line).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CameraOptions.h"
#include "Console.h"
#include "ObjLoader.h"
#include "OutputDir.h"

namespace CLI {
class App;
}

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 2;

struct CommonOptions {
  std::string out = ".";
  bool quiet = false;
  bool verbose = false;
};
// The folder option's default is what `options` holds.
void AddCommonOptions(CLI::App* app, CommonOptions* options, bool outputFolder = true);

// One command's run: the console, the output folder and the summary.
class Run {
 public:
  Run(const std::string& command, const CommonOptions& options, int argc, char** argv);

  Console& console() { return console_; }
  OutputDir& out() { return out_; }
  const OutputDir& out() const { return out_; }
  nlohmann::json& summary() { return summary_; }

  // Opens the output folder; false after the error line.
  bool OpenOutput();
  // Loads the states (first the topology source); false after the error
  // line. Records each input with its size.
  bool LoadStates(const std::vector<std::string>& paths, std::vector<ObjLoader>* states);
  // The states, then the camera the options give for them; false after
  // the error line.
  bool LoadScene(const std::vector<std::string>& paths, const CameraOptions& options,
                 std::vector<ObjLoader>* states, PPC* camera);
  // Records the camera (and its file) in the summary, then opens the
  // output folder; false after the error line.
  bool OpenOutput(const PPC& camera, const CameraOptions& options);
  // Records an input file with its size.
  void AddInput(const std::string& path, const std::string& role);
  // Runs `step` and records its wall time under `name`.
  void Timed(const std::string& name, const std::function<void()>& step);
  // Prints the line, abandons the output and returns kExitRefused.
  int Refuse(const std::string& line);
  // Writes summary.json, renames everything into place and prints the
  // closing line; kExitRefused when that fails.
  int Finish(const std::string& closingLine, bool writeSummary = true);

 private:
  std::string command_;
  CommonOptions options_;
  Console console_;
  OutputDir out_;
  nlohmann::json summary_;
  std::chrono::steady_clock::time_point started_;
};

// The program's version: the project's version in CMake, with the
// commit it was built from when known.
const char* ProgramVersion();

// File name relative to the output folder, for the closing line.
std::string Shown(const Run& run, const std::string& name);
