#include "WorkLayout.h"

#include "Format.h"

namespace layout {

const char* FolderName(Folder folder) {
  switch (folder) {
    case Folder::kRoot: return "";
    case Folder::kGeometry: return "Geometry/";
    case Folder::kViews: return "Views/";
    case Folder::kShaders: return "CG/";
    case Folder::kTextures: return "Texture/";
    case Folder::kResults: return "ASL_Visibility/";
    case Folder::kTables: return "VisibilityTable/";
    case Folder::kRecords: return "VisibilityRecord/";
    case Folder::kImages: return "Images/";
    case Folder::kSamples: return "Superpixel_visibilities/";
    case Folder::kFootage: return "FootageVisibility/";
    case Folder::kExperimentLogs: return "SuperPixelResult/";
    case Folder::kCombined: return "CombinedVisibility/";
    case Folder::kPlane: return "2DVisibility/";
    case Folder::kProcess: return "Process/";
  }
  return "";
}

std::string In(Folder folder, const std::string& name) { return FolderName(folder) + name; }

std::string CameraFile(const std::string& name) { return In(Folder::kViews, name); }
std::string FinalView(const std::string& name) { return "Final_views/" + name; }
std::string NumberedCamera(const std::string& base, int i) {
  return Format("%s_%d.ppc", base.c_str(), i);
}
const char* const kSavedView = "BufferPPC.ppc";
const char* const kLoadedView = "bufferPPC.ppc";

std::string GeometryFile(const std::string& name) { return In(Folder::kGeometry, name); }
std::string StateFile(const std::string& prefix, int number) {
  return Format("%s%03d.obj", prefix.c_str(), number);
}
std::string CacheFile(const std::string& file) { return file + ".rdd"; }
std::string ObjectListIndex(const std::string& folder) { return folder + "index.txt"; }
std::string LivenessFile(const std::string& prefix) { return prefix + "liveness.txt"; }
const char* const kDegenerateRecord = "VisibilityRecord/DegenTriangleRecord.txt";
const char* const kDyingRecord = "VisibilityRecord/DyingTriangleRecord.txt";
const char* const kTowerReference = "WTC_state057.bin";
const char* const kLargeStates = "Geometry/Large/state";
const char* const kLargeCamera = "Large_default.ppc";
const char* const kScannedStates = "Geometry/Scanned/state";
const char* const kScannedCamera = "Scanned_default.ppc";
const char* const kPlaneHeights = "Texture/Rump.tif";
const char* const kPlaneColours = "Texture/test2.tif";
const char* const kPlaneCoordinates = "Geometry/EasyPlane/uvCoords.txt";
const char* const kGrassBackdrop = "Geometry/Cloud-39.tif";
const char* const kCityBackdrop = "Geometry/Manhattan_bg.tif";

std::string Shader(const std::string& name) { return In(Folder::kShaders, name); }
const char* const kItemBufferShader = "CG/RenderBaryCentric.cg";
const char* const kTowerShader = "CG/RenderWTC.cg";
const char* const kCityShader = "CG/RenderManhattan.cg";
const char* const kGrassShader = "CG/RenderGrass.cg";
const char* const kFootageShader = "CG/RenderOriginalFootage.cg";
const char* const kSuperPixelShader = "CG/RenderOriginalFootage_sp.cg";
const char* const kRasterShader = "CG/RTI_Raster.cg";

std::string ImageFolder(const std::string& name) { return In(Folder::kImages, name + "/"); }
std::string Frame(const std::string& folder, int i) {
  return Format("%s%d.tif", folder.c_str(), i);
}
const char* const kRasterImage = "Images/Raster_HW.tif";

std::string Result(const std::string& name) { return In(Folder::kResults, name); }
std::string AslResult(const std::string& stem) { return Result(stem + ".bin"); }
std::string AslFactorResult(const std::string& stem, double factor) {
  return Result(Format("%s_X%lf_.bin", stem.c_str(), factor));
}
std::string CentreSampleResult(const std::string& stem) { return Result(stem + "_control.txt"); }
std::string PanoramaResult(int view) { return Result(Format("ASL_exp_panorama_%d.bin", view)); }
const char* const kPlainRunFlags = "ASL_Visibility/Whoknowswhat_2.bin";

std::string StepIdList(const std::string& stem, int step) {
  return Result(Format("%s_%d.txt", stem.c_str(), step));
}
std::string StepTable(const std::string& stem, int step) {
  return In(Folder::kTables, Format("%s_%d.bin", stem.c_str(), step));
}
std::string UnionIdList(const std::string& stem) { return Result(stem + "_Full.txt"); }
std::string UnionSet(const std::string& stem) { return Result(stem + "_visibleSet.bin"); }
const char* const kWholeRunTable = "VisibilityTable/whatever_1.bin";
const char* const kEndStateLine = "ASL_Visibility/Visibility_at_B.txt";
const char* const kIntervalLog = "ASL_Visibility/log2.txt";
const char* const kTrialDump = "trial_interval.txt";
const char* const kLogA = "VisibilityRecord/GFB_A.txt";
const char* const kLogB = "VisibilityRecord/GFB_B.txt";
const char* const kLogsOverall = "VisibilityRecord/GFB_A_vs_B_overall.txt";
const char* const kLogsPerStep = "VisibilityRecord/GFB_A_vs_B_perStep.txt";
const char* const kControlErrorFrames = "Images/Forest/SuperPixel/Control_wError/";
const char* const kSuperPixelErrorFrames = "Images/Forest/SuperPixel/Super_pixel_wError/";
const char* const kSequenceLog = "Images/Forest/SuperPixel/Trial.txt";
const char* const kCellFolder = "geometry/RTI_45Degree/";
const char* const kCellView = "Views/Quarn/RTI_45Degree.ppc";
const char* const kSamplePositions = "Superpixel_visibilities/ASL_gfbfile.bin";
const char* const kMeshFileFolder = "MeshFiles/";
const char* const kMeshFileA = "MeshFiles/a.ply";
const char* const kMeshFileB = "MeshFiles/b.ply";

std::string PointStepTable(int step) {
  return In(Folder::kTables, Format("Fusion_%d_%d.bin", step, step + 1));
}
std::string CombinedStepTable(int step) {
  return In(Folder::kTables, Format("Fusion_combined_%d_%d.bin", step, step + 1));
}
const char* const kCombinedExpLog = "CombinedVisibility/Fusion_combined_exp.txt";
const char* const kCombinedControlLog = "CombinedVisibility/Fusion_combined_control.txt";
const char* const kCombinedTruthLog = "CombinedVisibility/Fusion_combined_truth.txt";
const char* const kTruthFrames = "Images/Truth/";
const char* const kPointPlaybackLog = "VisibilityRecord/Fusion.txt";
const char* const kMeshPlaybackLog = "VisibilityRecord/Moving_box.txt";
std::string ReplayTable(int i) {
  return In(Folder::kTables, Format("Forest_movingCam_%d_visibility.bin", i));
}
const char* const kReplayLog = "SuperPixelResult/visibility_result.txt";
const char* const kPathTruth = "ASL_Visibility/RTI_truth_1000.txt";
const char* const kForestPathTruth = "ASL_Visibility/Forest_truth_1300.bin";
const char* const kTileAslBase = "ASL_Visibility/RTI_ASL/RTI";
const char* const kTileControlBase = "ASL_Visibility/RTI_Control/RTI_Control_160X";
std::string TileTextList(const std::string& base, int a, int b) {
  return Format("%s_%d_%d.txt", base.c_str(), a, b);
}
std::string TileBinaryList(const std::string& base, int a, int b) {
  return Format("%s_%d_%d_bin.txt", base.c_str(), a, b);
}
const char* const kSoftwareRasterImage = "Images/RasterSW.tif";
const char* const kCentreSampleImage = "Images/WTF.tif";

std::string SeriesLog(const std::string& folder) { return folder + "Log.txt"; }
std::string SeparatedImage(int m) { return In(Folder::kImages, Format("SepImage%d.tif", m)); }
std::string SeparatedErrorImage(int m) {
  return In(Folder::kImages, Format("SepImage%d_error.tif", m));
}
std::string SeparatedLog(int m) { return In(Folder::kImages, Format("SepImage%d_log.txt", m)); }
std::string FrameImage(double ratio) {
  return In(Folder::kImages, Format("Frame_Z_%lf.tif", ratio));
}
std::string MovingBoxesFrame(int i) { return In(Folder::kImages, Format("MB_demo/img%03d.tif", i)); }

}  // namespace layout
