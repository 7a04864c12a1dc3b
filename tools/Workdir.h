// The sample working directory: every file the scene catalogue and the
// experiment buttons read, procedurally generated, plus every folder the
// workbench writes into. `make-workdir` is a thin main around MakeWorkdir;
// tests call it to build a scratch directory.
#pragma once

#include <map>
#include <string>
#include <vector>

struct WorkdirOptions {
  bool large = false;     // also the measurement scene Geometry/Large
  std::string cgSource;   // folder whose *.cg files are copied into CG/
  // When not empty, only these parts are generated (names of WorkdirParts());
  // the folders and the shader copy are always made.
  std::vector<std::string> only;
};

// What a catalogue entry holds after Scene Setup: vertex and triangle count
// of its first state (the counts Scene Setup reports).
struct SceneCounts {
  int vertices = 0;
  int triangles = 0;
};

struct WorkdirManifest {
  // Keyed by catalogue label ("Truck_gfb", "Grass Field", ...); "WTC 911"
  // per segment as "WTC 911/<segment>", the points scenes by point count.
  std::map<std::string, SceneCounts> counts;
};

// The parts in the order they are generated.
const std::vector<std::string>& WorkdirParts();
// Every folder the workbench reads from or writes into, relative to the
// working directory.
const std::vector<std::string>& WorkdirFolders();

// Writes the directory `dir` (created when missing). False when a file
// could not be written (each failure is reported on the error stream).
bool MakeWorkdir(const std::string& dir, const WorkdirOptions& options,
                 WorkdirManifest* manifest = nullptr);

// Largest "Total Time Stamps" each entry has state files for.
constexpr int kTruckGfbMaxStates = 32;       // files 040 ... 071
constexpr int kTruckStep2MaxTimeStamps = 64; // files 040 ... 103
constexpr int kWaterFlowStates = 40;         // files 000 ... 039
constexpr int kFusionStates = 24;            // files 000 ... 023
