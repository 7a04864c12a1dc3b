// Flagged binary meshes: the positions-only form, the optional arrays and
// their messages, and the comparison with a reference.
#include <gtest/gtest.h>

#include "CompareReference.h"
#include "FlaggedBinary.h"
#include "TestSupport.h"

TEST(FlaggedBinary, PositionsOnlyRoundTripPrintsNoHaveLines) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFlaggedBinary("cell.bin", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 2, 1, 3}));
  std::vector<char> bytes = ReadBytes("cell.bin");
  ASSERT_EQ(bytes.size(), 4 + 4 + 48 + 4 + 24u);
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "ynnn");
  ObjLoader m;
  EXPECT_EQ(StdoutOf([&] { ASSERT_TRUE(ReadFlaggedBinary(m, "cell.bin")); }),
            "4 vertices and 2 triangles loaded\n");
  EXPECT_EQ(m.groupCount, 1);
  EXPECT_EQ(m.groupTriCount[0], 2);
  EXPECT_EQ(m.triangleCount, 2);
  EXPECT_EQ(m.groupTriangles[0], (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
  EXPECT_TRUE(m.vertexColors.empty() && m.normals.empty() && m.texCoords.empty());
  // Without id tables the id is the index in the one group.
  EXPECT_TRUE(m.Exists(1));
  EXPECT_FALSE(m.Exists(2));
}

TEST(FlaggedBinary, AllArraysAndMessages) {
  ScratchDir dir;
  std::vector<char> b;
  Put(b, int32_t(3));
  b.insert(b.end(), {'y', 'y', 'y', 'y'});
  for (int k = 0; k < 3; k++)  // positions, colours, normals
    for (int i = 0; i < 3; i++) Put(b, Vex3_quarn(float(k), float(i), 0));
  for (int i = 0; i < 6; i++) Put(b, float(i) / 10);
  Put(b, int32_t(1));
  for (uint32_t v : {0u, 1u, 2u}) Put(b, v);
  WriteBytes("all.bin", b);
  ObjLoader m;
  EXPECT_EQ(StdoutOf([&] { ASSERT_TRUE(ReadFlaggedBinary(m, "all.bin")); }),
            "Have color\nHave normal\nHave texcoord\n3 vertices and 1 triangles loaded\n");
  EXPECT_EQ(m.vertexColors[2], Vex3_quarn(1, 2, 0));
  EXPECT_EQ(m.normals[1], Vex3_quarn(2, 1, 0));
  EXPECT_EQ(m.texCoords[5], 0.5f);

  // A missing file leaves the mesh as it was.
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(ReadFlaggedBinary(m, "missing.bin")); }),
            "INFO: cannot open file: missing.bin\n");
  EXPECT_EQ(m.triangleCount, 1);

  b[4] = 'n';
  WriteBytes("nopos.bin", b);
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(ReadFlaggedBinary(m, "nopos.bin")); }), "INTERNAL ERROR: there should always be vertex xyz data\n");
  EXPECT_EQ(m.vertexCount, 0);
  EXPECT_EQ(m.triangleCount, 0);
}

TEST(FlaggedBinary, CompareWithReference) {
  ScratchDir dir;
  std::vector<Vex3_quarn> p = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  ASSERT_TRUE(WriteFlaggedBinary("ref.bin", p, {0, 1, 2, 2, 1, 3}));
  ObjLoader m;
  Quiet([&] { ReadFlaggedBinary(m, "ref.bin"); });
  EXPECT_EQ(StdoutOf([&] { CompareWithReference(m, "ref.bin"); }),
            "4 vertices and 2 triangles loaded\nT number match!\n");
  m.positions[3].z = 1e-7f;
  m.triangleCount = 1;
  m.groupTriangles[0] = {2, 1, 3};
  m.groupTriCount[0] = 1;
  EXPECT_EQ(StdoutOf([&] { CompareWithReference(m, "ref.bin"); }),
            "4 vertices and 2 triangles loaded\nT number does not match\nTriangle #0 does not match\n");
}
