// The fixed catalogue of prepared scenes that "Scene Setup" loads: per
// entry where its radio button sits, what it loads and how, the camera it
// gives the view, the settings it leaves, the steps it runs after loading,
// and how the scene is drawn. Scene Setup reads an entry's columns; it
// never asks which entry it has.
#pragma once

#include <string>
#include <vector>

#include "SceneNumbers.h"
#include "Vex3.h"
#include "VisibleSet.h"

enum class LoadScheme {
  kStateMeshes,  // one OBJ file per state, the first the topology source
  kPointStates,  // one OBJ file of points per state
  kObjectList,   // a folder's object list, one static state
  kFlaggedMesh,  // one flagged binary file (or a cell of it), one static state
};

// What "Total Time Stamps" must be; a request outside it is refused.
enum class StampRule { kAny, kExactlyTwo, kTwoOrMore, kFourOrMore };

// How many state files a state-mesh entry loads.
enum class StateCount {
  kFixed,           // fixedStates
  kTimeStamps,      // "Total Time Stamps"
  kHalfTimeStamps,  // "Total Time Stamps" / 2
  kSegment,         // the "WTC 911" segment's
};

// Steps of a state-mesh setup after its camera, in the entry's order.
enum class SetupStep {
  kLiveness,         // the liveness file beside the state files, checked or written
  kTriangleColours,  // per-triangle colours of the first state
  kTrajectories,     // keyframed trajectories, their good triangles the draw flags;
                     // with the moving camera, from the track's re-projections
  kTriangleRecords,  // the degenerate- and dying-triangle records
  kLiftPlane,        // vertex heights and colours from the plane's textures
  kAllDrawFlags,     // every triangle drawn, also the run's visible set
};

// A fixed pose given to the view camera before its file is read (or
// instead of one).
struct FixedPose {
  enum class Camera {
    kNone,       // no pose
    kKept,       // the view camera as it is, placed
    kDefault,    // a new default camera, placed
    kViewSized,  // a new camera of the view window's size, placed
  };
  Camera camera = Camera::kNone;
  Vex3_quarn eye, direction, up;
  bool fromCentroid = false;  // eye is relative to the first state's vertex centroid (printed)
  bool resize = false;        // resized to the view window after placing
};

struct CatalogueEntry {
  // The panel.
  const char* label = "";  // the radio button
  int sceneId = 0;         // selects the entry (a dataset::Id)
  int radioY = 0, radioWidth = 0;
  bool initial = false;    // the radio selected at start
  bool segmented = false;  // "Seg# " beside the radio chooses the files
  // What the panel's choice becomes after a setup: the entry a second press
  // of "Scene Setup" loads.
  int sceneIdAfter = 0;

  // What is loaded.
  LoadScheme scheme = LoadScheme::kStateMeshes;
  const char* dataPath =
      "";  // below "Geometry/": prefix of the state files, or the list folder / file
  const char* meshFile = "";  // below "Geometry/": the mesh read instead of dataPath
  bool typedCell = false;     // dataPath takes the cell's row and column, typed on the console
  StampRule stamps = StampRule::kAny;
  StateCount stateCount = StateCount::kFixed;
  int fixedStates = 1;
  int firstFile = 0;  // file number of the first state
  int fileStep = 1;   // between the files of consecutive states
  // The drawn mesh: file firstFile + states - 1, or the first state itself.
  bool drawsFirstState = false;
  uint8_t loadShading = shading::kFlat;  // of the first state while it loads
  uint8_t shading = shading::kFlat;      // of every mesh once loaded
  int colourScheme = 0;                  // of every state
  // A reference mesh the first state is repaired and compared with before
  // the others borrow its lists (empty: none).
  const char* repairReference = "";
  bool announcesLoad = false;  // prints "Done load geometry." once loaded
  // Object lists and flagged meshes.
  float scale = 1;  // every position multiplied once loaded
  bool halvesLastGroupColour = false;
  bool assignsIds = true;
  bool printsGroupCount = false;
  bool welds = false;  // the welding cleanup after loading
  bool randomGroupColours = false;
  bool baseHeights = false;    // on the first state, and on the moving camera's states
  bool printsBounds = false;   // the vertex centroid and the bounding box
  bool notesOneState = false;  // says that one state is loaded without the moving camera
  // Point states.
  int drawFile = 0;        // the point set drawn
  int directionFile = -1;  // the set the drawn set's motion directions point to (-1: none)
  double radius = 0;       // point size of the experiments

  // The camera.
  const char* cameraFile = "";      // below "Views/"; empty for a fixed pose
  bool cameraOptional = false;      // a missing cameraFile leaves the fixed pose
  const char* firstCamera = "";     // below "Views/": read before cameraFile
  const char* views[2] = {"", ""};  // below "Views/": the two prepared views, read in turn
  FixedPose pose;
  float zNear = 0, zFar = 0;      // given before the camera file is read (0: kept)
  const char* trackPattern = "";  // below "Views/": the moving camera's track, %d from 1
  int trackCameras = 2;
  bool movingDrawsFirstState = false;  // with the moving camera the first state stays drawn
  bool movingSamples = false;          // with the moving camera the sample buffer reads its file

  // What the scene leaves in the settings and the view (0 or below: kept).
  int renderMode = -1;
  bool keepsSetupCamera = false;  // shown in renderMode after a first drawing, camera kept
  float cameraStep = 0;
  float cameraStepAfterRedraw = 0;
  int viewNumber = 0;
  double interpolation = -1;
  bool resetsCurrentState = false;
  bool cullingOff = false;
  bool holdTrajectoryOff = false;
  bool redrawsAfterSetup = false;  // the view drawn, and events processed twice, at the end

  std::vector<SetupStep> steps;
  const char* flagsFile = "";  // below "FootageVisibility/": a set read into the draw flags

  // Later operations.
  DrawForm drawForm = DrawForm::kStates;
  // Drawn through the state program until its setup ends (the drawings of
  // the setup itself).
  bool setupDrawnThroughProgram = false;
  SetIds setIds = SetIds::kIndex;  // how its visible-set files name triangles
  bool wholeTerrain = false;       // cut by "Subdivide Geometry"; the tile lists name its triangles
};

// dataPath as a path in the working directory.
std::string EntryDataPath(const CatalogueEntry& entry);

// The entry of a sceneId, or null for an id outside the catalogue.
const CatalogueEntry* FindCatalogueEntry(int sceneId);
// The entry a script's "open" loads one's own state and camera files into.
constexpr int kOwnFilesEntry = dataset::kTruckGfb;
// Every entry in the panel's creation (tab) order.
const std::vector<CatalogueEntry>& Catalogue();
// The sceneId of the radio selected at start.
int InitialSceneId();

// The ten segments of "WTC 911".
struct WtcSegment {
  int firstFile;     // number of the first state file
  int states;        // number of states
  float cameraStep;  // 0: unchanged
};
constexpr int kWtcSegments = 10;
const WtcSegment& WtcSegmentTable(int segment);  // segment in 0..9
