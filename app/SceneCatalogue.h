// The fixed catalogue of prepared scenes that "Scene Setup" loads: per
// entry its scheme, files, camera, render mode, the sceneId it leaves, and
// where its radio button sits on the panel.
#pragma once

#include <string>

#include "SceneNumbers.h"

enum class LoadScheme { kStateMeshes, kPointStates, kObjectList };

struct CatalogueEntry {
  const char* label;       // the radio button
  int sceneId;             // selects the entry (a dataset::Id)
  LoadScheme scheme;
  const char* dataPath;  // below "Geometry/": prefix of the state files, or the list folder / file
  const char* cameraFile;  // below "Views/"; empty for a fixed pose
  int renderMode;          // -1: left as it is
  int sceneIdAfter;        // several entries rewrite sceneId for later operations
  int radioY, radioWidth;  // the radio button's row and width on the panel
  // Further files of some entries (empty when none).
  const char* meshFile = "";        // below "Geometry/": the mesh read instead of dataPath
  const char* trackPattern = "";    // below "Views/": the moving camera's track, %d from 1
  const char* views[2] = {"", ""};  // below "Views/": the two prepared views, read in turn
  const char* firstCamera = "";     // below "Views/": read before cameraFile
  const char* flagsFile = "";       // below "FootageVisibility/": a set read into the draw flags
};

// dataPath as a path in the working directory.
std::string EntryDataPath(const CatalogueEntry& entry);

// The entry of a sceneId, or null for an id outside the catalogue.
const CatalogueEntry* FindCatalogueEntry(int sceneId);
// The entry a script's "open" loads one's own state and camera files into.
constexpr int kOwnFilesEntry = dataset::kTruckGfb;
// Every entry in the panel's creation (tab) order.
const CatalogueEntry* CatalogueBegin();
const CatalogueEntry* CatalogueEnd();

// The ten segments of "WTC 911".
struct WtcSegment {
  int firstFile;     // number of the first state file
  int states;        // number of states
  float cameraStep;  // 0: unchanged
};
constexpr int kWtcSegments = 10;
const WtcSegment& WtcSegmentTable(int segment);  // segment in 0..9
