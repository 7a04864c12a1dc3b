#include <gtest/gtest.h>

#include "KeyframeTrajectories.h"
#include "Liveness.h"
#include "LivenessScene.h"
#include "TestSupport.h"

namespace {

// Three states: id 0 and 3 live throughout, id 1 in states 0-1, id 2 in
// state 0 only, id 4 in none.
class Liveness : public testing::Test {
 protected:
  void SetUp() override {
    base = MakeBaseMesh();
    s0 = MakeState(*base, {3, 1}, 0);
    s1 = MakeState(*base, {2, 1}, 10);
    s2 = MakeState(*base, {1, 1}, 20);
    states = {s0.get(), s1.get(), s2.get()};
  }
  ScratchDir dir;
  std::unique_ptr<ObjLoader> base, s0, s1, s2;
  std::vector<const ObjLoader*> states;
};

}  // namespace

TEST_F(Liveness, ComputedWrittenAndReadBack) {
  std::vector<int32_t> live;
  LoadOrComputeLiveness(*base, states, 3, "scene_", &live);
  EXPECT_EQ(live, (std::vector<int32_t>{3, 2, 1, 3, 1}));
  EXPECT_EQ(ReadText("scene_liveness.txt"), "3\n2\n1\n3\n1\n");

  auto kt = KeyframeTrajectories::Build(3, *base);
  const std::string path = "scene_liveness.txt";
  ReadLastStates(*kt, &path);
  EXPECT_EQ(kt->lastKeyframe, (std::vector<int32_t>{2, 1, 0, 2, 0}));
  ReadLastStates(*kt, nullptr);
  EXPECT_EQ(kt->lastKeyframe, (std::vector<int32_t>(5, 2)));
}

TEST_F(Liveness, ExistingFileIsReadNotRecomputed) {
  WriteText("scene_liveness.txt", "1 2\n3\t4\n\n5\n");
  std::vector<int32_t> live;
  LoadOrComputeLiveness(*base, states, 3, "scene_", &live);
  EXPECT_EQ(live, (std::vector<int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(Liveness, ShortOrBadFileWarnsAndIsRecomputed) {
  for (const char* text : {"3\n2\n", "3\n2\nx\n3\n1\n"}) {
    WriteText("scene_liveness.txt", text);
    std::vector<int32_t> live(5, 99);
    const std::string err = StderrOf([&] { LoadOrComputeLiveness(*base, states, 3, "scene_", &live); });
    EXPECT_NE(err.find("scene_liveness.txt"), std::string::npos) << err;
    EXPECT_NE(err.find("computing liveness"), std::string::npos) << err;
    EXPECT_EQ(live, (std::vector<int32_t>{3, 2, 1, 3, 1}));
    EXPECT_EQ(ReadText("scene_liveness.txt"), "3\n2\n1\n3\n1\n");
  }
}

TEST_F(Liveness, LastStatesUseTheUnsignedRule) {
  WriteText("l.txt", "0\n3\n4\n-3\n1\n");
  auto kt = KeyframeTrajectories::Build(3, *base);
  const std::string path = "l.txt";
  ReadLastStates(*kt, &path);
  // 0 and -3 wrap beyond every keyframe, 3 and 4 are not below 3.
  EXPECT_EQ(kt->lastKeyframe, (std::vector<int32_t>{2, 2, 2, 2, 0}));

  WriteText("short.txt", "1\n2\n");
  const std::string shortPath = "short.txt";
  EXPECT_NE(StderrOf([&] { ReadLastStates(*kt, &shortPath); }).find("short.txt"), std::string::npos);
  EXPECT_EQ(kt->lastKeyframe, (std::vector<int32_t>{0, 1, 2, 2, 2}));
}

TEST_F(Liveness, DegenerateRecordListsUnflaggedTriangles) {
  WriteDegenerateRecord(*base, {1, 0, 1, 1, 0}, "degen.txt");
  EXPECT_EQ(ReadText("degen.txt"), "TID 1:3,7,9\nTID 4:1,8,9\n");
  WriteDegenerateRecord(*base, std::vector<int32_t>(5, 1), "none.txt");
  EXPECT_TRUE(FileExists("none.txt"));
  EXPECT_EQ(ReadText("none.txt"), "");
  WriteDegenerateRecord(*base, {}, "noflags.txt");
  EXPECT_FALSE(FileExists("noflags.txt"));
}

TEST_F(Liveness, DyingRecordListsTrianglesLostByTheSecondState) {
  WriteDyingRecord(*s0, *s1, "dying.txt");
  EXPECT_EQ(ReadText("dying.txt"), "TID 2:2,4,5\n");
  // An id the second state's cache does not name counts as dying too.
  s1->groupOfTriangle.MakeUnique();
  s1->groupOfTriangle[0] = kAbsentGroup;
  WriteDyingRecord(*s0, *s1, "dying2.txt");
  EXPECT_EQ(ReadText("dying2.txt"), "TID 0:0,1,2\nTID 2:2,4,5\n");
}
