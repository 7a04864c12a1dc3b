// What the experiments know about each dataset: one row per dataset (found
// by the scene's identity, its catalogue sceneId) with its views, the forms its
// runs take and the names of what they read and write. Names are relative
// to a folder of the working directory (layout::Folder); the drivers and
// the tests compose the paths from a row with the functions below, so a
// name lives in one place.
//
// A new experiment member (footage, control, truth, replay) adds its
// settings to the row type and its values to the rows, and one shared
// driver reads them; it does not add a function per dataset.
#pragma once

#include <string>
#include <vector>

#include "FlyThrough.h"
#include "SceneNumbers.h"
#include "WorkLayout.h"

// A file named in a row: a name below one of the working directory's
// folders. An empty name means "none".
struct FileRef {
  layout::Folder folder = layout::Folder::kRoot;
  const char* name = "";
  bool Empty() const { return name == nullptr || name[0] == '\0'; }
  std::string Path() const { return layout::In(folder, name); }
};

// A setting chosen by the panel's view number: view 1, view 2, and the
// value for any other number.
template <typename T>
struct PerView {
  T view1{}, view2{}, other{};
  const T& For(int view) const { return view == 1 ? view1 : view == 2 ? view2 : other; }
};

// "ASL" and "ASL with Factor".
enum class AslForm {
  kLiveTriangles,  // cull, place samples on the live triangles, write the set
  kAllTriangles,   // every triangle of the mesh, no culling, the tile's statistics
  kSpheres,        // the point scenes: the spheres of the drawn frame
};

// "ASL Control": the reference a run is judged against.
enum class ControlForm {
  kCentreSamples,   // pixel centres only, the set as a text list
  kRaster,          // software raster at `controlFactor` times the view's resolution
  kRasterEachView,  // the same through each of the row's fixed cameras in turn
  kPoints,          // spheres on the fine grid (point scenes)
};

// "control": the reference of the two interval ends.
enum class ControlRunForm {
  kSampleBuffer,  // every interval's ends sampled through the sample-location buffer
  kItemBuffers,   // the item buffers of the first and the last state
  kPoints,        // the point scenes: points seen at each step's two ends
};
struct ControlRunMember {
  ControlRunForm form = ControlRunForm::kSampleBuffer;
  FileRef log{layout::Folder::kRecords, "Control/Result.txt"};
  FileRef set;          // the set written (none when empty)
  bool frames = true;  // whether the sequence "Images/Control/<n>.tif" is rendered
};

// "Play Visible triangles".
enum class ReplayForm {
  kTable,        // the interval table of the whole-interval run
  kPathLists,    // per-step id lists of a camera path, with their union
  kStateMotion,  // a stored set drawn while the states move
  kPoints,       // the point scenes' step tables
};
struct ReplayMember {
  ReplayForm form = ReplayForm::kTable;
  FileRef steps;  // kPathLists: a pattern taking the step
  FileRef set;    // the union (kPathLists) or the set shown (kStateMotion)
  FileRef log;    // none when empty
};

// "ASL_truth".
enum class TruthForm {
  kCameraPath,   // the terrain's path of 1000 views
  kForestPath,   // the forest's path of 2000 views
  kFlyThrough,   // the whole scene rendered along a fly-through
  kDenseStates,  // dense sampling of the interval between the two states
};
struct TruthMember {
  TruthForm form = TruthForm::kCameraPath;
  FileRef result;  // kDenseStates: the set written
};

// The image series a control run writes of its result.
enum class ControlFrames { kNone, kVisibleSet, kDrawFlags };

// "GFB_DBG".
enum class IntervalForm {
  kWhole,         // the whole interval at once, then its replay
  kSteps,         // 40 sub-intervals between typed step bounds
  kTrial,         // list-form timelines of a block, dumped as text
  kPoints,        // the point scenes: moving spheres between typed steps
};

struct ControlView {
  const char* camera;  // below the camera folder
  FileRef output;
};

// One prepared view of "Make 2013 Footage!" and "Evaluate Error 2013": its
// camera and, by the panel's type (1 the step-2 result, 2 the step-3
// result, 3 the dense reference), the stored set and the image folder
// (a name below "Images/"). An empty set means the view has none.
struct FootageView {
  const char* camera = nullptr;  // below the camera folder; null: no such view
  FileRef footageSet[3];
  FileRef evaluationSet[3];  // empty: the footage set
  const char* footageFolder[3] = {};
  const char* evaluationFolder[3] = {};
};

// Whether a member runs for the dataset: one of the row's datasets it
// lists (none: the row has no such member).
inline bool RunsFor(const std::vector<int>& datasets, int dataset) {
  for (int d : datasets)
    if (d == dataset) return true;
  return false;
}

struct FootageMember {
  std::vector<int> datasets;  // the row's datasets it runs for; none: no member
  bool evaluation = false;  // whether "Evaluate Error 2013" has this member
  bool twoViews = false;    // "View ID" chooses view 1 or 2; otherwise view 1
  FootageView views[2];
  int renderMode = render_mode::kShaded;
  // The set is read into the run's visible set, not the draw flags, with
  // the sample buffer prepared first.
  bool readsIntoVisibleSet = false;
  KeyScheme footageKeys, evaluationKeys;
};

// "Merge Visibility": for the step-2 and the step-3 kind, the parts (a
// pattern taking 1 ... count) and the union written of them.
struct MergeMember {
  FileRef parts[2];
  FileRef unions[2];
  int count = 0;  // 0: the row has no merge
};

// "Make Image!": what a separated image pair shows.
enum class SeparatedForm {
  kView,    // the draw flags and the view as they are
  kSets,    // a stored set chosen by the image counter, with its camera
  kPoints,  // the point scenes: the points under the draw flags, the view as it is
};
struct SeparatedMember {
  std::vector<int> datasets;  // the row's datasets kSets and kPoints run for; others take kView
  SeparatedForm form = SeparatedForm::kView;
  // Image m reads sets[m mod setCount]; the first half of the sets are seen
  // through cameras[0], the others through cameras[1] (below the camera
  // folder; null: the view as it is).
  FileRef sets[6];
  int setCount = 0;
  const char* cameras[2] = {nullptr, nullptr};
};

// "DBG": the two-dimensional run, one choice per number of its menu.
struct PlaneChoice {
  const char* label = "";  // the menu line after "<n> - "
  FileRef set;
  const char* folder = "";  // below "Images/"
};
constexpr int kPlaneChoices = 5;
struct PlaneMember {
  const char* viewCamera = nullptr;  // below the camera folder; null: the row has no run
  FileRef rasterCamera;              // the double-precision camera that moves
  PlaneChoice choices[kPlaneChoices];
};

struct DatasetRow {
  std::vector<int> ids;  // the datasets (dataset::Id) of the row; none for the shared row
  const char* name = "";

  // Still-frame runs.
  AslForm asl = AslForm::kLiveTriangles;
  PerView<const char*> aslStem;  // result stem of the plain and factor runs
  // The all-triangles form: its result per view, a pattern taking the
  // tile's column and row.
  PerView<FileRef> aslTileResult;
  // Views whose plain run unites stored sets instead of computing: a
  // pattern taking 1 ... storedSetCount.
  PerView<FileRef> storedSets;
  int storedSetCount = 0;
  // Views whose factor run is a panorama: the camera base of its
  // panoramaViews cameras "<base>_<i>.ppc".
  PerView<const char*> panoramaCameras;
  int panoramaViews = 0;

  ControlForm control = ControlForm::kCentreSamples;
  int controlFactor = 0;
  PerView<FileRef> controlResult;         // kRaster, kPoints
  std::vector<ControlView> controlViews;  // kRasterEachView
  ControlFrames controlFrames = ControlFrames::kNone;
  bool redrawAfterControl = false;  // the view shows only the visible triangles

  // Interval runs.
  IntervalForm interval = IntervalForm::kWhole;
  PerView<const char*> intervalStem;  // kSteps: the result stem
  // Whether the steps' stem depends on a view chosen on the panel; the run
  // says which way it went on the error stream.
  bool announcesView = false;

  // Footage and its error evaluation.
  FootageMember footage;

  ControlRunMember controlRun;
  ReplayMember replay;
  TruthMember truth;

  // Experiment drivers.
  MergeMember merge;
  SeparatedMember separated;
  PlaneMember plane;
};

// The row of a dataset; datasets without a row of their own share the
// last row.
const DatasetRow& FindDataset(int id);
// "Merge Visibility" is chosen by no scene: the merge of the one row that
// has one (an empty member when none has).
const MergeMember& TableMerge();
// Every row, the shared one last.
const std::vector<DatasetRow>& DatasetTable();

// View numbers a row's settings tell apart (1, 2 and one other).
constexpr int kOtherView = 0;

// Paths of a row, as the drivers compose them.
std::string AslResultPath(const DatasetRow& row, int view);
std::string AslFactorResultPath(const DatasetRow& row, int view, double factor);
std::string AslTileResultPath(const DatasetRow& row, int view, int tileColumn, int tileRow);
std::string CentreSampleResultPath(const DatasetRow& row, int view);
// The footage view the panel's view number chooses; null when the member
// has no such view.
const FootageView* FootageViewFor(const FootageMember& member, int view);
// The files the row's runs read that the working directory must hold,
// over all views (cameras as paths below "Views/").
std::vector<std::string> RowInputs(const DatasetRow& row);
// The files the row's runs write under the row's own names, over all views
// (factor runs with factor 1, tiles 0 0, steps 0). Files a run form writes
// under one fixed name for every dataset (the whole-interval table, the
// end-state line, the run log, the trial dump, the image series) are not
// listed.
std::vector<std::string> RowOutputs(const DatasetRow& row);
