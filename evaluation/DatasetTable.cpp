#include "DatasetTable.h"

#include "Format.h"

namespace {

using layout::Folder;

FileRef Result(const char* name) { return {Folder::kResults, name}; }

template <typename T>
PerView<T> Views(T view1, T view2, T other) {
  return PerView<T>{view1, view2, other};
}
template <typename T>
PerView<T> All(T value) {
  return PerView<T>{value, value, value};
}

FileRef Stored(const char* name) { return {Folder::kFootage, name}; }
FileRef ExperimentLog(const char* name) { return {Folder::kExperimentLogs, name}; }

ControlRunMember TwoEnds(const char* log, FileRef set, bool frames) {
  return {ControlRunForm::kItemBuffers, ExperimentLog(log), set, frames};
}

FootageView View(const char* camera, FileRef step2, FileRef step3, FileRef truth,
                 const char* folder2, const char* folder3, const char* folderTruth) {
  FootageView v;
  v.camera = camera;
  v.footageSet[0] = step2;
  v.footageSet[1] = step3;
  v.footageSet[2] = truth;
  v.footageFolder[0] = folder2;
  v.footageFolder[1] = folder3;
  v.footageFolder[2] = folderTruth;
  return v;
}
void Evaluation(FootageView* v, const char* folder2, const char* folder3, const char* folderTruth,
                FileRef truth = FileRef()) {
  v->evaluationFolder[0] = folder2;
  v->evaluationFolder[1] = folder3;
  v->evaluationFolder[2] = folderTruth;
  v->evaluationSet[2] = truth;
}

std::vector<DatasetRow> BuildTable() {
  std::vector<DatasetRow> rows;

  DatasetRow tower;
  tower.ids = {dataset::kWtc};
  tower.name = "WTC 911";
  tower.aslStem = Views("WTC_ASL_exp_Outside", "WTC_ASL_exp_Reverse", "WTC_ASL_exp_Reverse");
  tower.control = ControlForm::kRaster;
  tower.controlFactor = 32;
  tower.controlResult =
      Views(Result("WTC_asl_Outside_control_32.bin"), Result("WTC_asl_Reverse_control_32.bin"),
            Result("WTC_asl_Reverse_control_32.bin"));
  tower.footage.datasets = {dataset::kWtc};
  tower.footage.twoViews = true;
  tower.footage.views[0] =
      View("Final_views/WTC_neo_outSide.ppc",
           Stored("WTC/Outside/visibleThenHiddenTrianglesStep2.bin"),
           Stored("WTC/Outside/visibleTrianglesStep3.bin"),
           Stored("WTC/Outside/truthIndsManhattanDowntownView31x31.bin"), "View1_step2",
           "View1_step3_wtc", "Truth1_31X31");
  tower.footage.views[1] =
      View("Final_views/WTC_neo_Reverse.ppc",
           Stored("WTC/Reverse/visibleThenHiddenTrianglesStep2.bin"),
           Stored("WTC/Reverse/visibleTrianglesStep3.bin"),
           Stored("WTC/Reverse/truthIndsManhattanDowntownView31x31.bin"), "View2_step2",
           "View2_step3_wtc", "Truth2_31X31");
  tower.footage.renderMode = render_mode::kGrass;
  tower.footage.footageKeys.zoom = 5;
  tower.separated.datasets = {dataset::kWtc};
  tower.separated.form = SeparatedForm::kSets;
  tower.separated.setCount = 6;
  const FileRef towerSets[6] = {Stored("WTC/Outside/visibleThenHiddenTrianglesStep2.bin"),
                                Stored("WTC/Outside/visibleTrianglesStep3.bin"),
                                Stored("WTC/Outside/truthIndsWTC_outside31x31.bin"),
                                Stored("WTC/Reverse/visibleThenHiddenTrianglesStep2.bin"),
                                Stored("WTC/Reverse/visibleTrianglesStep3.bin"),
                                Stored("WTC/Reverse/truthIndsWTC_reverse31x31.bin")};
  for (int i = 0; i < 6; i++) tower.separated.sets[i] = towerSets[i];
  tower.separated.cameras[0] = "BufferPPC1.ppc";
  tower.separated.cameras[1] = "BufferPPC2.ppc";
  rows.push_back(tower);

  DatasetRow terrain;
  terrain.ids = {dataset::kRti, dataset::kRtiSubdivided};
  terrain.name = "RTI";
  terrain.asl = AslForm::kAllTriangles;
  terrain.aslTileResult = Views(Result("RTI_ASL_exp_90DegreeView_%d_%d.bin"),
                                Result("RTI_ASL_exp_45DegreeView_%d_%d.bin"),
                                Result("RTI_ASL_exp_45DegreeView_%d_%d.bin"));
  terrain.control = ControlForm::kRasterEachView;
  terrain.controlFactor = 32;
  terrain.controlViews = {
      {"Final_views/RTI_90Degree_view.ppc", Result("RTI_asl_90Degree_control_32.bin")},
      {"Final_views/RTI_45Degree_view.ppc", Result("RTI_asl_45Degree_control_32.bin")}};
  terrain.interval = IntervalForm::kTrial;
  terrain.footage.datasets = {dataset::kRti};
  terrain.footage.evaluation = true;
  terrain.footage.views[0] =
      View("Final_views/RTI_45Degree_view.ppc", Stored("RTI/SumVisibilityStep2.bin"),
           Stored("RTI/SumVisibilityStep3.bin"), Stored("RTI/SumVisibilityTruth_31X31.bin"),
           "View1_step2", "View1_step3", "Truth_31X31");
  Evaluation(&terrain.footage.views[0], "Diff_View1_step2", "Diff_View1_step3",
             "Diff_Truth_31X31");
  terrain.footage.renderMode = render_mode::kFilled;
  terrain.footage.footageKeys = {3.5f, -5, 12, 12};
  terrain.footage.evaluationKeys = {3.5f, -5, 10, 12};
  // The whole terrain only: the cells hold other triangles.
  terrain.separated.datasets = {dataset::kRti};
  terrain.separated.form = SeparatedForm::kSets;
  terrain.separated.setCount = 3;
  terrain.separated.sets[0] = Stored("RTI/SumVisibilityTruth_31X31.bin");
  terrain.separated.sets[1] = Stored("RTI/SumVisibilityStep2.bin");
  terrain.separated.sets[2] = Stored("RTI/SumVisibilityStep3.bin");
  rows.push_back(terrain);

  DatasetRow grass;
  grass.ids = {dataset::kGrassField};
  grass.name = "Grass Field";
  grass.aslStem = Views("Grass_ASL_exp_Higher", "Grass_ASL_exp_Lower", "Grass_ASL_exp_Higher");
  grass.control = ControlForm::kRaster;
  grass.controlFactor = 32;
  grass.controlResult = Views(Result("Grass_asl_Higherview_control_32.txt"),
                              Result("Grass_asl_lowerview_control_32.txt"),
                              Result("Grass_asl_Higherview_control_32.txt"));
  grass.redrawAfterControl = true;
  grass.interval = IntervalForm::kSteps;
  grass.intervalStem = All("Grassfield_visibility");
  grass.controlRun = TwoEnds("visibility_result_of_GrassField_control.txt", FileRef(), true);
  grass.replay = {ReplayForm::kPathLists,
                  {Folder::kResults, "GrassField/Grassfield_visibility_%d.txt"},
                  {Folder::kSamples, "Grass.bin"}, FileRef()};
  grass.truth.form = TruthForm::kFlyThrough;
  grass.footage.datasets = {dataset::kGrassField};
  grass.footage.evaluation = true;
  grass.footage.twoViews = true;
  grass.footage.views[0] =
      View("Final_views/GrassField_higher.ppc", Stored("Grass/High/visibleTrianglesStep2.bin"),
           Stored("Grass/High/visibleTrianglesStep3.bin"),
           Stored("Grass/High/truthIndsManhattanDowntownView31x31.bin"), "View1_step2",
           "View1_step3", "Truth1_31X31");
  Evaluation(&grass.footage.views[0], "Diff_view1_step2", "Diff_view1_step3", "Diff_Truth_31X31",
             Stored("Grass/High/truthIndsGrassHighView31x31.bin"));
  grass.footage.views[1] =
      View("Final_views/GrassField_lower.ppc",
           Stored("Grass/Low/visibleThenHiddenTrianglesStep2.bin"),
           Stored("Grass/Low/visibleTrianglesStep3.bin"),
           Stored("Grass/Low/truthIndsManhattanDowntownView31x31.bin"), "View2_step2",
           "View2_step3", "Truth2_31X31");
  Evaluation(&grass.footage.views[1], "Diff_view2_step2", "Diff_view2_step3", "Diff_Truth_31X31",
             Stored("Grass/Low/truthIndsGrassLowView31x31.bin"));
  rows.push_back(grass);

  DatasetRow forest;
  forest.ids = {dataset::kForest};
  forest.name = "Forest";
  forest.aslStem = All("Forest_ASL_exp");
  forest.control = ControlForm::kRaster;
  forest.controlFactor = 2;
  forest.controlResult = All(Result("Forest_2X.txt"));
  forest.controlFrames = ControlFrames::kDrawFlags;
  forest.interval = IntervalForm::kSteps;
  forest.intervalStem = All("Forest_visibility");
  forest.controlRun = TwoEnds("visibility_result_of_Forest_control.txt", FileRef(), true);
  forest.replay = {ReplayForm::kPathLists, {Folder::kResults, "Forest/Forest_visibility_%d.txt"},
                   {Folder::kSamples, "Forest.bin"},
                   ExperimentLog("visibility_result_of_Forest.txt")};
  forest.truth.form = TruthForm::kForestPath;
  forest.footage.datasets = {dataset::kForest};
  forest.footage.evaluation = true;
  forest.footage.views[0] =
      View("Final_views/Forest_final.ppc", Stored("Forest/visibleTrianglesStep2.bin"),
           Stored("Forest/visibleTrianglesStep3.bin"), Stored("Forest/truthIndsForest31x31.bin"),
           "View1_step2", "View1_step3", "Truth_31X31");
  Evaluation(&forest.footage.views[0], "Diff_view1_step2", "Diff_view1_step3", "Diff_Truth_31X31");
  rows.push_back(forest);

  DatasetRow city;
  city.ids = {dataset::kManhattan};
  city.name = "Manhattan";
  city.aslStem = Views("Manhattan_ASL_exp_downtown", "Manhattan_ASL_exp_midtown",
                       "Manhattan_ASL_exp_downtown");
  city.storedSets = Views(FileRef(), Result("Final/Manhattan/Midtown/%d.bin"), FileRef());
  city.storedSetCount = 5;
  city.panoramaCameras = Views<const char*>(nullptr, "Final_views/Manhattan_midtown", nullptr);
  city.panoramaViews = 5;
  city.controlFrames = ControlFrames::kVisibleSet;
  city.interval = IntervalForm::kSteps;
  city.intervalStem = Views("Manhattan_downtown_visibility", "Manhattan_midtown_visibility",
                            "Manhattan_visibility");
  city.announcesView = true;
  city.controlRun = TwoEnds("visibility_result_of_Manhattan_control.txt",
                           Result("controlGroup_DBG.bin"), false);
  city.replay = {ReplayForm::kStateMotion, FileRef(), Result("controlGroup_DBG.bin"), FileRef()};
  city.truth = {TruthForm::kDenseStates, Result("Manhattan_truth_quarn_ZembraView.bin")};
  city.footage.datasets = {dataset::kManhattan};
  city.footage.evaluation = true;
  city.footage.twoViews = true;
  city.footage.readsIntoVisibleSet = true;
  city.footage.views[0] =
      View("Final_views/Manhattan_downtown.ppc",
           Stored("Manhattan/Downtown/visibleThenHiddenTrianglesStep2.bin"),
           Stored("Manhattan/Downtown/visibleTrianglesStep3.bin"),
           Stored("Manhattan/Downtown/truthIndsManhattanDowntownView31x31.bin"), "Step2", "Step3",
           "Truth_31X31");
  Evaluation(&city.footage.views[0], "Diff_view1_step2", "Diff_view1_step3", "Diff_Truth_32X32");
  city.footage.views[1] = View("Final_views/Manhattan_midtown.ppc",
                               Stored("Manhattan/Midtown/Step2.bin"),
                               Stored("Manhattan/Midtown/Step3.bin"), FileRef(), "Step2", "Step3",
                               "Truth_31X31");
  Evaluation(&city.footage.views[1], "Diff_view2_step2", "Diff_view2_step3", "Diff_Truth_32X32");
  city.merge.count = 5;
  city.merge.parts[0] = Stored("Manhattan/[2X]Midtown/%d/visibleThenHiddenTrianglesStep2.bin");
  city.merge.parts[1] = Stored("Manhattan/[2X]Midtown/%d/visibleTrianglesStep3.bin");
  city.merge.unions[0] = Stored("Manhattan/[2X]Midtown/Step2.bin");
  city.merge.unions[1] = Stored("Manhattan/[2X]Midtown/Step3.bin");
  city.plane.viewCamera = "2D_Manhattan_downtown.ppc";
  city.plane.rasterCamera = {Folder::kPlane, "Manhattan_downtown.ppc"};
  const PlaneChoice planeChoices[kPlaneChoices] = {
      {"control", {Folder::kPlane, "FullScreenVisibility_truth.bin"}, "2DControl"},
      {"step2", {Folder::kPlane, "Step2_720P_Manhattan_downtown.bin"}, "2DStep2"},
      {"step3", {Folder::kPlane, "Exact_720P_Manhattan_downtown.bin"}, "2DStep3"},
      {"4 endpoints step3", {Folder::kPlane, "4PointsTotal.bin"}, "2D4Endpoints"},
      {"4 endpoints step2", {Folder::kPlane, "4PointsTotal_step2.bin"}, "2D4Endpoints_step2"}};
  for (int i = 0; i < kPlaneChoices; i++) city.plane.choices[i] = planeChoices[i];
  rows.push_back(city);

  DatasetRow points;
  points.ids = {dataset::kWaterFlow, dataset::kFusion};
  points.name = "point scenes";
  points.asl = AslForm::kSpheres;
  points.aslStem = All("Fusion_ASL_exp");
  points.control = ControlForm::kPoints;
  points.controlResult = All(Result("Fusion_asl_control_32.bin"));
  points.controlRun = {ControlRunForm::kPoints, ExperimentLog("controlGroup_Fusion_result.txt"),
                       FileRef(), true};
  points.replay.form = ReplayForm::kPoints;
  points.interval = IntervalForm::kPoints;
  points.separated.datasets = points.ids;
  points.separated.form = SeparatedForm::kPoints;
  rows.push_back(points);

  DatasetRow other;
  other.name = "any other scene";
  other.aslStem = All("Whoknowswhat");
  other.controlFrames = ControlFrames::kVisibleSet;
  rows.push_back(other);
  return rows;
}

const int kViews[] = {1, 2, kOtherView};

}  // namespace

const std::vector<DatasetRow>& DatasetTable() {
  static const std::vector<DatasetRow> rows = BuildTable();
  return rows;
}

const DatasetRow& FindDataset(int id) {
  const std::vector<DatasetRow>& rows = DatasetTable();
  for (const DatasetRow& row : rows)
    for (int rowId : row.ids)
      if (rowId == id) return row;
  return rows.back();
}

const MergeMember& TableMerge() {
  static const MergeMember none;
  for (const DatasetRow& row : DatasetTable())
    if (row.merge.count > 0) return row.merge;
  return none;
}

std::string AslResultPath(const DatasetRow& row, int view) {
  return layout::AslResult(row.aslStem.For(view));
}

std::string AslFactorResultPath(const DatasetRow& row, int view, double factor) {
  return layout::AslFactorResult(row.aslStem.For(view), factor);
}

std::string AslTileResultPath(const DatasetRow& row, int view, int tileColumn, int tileRow) {
  return Format(row.aslTileResult.For(view).Path().c_str(), tileColumn, tileRow);
}

std::string CentreSampleResultPath(const DatasetRow& row, int view) {
  return layout::CentreSampleResult(row.aslStem.For(view));
}

const FootageView* FootageViewFor(const FootageMember& member, int view) {
  if (member.datasets.empty()) return nullptr;
  if (!member.twoViews) return &member.views[0];
  if (view != 1 && view != 2) return nullptr;
  return &member.views[view - 1];
}

std::vector<std::string> RowInputs(const DatasetRow& row) {
  std::vector<std::string> files;
  if (!row.footage.datasets.empty())
    for (const FootageView& v : row.footage.views) {
      if (v.camera == nullptr) continue;
      files.push_back(layout::CameraFile(v.camera));
      for (int t = 0; t < 3; t++)
        for (const FileRef& set : {v.footageSet[t], v.evaluationSet[t]})
          if (!set.Empty()) files.push_back(set.Path());
    }
  for (int view : kViews) {
    const FileRef& sets = row.storedSets.For(view);
    if (!sets.Empty())
      for (int i = 1; i <= row.storedSetCount; i++) files.push_back(Format(sets.Path().c_str(), i));
    if (const char* base = row.panoramaCameras.For(view))
      for (int i = 1; i <= row.panoramaViews; i++)
        files.push_back(layout::CameraFile(layout::NumberedCamera(base, i)));
  }
  for (const ControlView& v : row.controlViews) files.push_back(layout::CameraFile(v.camera));
  if (row.replay.form == ReplayForm::kPathLists) {
    files.push_back(Format(row.replay.steps.Path().c_str(), 0));
    files.push_back(row.replay.set.Path());
  }
  for (int k = 0; k < 2; k++)
    for (int i = 1; i <= row.merge.count; i++)
      files.push_back(Format(row.merge.parts[k].Path().c_str(), i));
  const SeparatedMember& sep = row.separated;
  for (int i = 0; i < sep.setCount; i++) files.push_back(sep.sets[i].Path());
  for (const char* camera : sep.cameras)
    if (camera != nullptr) files.push_back(layout::CameraFile(camera));
  if (row.plane.viewCamera != nullptr) {
    files.push_back(layout::CameraFile(row.plane.viewCamera));
    files.push_back(row.plane.rasterCamera.Path());
    for (const PlaneChoice& c : row.plane.choices) files.push_back(c.set.Path());
  }
  return files;
}

std::vector<std::string> RowOutputs(const DatasetRow& row) {
  std::vector<std::string> files;
  auto add = [&files](const std::string& f) {
    for (const std::string& g : files)
      if (g == f) return;
    files.push_back(f);
  };
  for (int view : kViews) {
    if (row.asl == AslForm::kSpheres) {
      add(AslResultPath(row, view));
      add(AslFactorResultPath(row, view, 1));
    }
    if (row.interval == IntervalForm::kPoints) {
      add(layout::PointStepTable(0));
      add(layout::CombinedStepTable(0));
    }
    if (row.asl == AslForm::kLiveTriangles) {
      if (row.storedSets.For(view).Empty()) add(AslResultPath(row, view));
      if (row.panoramaCameras.For(view) == nullptr) add(AslFactorResultPath(row, view, 1));
    }
    if (row.asl == AslForm::kAllTriangles) add(AslTileResultPath(row, view, 0, 0));
    if (const char* base = row.panoramaCameras.For(view))
      for (int i = 0; i < row.panoramaViews && base[0] != '\0'; i++) add(layout::PanoramaResult(i));
    if (row.control == ControlForm::kCentreSamples) add(CentreSampleResultPath(row, view));
    if (row.control == ControlForm::kRaster || row.control == ControlForm::kPoints)
      add(row.controlResult.For(view).Path());
    if (row.interval == IntervalForm::kSteps) {
      const std::string stem = row.intervalStem.For(view);
      add(layout::StepIdList(stem, 0));
      add(layout::StepTable(stem, 0));
      add(layout::UnionIdList(stem));
      add(layout::UnionSet(stem));
    }
  }
  for (const ControlView& v : row.controlViews) add(v.output.Path());
  if (row.controlRun.form == ControlRunForm::kItemBuffers) add(row.controlRun.log.Path());
  if (!row.controlRun.set.Empty()) add(row.controlRun.set.Path());
  if (!row.truth.result.Empty()) add(row.truth.result.Path());
  if (row.merge.count > 0)
    for (const FileRef& u : row.merge.unions) add(u.Path());
  return files;
}
