#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "KeyframeTrajectories.h"
#include "LivenessScene.h"
#include "TestSupport.h"

namespace {

// Keyframes 0, 1, 2 with every vertex shifted by 0, 10, 20 along x and the
// live counts {3, 2}, {2, 2}, {1, 1}.
class Trajectories : public testing::Test {
 protected:
  void SetUp() override {
    base = MakeBaseMesh();
    s1 = MakeState(*base, {2, 2}, 10);
    s2 = MakeState(*base, {1, 1}, 20);
    kt = KeyframeTrajectories::Build(3, *base);
    kt->StoreKeyframe(*s1, 1);
    kt->StoreKeyframe(*s2, 2);
    target = MakeState(*base, {3, 2}, 0);
    for (Vex3_quarn& p : target->positions) p = Vex3_quarn(-1, -1, -1);
  }
  // No vertex of the target was placed.
  void ExpectUntouched() const {
    for (const Vex3_quarn& p : target->positions) EXPECT_EQ(p, Vex3_quarn(-1, -1, -1));
  }
  std::unique_ptr<ObjLoader> base, s1, s2, target;
  std::unique_ptr<KeyframeTrajectories> kt;
};

}  // namespace

TEST_F(Trajectories, BuildStoresKeyframeZeroAndCounts) {
  EXPECT_EQ(kt->keyframeCount, 3);
  EXPECT_EQ(kt->vertexCount, 10);
  EXPECT_EQ(kt->sourceMesh, base.get());
  EXPECT_EQ(kt->triangleCounts, (std::vector<int32_t>{5, 4, 2}));
  EXPECT_EQ(kt->groupLiveCounts[0], (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(kt->groupLiveCounts[1], (std::vector<int32_t>{2, 2, 1}));
  EXPECT_EQ(KeyframeTrajectories::PositionAt(kt->tracks[3], 2), Vex3_quarn(23, 9, 1));
  kt->StoreKeyframe(*s1, 3);  // beyond the keyframes: ignored
  kt->StoreKeyframe(*s1, -1);
  EXPECT_EQ(KeyframeTrajectories::PositionAt(kt->tracks[3], 0), Vex3_quarn(3, 9, 1));
}

TEST_F(Trajectories, IntegerTimeGivesExactKeyframe) {
  std::vector<int32_t> flags(5, 1);
  ASSERT_TRUE(kt->PlacePositions(1.0, target.get(), flags.data()));
  for (int v = 0; v < 10; v++) EXPECT_EQ(target->positions[v], s1->positions[v]) << v;
  EXPECT_EQ(target->groupTriCount.vec(), (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(target->triangleCount, 2);
  // The base mesh, whose count array the target shared, keeps its own.
  EXPECT_EQ(base->groupTriCount.vec(), (std::vector<int32_t>{3, 2}));
}

TEST_F(Trajectories, OnlyVerticesOfFlaggedTrianglesMove) {
  std::vector<int32_t> flags = {0, 0, 0, 1, 0};  // triangle 3: vertices 6, 7, 8
  ASSERT_TRUE(kt->PlacePositions(0.25, target.get(), flags.data()));
  for (int v = 0; v < 10; v++) {
    if (v >= 6 && v <= 8)
      EXPECT_EQ(target->positions[v], Vex3_quarn(float(v) + 2.5f, float(v * v), 1)) << v;
    else
      EXPECT_EQ(target->positions[v], Vex3_quarn(-1, -1, -1)) << v;
  }
  EXPECT_EQ(target->groupTriCount.vec(), (std::vector<int32_t>{2, 2}));
}

TEST_F(Trajectories, AllFlagsZeroStillSetsLiveCounts) {
  std::vector<int32_t> flags(5, 0);
  ASSERT_TRUE(kt->PlacePositions(1.5, target.get(), flags.data()));
  ExpectUntouched();
  EXPECT_EQ(target->groupTriCount.vec(), (std::vector<int32_t>{1, 1}));
}

TEST_F(Trajectories, TriangleDeadInSourceIsNotMoved) {
  auto small = MakeState(*base, {1, 2}, 0);  // ids 1 and 2 are dead here
  auto kt2 = KeyframeTrajectories::Build(2, *small);
  std::vector<int32_t> flags = {0, 1, 1, 0, 0};
  ASSERT_TRUE(kt2->PlacePositions(0.0, target.get(), flags.data()));
  ExpectUntouched();
}

TEST_F(Trajectories, TimesWithoutANextKeyframeAreRefused) {
  std::vector<int32_t> flags(5, 1);
  for (double x : {2.0, 2.5, 7.0, -0.5, std::nan("")}) {
    EXPECT_NE(StderrOf([&] { EXPECT_FALSE(kt->PlacePositions(x, target.get(), flags.data())) << x; })
                  .find("PlacePositions"),
              std::string::npos);
    ExpectUntouched();
    EXPECT_EQ(target->groupTriCount.vec(), (std::vector<int32_t>{3, 2}));
  }
  EXPECT_TRUE(kt->PlacePositions(1.999, target.get(), flags.data()));
}

TEST(KeyframeTrack, KeyIndexMixesStoredKeys) {
  VertexTrack track;
  track.count = 2;
  track.positions = {Vex3_quarn(0, 2, 4), Vex3_quarn(4, 6, 0)};
  track.keyIndex = {0, 4};
  EXPECT_EQ(KeyframeTrajectories::PositionAt(track, 2), Vex3_quarn(2, 4, 2));
  EXPECT_EQ(KeyframeTrajectories::PositionAt(track, 1), Vex3_quarn(1, 3, 3));
  EXPECT_EQ(KeyframeTrajectories::PositionAt(track, 0), Vex3_quarn(0, 2, 4));
  // At and beyond the last key there is nothing to mix with.
  EXPECT_EQ(KeyframeTrajectories::PositionAt(track, 4), Vex3_quarn(4, 6, 0));
  EXPECT_EQ(KeyframeTrajectories::PositionAt(track, 9), Vex3_quarn(4, 6, 0));
  EXPECT_EQ(KeyframeTrajectories::PositionAt(track, -1), Vex3_quarn(0, 2, 4));
}

TEST_F(Trajectories, BuildStepsFollowsLastKeyframes) {
  std::ostringstream out;
  kt->BuildSteps(out);
  EXPECT_EQ(out.str(), "Done smoothing the interval, average interval count is 2\n");
  ASSERT_EQ(kt->steps[4].size(), 2u);
  EXPECT_EQ(kt->steps[4][1], (std::array<int32_t, 2>{1, 2}));
  kt->lastKeyframe = {2, 1, 0, 2, 0};
  std::ostringstream out2;
  kt->BuildSteps(out2);
  EXPECT_EQ(out2.str(), "Done smoothing the interval, average interval count is 1\n");
  EXPECT_TRUE(kt->steps[2].empty());
}
