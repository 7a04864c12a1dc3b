// The interval drivers report a table they cannot write, naming the file,
// and still write what they can.
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "IntervalDrivers.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "TestSupport.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"

namespace {

// A 64 x 48 view down -z and one static triangle filling it, in a scratch
// directory without the table folder.
struct NoTableFolder {
  ScratchDir dir;
  PPC cam{55, 64, 48};
  SampleLocationBuffer buffer{64, 48};
  ObjLoader mesh;
  std::vector<int32_t> live{1};
  VisibleSet unionSet;
  std::ostringstream out, err;
  IntervalRunScene scene;

  NoTableFolder() {
    MakeFolder(layout::FolderName(layout::Folder::kResults));
    buffer.SetCamera(cam);
    const std::array<Vex3_quarn, 3> backdrop = {Vex3_quarn(-9000, -5000, -300),
                                                Vex3_quarn(9000, -5000, -300),
                                                Vex3_quarn(0, 5000, -300)};
    BuildMesh(mesh, {{backdrop}});
    scene.buffer = &buffer;
    scene.first = scene.second = &mesh;
    scene.triangleCount = 1;
    scene.liveFlags = &live;
    scene.unionSet = &unionSet;
    scene.out = &out;
    scene.err = &err;
  }
};

}  // namespace

TEST(IntervalDrivers, SubIntervalRunNamesTheTableItCannotWrite) {
  NoTableFolder f;
  EXPECT_EQ(SubIntervalRun(f.scene, "T", 3, 4), 2);
  EXPECT_EQ(f.err.str(),
            "ERROR: could not write the interval table VisibilityTable/T_3.bin\n"
            "ERROR: could not write the interval table VisibilityTable/T_4.bin\n");
  EXPECT_EQ(ReadText("ASL_Visibility/T_4.txt"), "1\n1\n0\n\n");
  EXPECT_EQ(ReadIdFile("ASL_Visibility/T_visibleSet.bin"), (std::vector<int32_t>{0}));
}

TEST(IntervalDrivers, FullIntervalRunNamesTheTableItCannotWrite) {
  NoTableFolder f;
  VisibleSet result;
  FullIntervalRun(f.scene, &result);
  EXPECT_EQ(f.err.str(),
            "ERROR: could not write the interval table VisibilityTable/whatever_1.bin\n");
  EXPECT_EQ(result, (VisibleSet{1}));
  EXPECT_EQ(ReadText("ASL_Visibility/Visibility_at_B.txt"), "0:0,\n");
  EXPECT_NE(f.out.str().find("Begin Saving canvas\nDone saving canvas\n"), std::string::npos);
}
