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
  rows.push_back(city);

  DatasetRow points;
  points.ids = {dataset::kPoints};
  points.name = "point scenes";
  points.asl = AslForm::kSpheres;
  points.aslStem = All("Fusion_ASL_exp");
  points.control = ControlForm::kPoints;
  points.controlResult = All(Result("Fusion_asl_control_32.bin"));
  points.interval = IntervalForm::kPoints;
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

std::vector<std::string> RowInputs(const DatasetRow& row) {
  std::vector<std::string> files;
  for (int view : kViews) {
    const FileRef& sets = row.storedSets.For(view);
    if (!sets.Empty())
      for (int i = 1; i <= row.storedSetCount; i++) files.push_back(Format(sets.Path().c_str(), i));
    if (const char* base = row.panoramaCameras.For(view))
      for (int i = 1; i <= row.panoramaViews; i++)
        files.push_back(layout::CameraFile(layout::NumberedCamera(base, i)));
  }
  for (const ControlView& v : row.controlViews) files.push_back(layout::CameraFile(v.camera));
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
  return files;
}
