// Welding, collapsed and repeated triangles, survivors and the bad-triangle
// mask.
#include <gtest/gtest.h>

#include <cmath>

#include "MeshCleanup.h"
#include "ObjLoader.h"
#include "TestSupport.h"

namespace {
void Fill(ObjLoader& m, std::vector<Vex3_quarn> p, std::vector<std::vector<uint32_t>> groups) {
  m.Release();
  m.vertexCount = int32_t(p.size());
  m.positions = std::move(p);
  m.groupCount = int32_t(groups.size());
  m.groupTriCount.Allocate(m.groupCount);
  m.groupMaterial.Allocate(m.groupCount);
  m.triangleCount = 0;
  for (int32_t g = 0; g < m.groupCount; g++) {
    m.groupTriCount[g] = int32_t(groups[g].size() / 3);
    m.triangleCount += m.groupTriCount[g];
  }
  m.groupTriangles.Assign(std::move(groups));
}

struct Outcome {
  int32_t result = 0;
  std::string out;
};

// The cleanup's result and what it printed.
template <typename F>
Outcome Cleanup(F f) {
  Outcome o;
  o.out = StdoutOf([&] { o.result = f(); });
  return o;
}

const Vex3_quarn A(0, 0, 0), B(1, 0, 0), C(0, 1, 0), D(1, 1, 0);
}  // namespace

TEST(MeshCleanup, SignedZerosWeldLastBitDifferencesDoNot) {
  ObjLoader m;
  float oneUp = std::nextafter(1.0f, 2.0f);
  // 0 and 1 meet (-0 == +0); 2 and 3 differ in the last bit of x.
  Fill(m, {{0, 1, 1}, {-0.0f, 1, 1}, {1, 0, 0}, {oneUp, 0, 0}, {5, 5, 5}}, {{0, 2, 4, 1, 3, 4}});
  m.vertexColors.Allocate(5);
  for (int i = 0; i < 5; i++) m.vertexColors[i] = Vex3_quarn(float(i), 0, 0);
  Outcome r = Cleanup([&] { return WeldCleanup(m); });
  EXPECT_EQ(r.out, "1 identical vertices detected\n0 degenerate triangle removed\n0 duplicate triangle detected\n");
  EXPECT_EQ(m.vertexCount, 4);
  ASSERT_EQ(m.positions.size(), 4u);
  EXPECT_EQ(m.positions[1].x, 1.0f);
  EXPECT_EQ(m.positions[2].x, oneUp);
  EXPECT_EQ(m.positions[3], Vex3_quarn(5, 5, 5));
  // Colours move with their vertices.
  EXPECT_EQ(m.vertexColors.size(), 4u);
  EXPECT_EQ(m.vertexColors[3].x, 4.0f);
  EXPECT_EQ(m.groupTriangles[0], (std::vector<uint32_t>{0, 1, 3, 0, 2, 3}));
  EXPECT_EQ(m.triangleCount, 2);
}

TEST(MeshCleanup, TriangleOnOneWeldedPositionIsDegenerateForBoth) {
  for (bool weld : {true, false}) {
    ObjLoader m;
    Fill(m, {A, A, A, B, C}, {{0, 1, 2, 0, 3, 4}});
    Outcome r = Cleanup([&] { return weld ? WeldCleanup(m) : DetectCleanup(m); });
    EXPECT_NE(r.out.find("2 identical vertices detected\n1 degenerate triangle removed\n"), std::string::npos);
    EXPECT_EQ(m.triangleCount, 1);
    EXPECT_EQ(m.groupTriCount[0], 1);
    if (weld) {
      EXPECT_EQ(m.vertexCount, 3);
      EXPECT_EQ(m.groupTriangles[0], (std::vector<uint32_t>{0, 1, 2}));
    } else {
      // Vertices untouched; the kept triangle keeps its own numbers.
      EXPECT_EQ(m.vertexCount, 5);
      EXPECT_EQ(m.positions.size(), 5u);
      EXPECT_EQ(m.groupTriangles[0], (std::vector<uint32_t>{0, 3, 4}));
    }
  }
}

TEST(MeshCleanup, RepeatsInOneGroupAndAcrossGroups) {
  ObjLoader same;
  Fill(same, {A, B, C, D}, {{0, 1, 2, 2, 1, 0, 1, 2, 3}});
  Outcome r = Cleanup([&] { return DetectCleanup(same); });
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out.find("This happens"), std::string::npos);
  EXPECT_EQ(same.groupTriangles[0], (std::vector<uint32_t>{0, 1, 2, 1, 2, 3}));  // first in list order stays

  ObjLoader across;
  Fill(across, {A, B, C, D}, {{1, 2, 3}, {3, 2, 1, 0, 1, 2}});
  r = Cleanup([&] { return WeldCleanup(across); });
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out, "0 identical vertices detected\n0 degenerate triangle removed\nThis happens\n"
                   "1 duplicate triangle detected\n");
  EXPECT_EQ(across.groupTriCount.vec(), (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(across.groupTriangles[1], (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(across.triangleCount, 2);
}

TEST(MeshCleanup, ThreeCopiesLoseTwoAndIdsMustBeAssignedAgain) {
  ObjLoader m;
  Fill(m, {A, B, C}, {{0, 1, 2, 1, 2, 0, 2, 0, 1}});
  m.AssignIds(nullptr);
  Outcome r = Cleanup([&] { return WeldCleanup(m); });
  EXPECT_EQ(r.result, 2);
  EXPECT_NE(r.out.find("2 duplicate triangle detected"), std::string::npos);
  EXPECT_EQ(m.triangleCount, 1);
  EXPECT_FALSE(m.HasIdTables());
  m.AssignIds(nullptr);
  EXPECT_EQ(m.IdCount(), 1);
}

TEST(MeshCleanup, BadTriangleMaskCountsEachIdOnce) {
  ObjLoader m;
  // id 0 good, 1 collapsed, 2 repeats 0, 3 collapsed and repeats 1.
  Fill(m, {A, B, C, D}, {{0, 1, 2, 1, 1, 3}, {2, 1, 0, 3, 1, 1}});
  m.AssignIds(nullptr);
  std::vector<int32_t> mask;
  EXPECT_EQ(StderrOf([&] { mask = BadTriangleMask(m, 5); }), "Totally 3 bad triangles detected\n");
  EXPECT_EQ(mask, (std::vector<int32_t>{1, 0, 0, 0, 1}));  // id 4 does not exist
}
