// The dataset table against the sample working directory: every row finds
// its inputs in a freshly generated directory, no two rows write the same
// file, and every dataset reaches its own row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

#include "DatasetTable.h"
#include "ScratchDir.h"
#include "TestSupport.h"
#include "Workdir.h"

namespace {

class DatasetRows : public testing::TestWithParam<size_t> {
 protected:
  // One generated directory for every row (the generator takes seconds).
  static void SetUpTestSuite() {
    scratch_ = std::make_unique<ScratchDir>();
    WorkdirOptions options;
    generated_ = Quiet([&] { return MakeWorkdir("./", options); });
  }
  static void TearDownTestSuite() { scratch_.reset(); }
  const DatasetRow& Row() const { return DatasetTable()[GetParam()]; }

  static std::unique_ptr<ScratchDir> scratch_;
  static bool generated_;
};
std::unique_ptr<ScratchDir> DatasetRows::scratch_;
bool DatasetRows::generated_ = false;

std::string RowName(const testing::TestParamInfo<size_t>& info) {
  std::string name = DatasetTable()[info.param].name;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

}  // namespace

TEST_P(DatasetRows, InputsExistInAGeneratedWorkingDirectory) {
  ASSERT_TRUE(generated_);
  for (const std::string& f : RowInputs(Row())) EXPECT_TRUE(FileExists(f)) << f;
}

TEST_P(DatasetRows, OutputsAreTheirsAloneAndLandInGeneratedFolders) {
  const std::vector<std::string> mine = RowOutputs(Row());
  EXPECT_FALSE(mine.empty());
  for (size_t other = 0; other < DatasetTable().size(); other++) {
    if (other == GetParam()) continue;
    for (const std::string& f : RowOutputs(DatasetTable()[other]))
      EXPECT_EQ(std::count(mine.begin(), mine.end(), f), 0)
          << f << " is also written by " << DatasetTable()[other].name;
  }
  // A write into a missing folder fails silently: the generator makes them.
  for (const std::string& f : mine) {
    const std::string folder = f.substr(0, f.find_last_of('/') + 1);
    EXPECT_TRUE(FileExists(folder)) << f;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DatasetRows, testing::Range<size_t>(0, DatasetTable().size()),
                         RowName);

TEST(DatasetTable, EveryDatasetHasOneRowAndOthersShareTheLast) {
  std::map<int, const DatasetRow*> rows;
  for (const DatasetRow& row : DatasetTable())
    for (int id : row.ids) EXPECT_TRUE(rows.emplace(id, &row).second) << "dataset " << id;
  for (const auto& [id, row] : rows) EXPECT_EQ(&FindDataset(id), row) << id;
  const DatasetRow& shared = DatasetTable().back();
  EXPECT_TRUE(shared.ids.empty());
  for (int id :
       {int(dataset::kTrianglePair), int(dataset::kTruck), int(dataset::kTruckGfb),
        int(dataset::kQuarnTree), 12345})
    EXPECT_EQ(&FindDataset(id), &shared) << id;
  // The terrain and its cells are one dataset for the runs, and so are
  // the two point scenes.
  EXPECT_EQ(&FindDataset(dataset::kRti), &FindDataset(dataset::kRtiSubdivided));
  EXPECT_EQ(&FindDataset(dataset::kWaterFlow), &FindDataset(dataset::kFusion));
}

TEST(DatasetTable, PathsByViewAndForm) {
  const DatasetRow& tower = FindDataset(dataset::kWtc);
  EXPECT_EQ(AslResultPath(tower, 1), "ASL_Visibility/WTC_ASL_exp_Outside.bin");
  EXPECT_EQ(AslResultPath(tower, kOtherView), "ASL_Visibility/WTC_ASL_exp_Reverse.bin");
  const DatasetRow& grass = FindDataset(dataset::kGrassField);
  EXPECT_EQ(AslFactorResultPath(grass, kOtherView, 2),
            "ASL_Visibility/Grass_ASL_exp_Higher_X2.000000_.bin");
  EXPECT_EQ(AslTileResultPath(FindDataset(dataset::kRti), 1, 1, 2),
            "ASL_Visibility/RTI_ASL_exp_90DegreeView_1_2.bin");
  EXPECT_EQ(CentreSampleResultPath(FindDataset(dataset::kManhattan), 2),
            "ASL_Visibility/Manhattan_ASL_exp_midtown_control.txt");
  EXPECT_EQ(CentreSampleResultPath(FindDataset(dataset::kTrianglePair), 1),
            "ASL_Visibility/Whoknowswhat_control.txt");
}
