// The command-line tool writes byte for byte what the buttons write for
// the same scene converted to the catalogue form ("Truck_gfb": state text
// files and the camera file under their catalogue names), the buttons'
// drivers being run as the Scene runs them after Scene Setup.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "AslDrivers.h"
#include "AslReference.h"
#include "DatasetTable.h"
#include "Format.h"
#include "Frustum.h"
#include "IntervalDrivers.h"
#include "MeshImport.h"
#include "SampleLocationBuffer.h"
#include "ScratchDir.h"
#include "StandardFiles.h"
#include "TestSupport.h"
#include "WorkFolders.h"
#include "WorkLayout.h"

namespace {

const char* const kFormats[] = {".ply", ".obj", ".glb"};

class CliButtons : public testing::Test {
 protected:
  // The scene in the standard format, the camera, and the same scene in
  // the catalogue's form, loaded as Scene Setup loads "Truck_gfb".
  void Prepare(const std::string& ext, int steps) {
    const PolyScene scene = Slats(steps, 4);
    std::vector<std::string> files;
    for (int s = 0; s < steps; s++) {
      files.push_back("s" + std::to_string(s) + ext);
      if (ext == ".ply") WritePlyBinary(files.back(), scene.states[s], scene.faces);
      if (ext == ".obj") WriteObj(files.back(), scene.states[s], scene.faces);
      if (ext == ".glb") WriteGlb(files.back(), scene.states[s], Fanned(scene.faces));
    }
    ASSERT_TRUE(SlatCamera().SaveToFile("cam.ppc"));
    stateArgs_.clear();
    for (const std::string& f : files) stateArgs_ += f + " ";
    // Converted as a user would: read, then written in the workbench's own text.
    std::vector<ObjLoader> read;
    std::string error;
    std::ostringstream log;
    ASSERT_TRUE(LoadRunStates(files, &read, &error, log)) << error;
    MakeFolders({"Geometry/truck", "Views", layout::FolderName(layout::Folder::kResults),
                 layout::FolderName(layout::Folder::kTables)});
    for (int s = 0; s < steps; s++)
      WriteWorkbenchText(layout::StateFile("Geometry/truck/state", 40 + s), read[size_t(s)]);
    ASSERT_TRUE(SlatCamera().SaveToFile(layout::CameraFile("Truck_default.ppc")));

    states_ = std::vector<ObjLoader>(size_t(steps));
    for (int s = 0; s < steps; s++) {
      states_[size_t(s)].shadingMode = shading::kLitVertexColours;
      ASSERT_TRUE(Quiet([&] {
        return states_[size_t(s)].Load(layout::StateFile("Geometry/truck/state", 40 + s),
                                       s == 0 ? nullptr : &states_[0]);
      }));
    }
    camera_ = PPC(55, 1280, 720);  // the view camera, then its file
    ASSERT_TRUE(camera_.Load("Truck_default.ppc"));
  }
  std::string stateArgs_;
  std::vector<ObjLoader> states_;
  PPC camera_;
};

}  // namespace

TEST_F(CliButtons, IntervalFilesEqualGfbDbgs) {
  for (const char* ext : kFormats) {
    SCOPED_TRACE(ext);
    ScratchDir dir;
    Prepare(ext, 2);
    const CliResult cli = RunCli("interval " + stateArgs_ + "--camera cam.ppc --out res --quiet");
    ASSERT_EQ(cli.status, 0) << cli.err;

    // "GFB_DBG" on a mesh scene: the whole-interval run.
    SampleLocationBuffer buffer(camera_.w, camera_.h);
    buffer.SetCamera(camera_);
    const Frustum frustum = Frustum::FromMatrices(buffer.camera->Matrices());
    std::vector<int32_t> drawFlags(size_t(states_[0].triangleCount), 1);
    VisibleSet runVisibleSet(drawFlags.size(), 0), result;
    std::ofstream runLog(layout::kIntervalLog);
    IntervalRunScene run;
    run.buffer = &buffer;
    run.frustum = &frustum;
    run.first = &states_[0];
    run.second = &states_[1];
    run.triangleCount = states_[0].triangleCount;
    run.liveFlags = &drawFlags;
    run.unionSet = &runVisibleSet;
    run.runLog = &runLog;
    Quiet([&] { FullIntervalRun(run, &result); });
    std::ostringstream said;
    WriteVisibleSet(result, "button_set.bin", said, said);

    EXPECT_EQ(Bytes("res/interval_table.bin"), Bytes(layout::kWholeRunTable));
    EXPECT_EQ(Bytes("res/Visibility_at_B.txt"), Bytes(layout::kEndStateLine));
    EXPECT_EQ(Bytes("res/interval_visible_set.bin"), Bytes("button_set.bin"));
    EXPECT_GT(Bytes("res/interval_table.bin").size(), 100u);
  }
}

TEST_F(CliButtons, AslAndReferenceFilesEqualTheButtons) {
  for (const char* ext : kFormats) {
    SCOPED_TRACE(ext);
    ScratchDir dir;
    Prepare(ext, 1);
    const CliResult cli =
        RunCli("asl " + stateArgs_ + "--camera cam.ppc --factor 2 --reference 32 --out res --quiet");
    ASSERT_EQ(cli.status, 0) << cli.err;

    // "ASL with Factor" 2, then the factor-32 reference of "ASL Control".
    std::vector<int32_t> drawFlags(size_t(states_[0].triangleCount), 1);
    VisibleSet visible(drawFlags.size(), 0);
    std::unique_ptr<SampleLocationBuffer> buffer;
    AslButtonScene s;
    s.row = &FindDataset(dataset::kTrianglePair);
    s.mesh = &states_[0];
    s.viewCamera = &camera_;
    s.flags = &drawFlags;
    s.visible = &visible;
    s.sampleBuffer = [&](double factor) -> SampleLocationBuffer& {
      if (!buffer)
        buffer = std::make_unique<SampleLocationBuffer>(int32_t(camera_.w * factor),
                                                        int32_t(camera_.h * factor));
      buffer->SetCamera(camera_);
      return *buffer;
    };
    Quiet([&] { AslWithFactorButton(s, 2); });
    EXPECT_EQ(Bytes("res/asl_visible_set.bin"), Bytes(AslFactorResultPath(*s.row, 0, 2)));

    std::vector<int32_t> flags(drawFlags.size(), 1);
    Quiet([&] { AslReference(states_[0], camera_, 32, flags, &visible, "reference.bin"); });
    EXPECT_EQ(Bytes("res/reference_32.bin"), Bytes("reference.bin"));
    EXPECT_GT(Bytes("reference.bin").size(), 40u);
  }
}
