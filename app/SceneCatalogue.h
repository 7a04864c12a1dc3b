// The fixed catalogue of prepared scenes that "Scene Setup" loads: per
// entry its scheme, files, camera, render mode and the sceneId it leaves.
#pragma once

#include <string>

enum class LoadScheme { kStateMeshes, kPointStates, kObjectList };

struct CatalogueEntry {
  const char* label;       // the radio button
  int sceneId;             // selects the entry
  LoadScheme scheme;
  const char* dataPath;    // prefix of the state files, or the list folder / file
  const char* cameraFile;  // below "Views/"; empty for a fixed pose
  int renderMode;          // -1: left as it is
  int sceneIdAfter;        // several entries rewrite sceneId for later operations
};

// The entry of a sceneId, or null for an id outside the catalogue.
const CatalogueEntry* FindCatalogueEntry(int sceneId);
// Every entry in panel order.
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

// Scene ids (before the rewrites).
namespace SceneIds {
constexpr int kTruck = 0, kWtc = 1, kEasyPlane = 2, kMovingBox = 3, kTrianglePair = 4,
              kWaterFlow = 5, kFusion = 6, kRti = 7, kRtiSubdivided = 71, kGrassField = 8,
              kForest = 9, kTruckGfb = 10, kTruckGfbStep2 = 11, kManhattan = 100,
              kQuarnTree = 200;
}  // namespace SceneIds
