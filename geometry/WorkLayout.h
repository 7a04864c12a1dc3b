// The working directory: its fixed folders and the file-name patterns of
// the files in them. Every path the workbench, the sample-data generator,
// the tests and the benchmarks use is made here; callers give only what
// varies (a dataset's names from its catalogue entry or dataset row, a
// step, a frame number). Paths are relative to the working directory and
// folders end in '/'. Folders must exist: a write into a missing one fails
// silently.
#pragma once

#include <string>

namespace layout {

// The fixed folders.
enum class Folder {
  kRoot,            // the working directory itself
  kGeometry,        // "Geometry/": scenes, caches, liveness files, backdrops
  kViews,           // "Views/": cameras (all camera names are below it)
  kShaders,         // "CG/": shader programs
  kTextures,        // "Texture/"
  kResults,         // "ASL_Visibility/": visible sets, id lists and logs of the runs
  kTables,          // "VisibilityTable/": interval tables
  kRecords,         // "VisibilityRecord/": triangle records, run logs compared
  kImages,          // "Images/": frame series, one folder per series
  kSamples,         // "Superpixel_visibilities/": sample positions, path truths
  kFootage,         // "FootageVisibility/": the stored sets the footage judges
  kExperimentLogs,  // "SuperPixelResult/": logs of the control and replay runs
  kCombined,        // "CombinedVisibility/": the point scenes' combined runs
  kPlane,           // "2DVisibility/": the two-dimensional run
  kProcess,         // "Process/": image series of the process figures
};
const char* FolderName(Folder folder);
// `name` inside a folder.
std::string In(Folder folder, const std::string& name);

// Cameras are named below "Views/"; the prepared views are in its
// "Final_views/" folder.
std::string CameraFile(const std::string& name);  // "Views/<name>"
std::string FinalView(const std::string& name);   // "Final_views/<name>", a camera name
// Camera i of a numbered series: "<base>_<i>.ppc".
std::string NumberedCamera(const std::string& base, int i);
// The camera "Save Present View" writes and "Load Prev View" reads (the
// reader's spelling differs; a case-blind match makes them one file).
extern const char* const kSavedView;   // "BufferPPC.ppc"
extern const char* const kLoadedView;  // "bufferPPC.ppc"

// Scene files: states "<prefix><nnn>.obj", their binary caches
// "<file>.rdd", object lists "<folder>index.txt" and liveness files
// "<prefix>liveness.txt".
std::string GeometryFile(const std::string& name);  // "Geometry/<name>"
std::string StateFile(const std::string& prefix, int number);
std::string CacheFile(const std::string& file);
std::string ObjectListIndex(const std::string& folder);
std::string LivenessFile(const std::string& prefix);
// The inspection records of Scene Setup.
extern const char* const kDegenerateRecord;  // "VisibilityRecord/DegenTriangleRecord.txt"
extern const char* const kDyingRecord;       // "VisibilityRecord/DyingTriangleRecord.txt"
// The tower's reference state the cleanup is compared with.
extern const char* const kTowerReference;    // "WTC_state057.bin"
// The measurement scene of "make-workdir --large": states
// StateFile(kLargeStates, 0 and 1) and its camera.
extern const char* const kLargeStates;  // "Geometry/Large/state"
extern const char* const kLargeCamera;  // "Large_default.ppc"
// The scanned-like model of "make-workdir --large" (ScannedLike()).
extern const char* const kScannedStates;  // "Geometry/Scanned/state"
extern const char* const kScannedCamera;  // "Scanned_default.ppc"
// Easy Plane's heights, colours and texture coordinates.
extern const char* const kPlaneHeights;      // "Texture/Rump.tif"
extern const char* const kPlaneColours;      // "Texture/test2.tif"
extern const char* const kPlaneCoordinates;  // "Geometry/EasyPlane/uvCoords.txt"
// Backdrops of the shaded passes.
extern const char* const kGrassBackdrop;     // "Geometry/Cloud-39.tif"
extern const char* const kCityBackdrop;      // "Geometry/Manhattan_bg.tif"

// Shader programs.
std::string Shader(const std::string& name);  // "CG/<name>"
extern const char* const kItemBufferShader;   // "CG/RenderBaryCentric.cg"
extern const char* const kTowerShader;        // "CG/RenderWTC.cg"
extern const char* const kCityShader;         // "CG/RenderManhattan.cg"
extern const char* const kGrassShader;        // "CG/RenderGrass.cg"
extern const char* const kFootageShader;      // "CG/RenderOriginalFootage.cg"
extern const char* const kSuperPixelShader;   // "CG/RenderOriginalFootage_sp.cg"
extern const char* const kRasterShader;       // "CG/RTI_Raster.cg"

// Images: a series is a folder "Images/<name>/" of frames "<folder><i>.tif".
std::string ImageFolder(const std::string& name);
std::string Frame(const std::string& folder, int i);
extern const char* const kRasterImage;  // "Images/Raster_HW.tif", the "Filled" pass

// Results of the still-frame runs, by a dataset's stem.
std::string Result(const std::string& name);  // "ASL_Visibility/<name>"
std::string AslResult(const std::string& stem);                 // "<stem>.bin"
std::string AslFactorResult(const std::string& stem, double factor);  // "<stem>_X%lf_.bin"
std::string CentreSampleResult(const std::string& stem);        // "<stem>_control.txt"
std::string PanoramaResult(int view);                           // "ASL_exp_panorama_<view>.bin"
// A set the plain run takes its liveness flags from when it exists.
extern const char* const kPlainRunFlags;  // "ASL_Visibility/Whoknowswhat_2.bin"

// Results of the interval runs: per step "ASL_Visibility/<stem>_<step>.txt"
// and "VisibilityTable/<stem>_<step>.bin", the union over the steps
// "ASL_Visibility/<stem>_Full.txt" and "ASL_Visibility/<stem>_visibleSet.bin".
std::string StepIdList(const std::string& stem, int step);
std::string StepTable(const std::string& stem, int step);
std::string UnionIdList(const std::string& stem);
std::string UnionSet(const std::string& stem);
extern const char* const kWholeRunTable;  // "VisibilityTable/whatever_1.bin"
extern const char* const kEndStateLine;   // "ASL_Visibility/Visibility_at_B.txt"
extern const char* const kIntervalLog;    // "ASL_Visibility/log2.txt"
extern const char* const kTrialDump;      // "trial_interval.txt"
// The two per-step logs "Cmp Log files" compares and its two reports.
extern const char* const kLogA;            // "VisibilityRecord/GFB_A.txt"
extern const char* const kLogB;            // "VisibilityRecord/GFB_B.txt"
extern const char* const kLogsOverall;     // "VisibilityRecord/GFB_A_vs_B_overall.txt"
extern const char* const kLogsPerStep;     // "VisibilityRecord/GFB_A_vs_B_perStep.txt"
// The two error-image sequences "cmp Image" counts, and its log.
extern const char* const kControlErrorFrames;     // "Images/Forest/SuperPixel/Control_wError/"
extern const char* const kSuperPixelErrorFrames;  // "Images/Forest/SuperPixel/Super_pixel_wError/"
extern const char* const kSequenceLog;            // "Images/Forest/SuperPixel/Trial.txt"
// The cells of "Subdivide Geometry" and the camera that cuts them (a
// double-precision camera file).
extern const char* const kCellFolder;  // "geometry/RTI_45Degree/"
extern const char* const kCellView;    // "Views/Quarn/RTI_45Degree.ppc"
// The sample positions read into the buffer (the city with its path).
extern const char* const kSamplePositions;  // "Superpixel_visibilities/ASL_gfbfile.bin"
// Two states in a standard format for the command-line tool's quick start.
extern const char* const kMeshFileFolder;  // "MeshFiles/"
extern const char* const kMeshFileA;       // "MeshFiles/a.ply"
extern const char* const kMeshFileB;       // "MeshFiles/b.ply"

// The point scenes' sphere runs: per step i the tables
// "VisibilityTable/Fusion_<i>_<i+1>.bin" (interval run) and
// "VisibilityTable/Fusion_combined_<i>_<i+1>.bin" (ASL's samples added),
// and the logs of the combined runs.
std::string PointStepTable(int step);
std::string CombinedStepTable(int step);
extern const char* const kCombinedExpLog;      // "CombinedVisibility/Fusion_combined_exp.txt"
extern const char* const kCombinedControlLog;  // "CombinedVisibility/Fusion_combined_control.txt"
extern const char* const kCombinedTruthLog;    // "CombinedVisibility/Fusion_combined_truth.txt"
// Playback: the frames of "Play" and of the camera-path truth, and the logs.
extern const char* const kTruthFrames;       // "Images/Truth/"
extern const char* const kPointPlaybackLog;  // "VisibilityRecord/Fusion.txt"
extern const char* const kMeshPlaybackLog;   // "VisibilityRecord/Moving_box.txt"
// The replay of "Play Visible triangles": table i and the log.
std::string ReplayTable(int i);              // "VisibilityTable/Forest_movingCam_<i>_visibility.bin"
extern const char* const kReplayLog;         // "SuperPixelResult/visibility_result.txt"
// The camera-path truths of the terrain and of the forest.
extern const char* const kPathTruth;         // "ASL_Visibility/RTI_truth_1000.txt"
extern const char* const kForestPathTruth;   // "ASL_Visibility/Forest_truth_1300.bin"
// The terrain's tile id lists: "<base>_<a>_<b>.txt" and "<base>_<a>_<b>_bin.txt".
extern const char* const kTileAslBase;       // "ASL_Visibility/RTI_ASL/RTI"
extern const char* const kTileControlBase;   // "ASL_Visibility/RTI_Control/RTI_Control_160X"
std::string TileTextList(const std::string& base, int a, int b);
std::string TileBinaryList(const std::string& base, int a, int b);
// The software raster image of render mode 40003.
extern const char* const kSoftwareRasterImage;  // "Images/RasterSW.tif"
// The sample id image of the pixel-centre pass run on its own ("ASL
// Control" on the scenes without a reference of their own).
extern const char* const kCentreSampleImage;  // "Images/WTF.tif"

// The experiment drivers' own files.
// The per-frame log of an evaluated series: "<folder>Log.txt".
std::string SeriesLog(const std::string& folder);
// "Make Image!": pair m, the view "Images/SepImage<m>.tif", its software
// raster "Images/SepImage<m>_error.tif" and the log "Images/SepImage<m>_log.txt".
std::string SeparatedImage(int m);
std::string SeparatedErrorImage(int m);
std::string SeparatedLog(int m);
// "Make Frame Image!": "Images/Frame_Z_<ratio %lf>.tif".
std::string FrameImage(double ratio);
// "Vis GFB": frame i of the moving boxes, "Images/MB_demo/img<iii>.tif".
std::string MovingBoxesFrame(int i);

}  // namespace layout
