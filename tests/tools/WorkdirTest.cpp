// The sample working-directory generator: its folders, its file writers
// read back by the workbench's own readers, its cameras and its z-buffer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "Format.h"
#include "GenMesh.h"
#include "IdRaster.h"
#include "MeshText.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "TestSupport.h"
#include "Workdir.h"

namespace {

bool IsDir(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Share of the points that the camera sees inside its image.
double ShareInView(const PPC& c, const std::vector<Vex3_quarn>& points) {
  int in = 0;
  for (const Vex3_quarn& p : points) {
    const Vex3_quarn q = c.invM * (p - c.eye);
    if (q.z <= 0) continue;
    const float u = q.x / q.z, v = q.y / q.z;
    in += u >= 0 && u < c.w && v >= 0 && v < c.h;
  }
  return points.empty() ? 0 : double(in) / points.size();
}

TEST(Workdir, WritesFoldersScenesAndCameras) {
  ScratchDir scratch;
  WorkdirOptions options;
  options.only = {"small", "tree"};
  WorkdirManifest manifest;
  ASSERT_TRUE(MakeWorkdir("work", options, &manifest));
  for (const std::string& f : WorkdirFolders()) EXPECT_TRUE(IsDir("work/" + f)) << f;

  // The workbench's loader reads what the manifest says was written; the
  // boxes that vanish leave the last state with two boxes fewer.
  ObjLoader first, last;
  ASSERT_TRUE(first.Load("work/Geometry/MovingBoxes/state000.obj", nullptr));
  ASSERT_TRUE(last.Load("work/Geometry/MovingBoxes/state019.obj", &first));
  const SceneCounts boxes = manifest.counts.at("Moving Box");
  EXPECT_EQ(first.vertexCount, boxes.vertices);
  EXPECT_EQ(first.triangleCount, boxes.triangles);
  EXPECT_EQ(last.triangleCount, boxes.triangles - 2 * 108);

  // The camera of the scene looks at it.
  PPC camera;
  ASSERT_TRUE(camera.LoadFromFile("work/Views/mb_default.ppc"));
  EXPECT_GT(ShareInView(camera, first.positions), 0.9);

  // Flagged binary: header, flags, positions, triangles and nothing more.
  const SceneCounts tree = manifest.counts.at("Quarn Tree");
  const std::string bin = ReadText("work/Geometry/QUARNTree/tree1.bin");
  EXPECT_EQ(bin.size(), size_t(4 + 4 + 12 * tree.vertices + 4 + 12 * tree.triangles));
  EXPECT_EQ(bin.substr(4, 4), "ynnn");

  // Easy Plane: one texture coordinate pair per vertex.
  std::istringstream uv(ReadText("work/Geometry/EasyPlane/uvCoords.txt"));
  int numbers = 0;
  for (float f; uv >> f;) numbers++;
  EXPECT_EQ(numbers, 2 * manifest.counts.at("Easy Plane").vertices);
}

TEST(Workdir, StateFilesListLivePrefixes) {
  ScratchDir scratch;
  GenMesh m;
  GenGroup& g = m.AddGroup("cubes", 7);
  for (int i = 0; i < 5; i++) m.AddVertex({float(i), float(i * i), 1});
  m.Quad(g, 0, 1, 2, 3, 1);  // dies at frame 1
  m.Tri(g, 1, 2, 4);
  m.SortByDeath();
  ASSERT_TRUE(WriteStateObj("s000.obj", m, m.positions, 0));
  ASSERT_TRUE(WriteStateObj("s001.obj", m, m.positions, 1));
  EXPECT_NE(ReadText("s000.obj").find("g cubes\nusemtl cubes7_mat\nt 2 3 5\nf 1 2 3 4\n"),
            std::string::npos);

  ObjLoader a, b;
  ASSERT_TRUE(a.Load("s000.obj", nullptr));
  ASSERT_TRUE(b.Load("s001.obj", &a));
  EXPECT_EQ(a.triangleCount, 3);
  EXPECT_EQ(a.groupMaterial[0], 7);
  EXPECT_EQ(b.triangleCount, 1);
  EXPECT_EQ(m.TriangleList(), (std::vector<uint32_t>{1, 2, 4, 0, 1, 2, 2, 3, 0}));
}

TEST(Workdir, ObjectListsNumberVerticesPerObject) {
  ScratchDir scratch;
  GenMesh m;
  std::vector<GenObject> objects(2);
  for (int o = 0; o < 2; o++) {
    objects[o] = {Format("obj%d", o), int(m.groups.size()), 1, int(m.positions.size()), 3};
    GenGroup& g = m.AddNamedGroup(Format("mat%d", o), {0.5f, 0.25f, 1});
    const int a = m.AddVertex({0, 0, float(o)}), b = m.AddVertex({1, 0, 0}), c = m.AddVertex({0, 1, 0});
    m.Tri(g, a, b, c);
  }
  m.ComputeAttributes(0, 1, 1);
  ASSERT_TRUE(WriteObjectList("", m, objects, 100));
  EXPECT_EQ(ReadText("index.txt"), "2 files exported\nobj0\nobj1\n");
  EXPECT_EQ(ReadText("obj1.mtl"), "newmtl mat1\nColor: 0.500000 0.250000 1.000000\n");
  const std::string obj = ReadText("obj1.obj");
  EXPECT_NE(obj.find("v 0 0 0.00999999978\n"), std::string::npos);  // 1 / 100
  EXPECT_NE(obj.find("usemtl mat1\nf 1 2 3\n"), std::string::npos);
}

TEST(Workdir, RasterKeepsTheNearerTriangle) {
  PPC camera = PPC(55, 64, 36);
  camera.zNear = 0.5f;
  // Two screen-filling triangles, the second nearer.
  std::vector<Vex3_quarn> p = {{-1e4f, -1e4f, -100}, {1e4f, -1e4f, -100}, {0, 1e4f, -100},
                               {-1e4f, -1e4f, -50},  {1e4f, -1e4f, -50},  {0, 1e4f, -50}};
  const IdImage img = RasterIds(camera, 1, p, {0, 1, 2, 3, 4, 5});
  EXPECT_EQ(img.id[img.id.size() / 2], 1);
  EXPECT_EQ(SeenFlags(img, 2), (std::vector<int32_t>{0, 1}));
}

}  // namespace
