// Object lists: the list file and its objects, materials, the cache and
// its scale factor.
#include <gtest/gtest.h>

#include "ObjectList.h"
#include "ObjectReader.h"
#include "TestSupport.h"

namespace {
void WriteTwoObjects() {
  WriteText("index.txt", "2 files exported\nfirst\nsecond\r\n");
  WriteText("first.obj", "# exported\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\n"
                         "vt 0 0\nvt 1 0\nvt 0 1\nusemtl red\nf 1 2 3\n");
  WriteText("first.mtl", "newmtl red\nColor: 1 0 0\n\nnewmtl red\nColor: 0 1 0\n");
  // Faces count from this object's first vertex; the empty 'plain' section
  // makes no group.
  WriteText("second.obj", "# exported\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n"
                          "vn 0 1 0\nvn 0 1 0\nvn 0 1 0\nvn 0 1 0\n"
                          "vt 0.5 0.5\nvt 0.5 0.5\nvt 0.5 0.5\nvt 0.25 0.75\n"
                          "usemtl plain\nusemtl blue\nf 1 2 3\nf 2 4 3\nusemtl nothing\nf 1 2 4\n");
  WriteText("second.mtl", "newmtl blue\r\nColor: 0 0 1\r\nnewmtl plain\nColor: 0.5 0.5 0.5\n");
}
}  // namespace

TEST(ObjectList, BuildReadsObjectsWithLocalNumbersAndWritesCache) {
  ScratchDir dir;
  WriteTwoObjects();
  ObjLoader mesh;
  mesh.shadingMode = 3;
  EXPECT_EQ(StdoutOf([&] { ASSERT_TRUE(BuildObjectList(mesh, "")); }), "2 objects to be loaded\n0/2 loaded\n1/2 loaded\n0 identical vertices detected\n"
                 "0 degenerate triangle removed\n0 duplicate triangle detected\n");
  EXPECT_EQ(mesh.vertexCount, 7);
  EXPECT_EQ(mesh.positions[4], Vex3_quarn(100, 0, 100));
  ASSERT_EQ(mesh.groupCount, 3);
  EXPECT_EQ(mesh.groupTriCount.vec(), (std::vector<int32_t>{1, 2, 1}));
  EXPECT_EQ(mesh.groupTriangles[1], (std::vector<uint32_t>{3, 4, 5, 4, 6, 5}));
  EXPECT_EQ(mesh.groupColor[0], Vex3_quarn(1, 0, 0));  // first entry of a name counts
  EXPECT_EQ(mesh.groupColor[1], Vex3_quarn(0, 0, 1));
  EXPECT_EQ(mesh.groupColor[2], kUnknownMaterialColor);
  EXPECT_EQ(mesh.normals[5], Vex3_quarn(0, 1, 0));
  EXPECT_EQ(mesh.texCoords[13], 0.75f);
  EXPECT_EQ(mesh.triangleCount, 4);
  EXPECT_FALSE(mesh.HasIdTables());

  ObjLoader cached, doubled;
  ASSERT_EQ(ReadObjectList(cached, "", 1.0f), 1);
  ASSERT_EQ(ReadObjectList(doubled, "", 2.0f), 1);
  EXPECT_EQ(cached.positions, mesh.positions);
  EXPECT_EQ(cached.groupTriCount.vec(), mesh.groupTriCount.vec());
  EXPECT_EQ(cached.groupColor.vec(), mesh.groupColor.vec());
  for (int32_t g = 0; g < 3; g++) EXPECT_EQ(cached.groupTriangles[g], mesh.groupTriangles[g]);
  EXPECT_EQ(cached.normals.vec(), mesh.normals.vec());
  EXPECT_EQ(cached.texCoords.vec(), mesh.texCoords.vec());
  for (int i = 0; i < 7; i++) EXPECT_EQ(doubled.positions[i], mesh.positions[i] * 2.0f);
  EXPECT_EQ(doubled.normals.vec(), mesh.normals.vec());
  EXPECT_EQ(doubled.texCoords.vec(), mesh.texCoords.vec());
  EXPECT_EQ(ReadBytes("index.txt.rdd").size(), 4 + 7 * 32 + 8 + 3 * 16 + 4 * 12u);
}

TEST(ObjectList, EmptyListMissingObjectsAndMissingCache) {
  ScratchDir dir;
  ObjLoader mesh;
  EXPECT_EQ(ReadObjectList(mesh, "", 1.0f), -1);
  WriteText("index.txt", "3 files exported\nnot_there\nnor_this\nneither\n");
  ASSERT_TRUE(Quiet([&] { return BuildObjectList(mesh, ""); }));
  EXPECT_EQ(ReadBytes("index.txt.rdd"), std::vector<char>(12, 0));
  EXPECT_EQ(mesh.vertexCount, 0);
  EXPECT_EQ(mesh.groupCount, 0);
  ObjLoader again;
  EXPECT_EQ(ReadObjectList(again, "", 1.0f), 1);
  EXPECT_EQ(again.triangleCount, 0);
}
