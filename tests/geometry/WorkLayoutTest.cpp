// The working directory's names are part of its interface (other tools
// and stored results use them): every folder and pattern, spelled out.
#include <gtest/gtest.h>

#include "WorkLayout.h"

using layout::Folder;

TEST(WorkLayout, FoldersKeepTheirNames) {
  const std::pair<Folder, const char*> folders[] = {
      {Folder::kRoot, ""},
      {Folder::kGeometry, "Geometry/"},
      {Folder::kViews, "Views/"},
      {Folder::kShaders, "CG/"},
      {Folder::kTextures, "Texture/"},
      {Folder::kResults, "ASL_Visibility/"},
      {Folder::kTables, "VisibilityTable/"},
      {Folder::kRecords, "VisibilityRecord/"},
      {Folder::kImages, "Images/"},
      {Folder::kSamples, "Superpixel_visibilities/"},
      {Folder::kFootage, "FootageVisibility/"},
      {Folder::kExperimentLogs, "SuperPixelResult/"},
      {Folder::kCombined, "CombinedVisibility/"},
      {Folder::kPlane, "2DVisibility/"},
      {Folder::kProcess, "Process/"},
  };
  for (const auto& [folder, name] : folders) EXPECT_STREQ(layout::FolderName(folder), name);
  EXPECT_EQ(layout::In(Folder::kResults, "x.bin"), "ASL_Visibility/x.bin");
}

TEST(WorkLayout, PatternsKeepTheirNames) {
  EXPECT_EQ(layout::CameraFile(layout::FinalView("A.ppc")), "Views/Final_views/A.ppc");
  EXPECT_EQ(layout::NumberedCamera("Final_views/Pano", 3), "Final_views/Pano_3.ppc");
  EXPECT_EQ(layout::StateFile(layout::GeometryFile("truck/state"), 7),
            "Geometry/truck/state007.obj");
  EXPECT_EQ(layout::CacheFile(layout::ObjectListIndex("Geometry/Forest/")),
            "Geometry/Forest/index.txt.rdd");
  EXPECT_EQ(layout::LivenessFile("Geometry/truck/state"), "Geometry/truck/stateliveness.txt");
  EXPECT_EQ(layout::Shader("RenderWTC.cg"), layout::kTowerShader);
  EXPECT_EQ(layout::Frame(layout::ImageFolder("Control"), 12), "Images/Control/12.tif");
  EXPECT_EQ(layout::AslResult("Forest_ASL_exp"), "ASL_Visibility/Forest_ASL_exp.bin");
  EXPECT_EQ(layout::AslFactorResult("Forest_ASL_exp", 2),
            "ASL_Visibility/Forest_ASL_exp_X2.000000_.bin");
  EXPECT_EQ(layout::CentreSampleResult("W"), "ASL_Visibility/W_control.txt");
  EXPECT_EQ(layout::PanoramaResult(4), "ASL_Visibility/ASL_exp_panorama_4.bin");
  EXPECT_EQ(layout::StepIdList("G", 39), "ASL_Visibility/G_39.txt");
  EXPECT_EQ(layout::StepTable("G", 0), "VisibilityTable/G_0.bin");
  EXPECT_EQ(layout::UnionIdList("G"), "ASL_Visibility/G_Full.txt");
  EXPECT_EQ(layout::UnionSet("G"), "ASL_Visibility/G_visibleSet.bin");
  EXPECT_EQ(layout::ReplayTable(1), "VisibilityTable/Forest_movingCam_1_visibility.bin");
  EXPECT_EQ(layout::TileTextList(layout::kTileAslBase, 1, 3), "ASL_Visibility/RTI_ASL/RTI_1_3.txt");
  EXPECT_EQ(layout::TileBinaryList(layout::kTileControlBase, 0, 0),
            "ASL_Visibility/RTI_Control/RTI_Control_160X_0_0_bin.txt");
  EXPECT_EQ(layout::SeriesLog(layout::ImageFolder("2DStep2")), "Images/2DStep2/Log.txt");
  EXPECT_EQ(layout::SeparatedImage(3), "Images/SepImage3.tif");
  EXPECT_EQ(layout::SeparatedErrorImage(0), "Images/SepImage0_error.tif");
  EXPECT_EQ(layout::SeparatedLog(11), "Images/SepImage11_log.txt");
  EXPECT_EQ(layout::FrameImage(2.5), "Images/Frame_Z_2.500000.tif");
  EXPECT_EQ(layout::MovingBoxesFrame(7), "Images/MB_demo/img007.tif");
}

TEST(WorkLayout, FixedFilesKeepTheirNames) {
  const std::pair<const char*, const char*> files[] = {
      {layout::kSavedView, "BufferPPC.ppc"},
      {layout::kLoadedView, "bufferPPC.ppc"},
      {layout::kDegenerateRecord, "VisibilityRecord/DegenTriangleRecord.txt"},
      {layout::kDyingRecord, "VisibilityRecord/DyingTriangleRecord.txt"},
      {layout::kTowerReference, "WTC_state057.bin"},
      {layout::kLargeStates, "Geometry/Large/state"},
      {layout::kLargeCamera, "Large_default.ppc"},
      {layout::kScannedStates, "Geometry/Scanned/state"},
      {layout::kScannedCamera, "Scanned_default.ppc"},
      {layout::kPlaneHeights, "Texture/Rump.tif"},
      {layout::kPlaneColours, "Texture/test2.tif"},
      {layout::kPlaneCoordinates, "Geometry/EasyPlane/uvCoords.txt"},
      {layout::kGrassBackdrop, "Geometry/Cloud-39.tif"},
      {layout::kCityBackdrop, "Geometry/Manhattan_bg.tif"},
      {layout::kItemBufferShader, "CG/RenderBaryCentric.cg"},
      {layout::kTowerShader, "CG/RenderWTC.cg"},
      {layout::kCityShader, "CG/RenderManhattan.cg"},
      {layout::kGrassShader, "CG/RenderGrass.cg"},
      {layout::kFootageShader, "CG/RenderOriginalFootage.cg"},
      {layout::kSuperPixelShader, "CG/RenderOriginalFootage_sp.cg"},
      {layout::kRasterShader, "CG/RTI_Raster.cg"},
      {layout::kRasterImage, "Images/Raster_HW.tif"},
      {layout::kPlainRunFlags, "ASL_Visibility/Whoknowswhat_2.bin"},
      {layout::kWholeRunTable, "VisibilityTable/whatever_1.bin"},
      {layout::kEndStateLine, "ASL_Visibility/Visibility_at_B.txt"},
      {layout::kIntervalLog, "ASL_Visibility/log2.txt"},
      {layout::kTrialDump, "trial_interval.txt"},
      {layout::kCellFolder, "geometry/RTI_45Degree/"},
      {layout::kLogA, "VisibilityRecord/GFB_A.txt"},
      {layout::kLogB, "VisibilityRecord/GFB_B.txt"},
      {layout::kLogsOverall, "VisibilityRecord/GFB_A_vs_B_overall.txt"},
      {layout::kLogsPerStep, "VisibilityRecord/GFB_A_vs_B_perStep.txt"},
      {layout::kControlErrorFrames, "Images/Forest/SuperPixel/Control_wError/"},
      {layout::kSuperPixelErrorFrames, "Images/Forest/SuperPixel/Super_pixel_wError/"},
      {layout::kSequenceLog, "Images/Forest/SuperPixel/Trial.txt"},
      {layout::kCellView, "Views/Quarn/RTI_45Degree.ppc"},
      {layout::kSamplePositions, "Superpixel_visibilities/ASL_gfbfile.bin"},
      {layout::kMeshFileA, "MeshFiles/a.ply"},
      {layout::kMeshFileB, "MeshFiles/b.ply"},
      {layout::kTruthFrames, "Images/Truth/"},
      {layout::kPointPlaybackLog, "VisibilityRecord/Fusion.txt"},
      {layout::kMeshPlaybackLog, "VisibilityRecord/Moving_box.txt"},
      {layout::kReplayLog, "SuperPixelResult/visibility_result.txt"},
      {layout::kPathTruth, "ASL_Visibility/RTI_truth_1000.txt"},
      {layout::kForestPathTruth, "ASL_Visibility/Forest_truth_1300.bin"},
      {layout::kTileAslBase, "ASL_Visibility/RTI_ASL/RTI"},
      {layout::kTileControlBase, "ASL_Visibility/RTI_Control/RTI_Control_160X"},
      {layout::kSoftwareRasterImage, "Images/RasterSW.tif"},
      {layout::kCentreSampleImage, "Images/WTF.tif"},
  };
  for (const auto& [file, name] : files) EXPECT_STREQ(file, name);
}

TEST(WorkLayout, PointSceneNames) {
  EXPECT_EQ(layout::PointStepTable(3), "VisibilityTable/Fusion_3_4.bin");
  EXPECT_EQ(layout::CombinedStepTable(0), "VisibilityTable/Fusion_combined_0_1.bin");
  EXPECT_STREQ(layout::kCombinedExpLog, "CombinedVisibility/Fusion_combined_exp.txt");
  EXPECT_STREQ(layout::kCombinedControlLog, "CombinedVisibility/Fusion_combined_control.txt");
  EXPECT_STREQ(layout::kCombinedTruthLog, "CombinedVisibility/Fusion_combined_truth.txt");
}
