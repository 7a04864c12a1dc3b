// Reading states from standard files: a triangle's identifier is the
// position of its face in the file, polygons fanned from their first
// corner, in every format; later states must match the first.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "FlaggedBinary.h"
#include "MeshImport.h"
#include "ScratchDir.h"
#include "StandardFiles.h"
#include "StateCache.h"
#include "TestSupport.h"

namespace {

void WriteStlAscii(const std::string& path, const std::vector<Vex3_quarn>& v,
                   const std::vector<uint32_t>& t) {
  std::ofstream f(path);
  f.precision(9);
  f << "solid test\n";
  for (size_t k = 0; k < t.size(); k += 3) {
    f << "facet normal 0 0 1\nouter loop\n";
    for (int c = 0; c < 3; c++) {
      const Vex3_quarn& p = v[t[k + c]];
      f << "vertex " << p.x << " " << p.y << " " << p.z << "\n";
    }
    f << "endloop\nendfacet\n";
  }
  f << "endsolid test\n";
}

// Triangle k of the mesh lies where the k-th fanned triangle of the file's
// faces lies, corner by corner, in every state.
void ExpectFileOrder(const std::vector<ObjLoader>& states, const PolyScene& scene) {
  const std::vector<uint32_t> expected = Fanned(scene.faces);
  ASSERT_EQ(states[0].IdCount(), int32_t(expected.size() / 3));
  for (size_t s = 0; s < states.size(); s++) {
    for (int32_t id = 0; id < states[0].IdCount(); id++) {
      Vex3_quarn p[3];
      ASSERT_TRUE(states[s].TrianglePositions(id, p));
      for (int c = 0; c < 3; c++)
        ASSERT_EQ(p[c], scene.states[s][expected[3 * size_t(id) + c]])
            << "state " << s << " triangle " << id << " corner " << c;
    }
  }
}

std::vector<ObjLoader> Load(const std::vector<std::string>& paths, std::string* error = nullptr) {
  std::vector<ObjLoader> states;
  std::string why;
  std::ostringstream log;
  const bool ok = LoadRunStates(paths, &states, &why, log);
  if (error) *error = why;
  if (!ok) states.clear();
  return states;
}

}  // namespace

TEST(Import, IdentifiersFollowTheFileInEveryFormat) {
  ScratchDir dir;
  const PolyScene scene = Slats(2, 4);
  const std::vector<uint32_t> fanned = Fanned(scene.faces);
  for (int s = 0; s < 2; s++) {
    const std::string n = std::to_string(s);
    WritePlyBinary("s" + n + ".ply", scene.states[s], scene.faces);
    WriteObj("s" + n + ".obj", scene.states[s], scene.faces);
    WriteGlb("s" + n + ".glb", scene.states[s], fanned);
    WriteStlAscii("s" + n + ".stl", scene.states[s], fanned);
  }
  for (const char* ext : {".ply", ".obj", ".glb", ".stl"}) {
    SCOPED_TRACE(ext);
    std::string error;
    const std::vector<ObjLoader> states = Load({std::string("s0") + ext, std::string("s1") + ext}, &error);
    ASSERT_EQ(states.size(), 2u) << error;
    EXPECT_EQ(DetectStateFormat(std::string("s0") + ext), StateFormat::kStandard);
    ExpectFileOrder(states, scene);
    EXPECT_EQ(states[1].topologySource, &states[0]);
  }
}

TEST(Import, SplitCornersShareTheirVertexAgain) {
  // OBJ corners come back one vertex each; the two triangles of a quad
  // must name the same vertices along their diagonal again.
  ScratchDir dir;
  const PolyScene scene = Slats(2, 4);
  WriteObj("a.obj", scene.states[0], scene.faces);
  WriteObj("b.obj", scene.states[1], scene.faces);
  const std::vector<ObjLoader> states = Load({"a.obj", "b.obj"});
  ASSERT_EQ(states.size(), 2u);
  uint32_t t0[3], t1[3];
  ASSERT_TRUE(states[0].TriangleVertices(0, t0));
  ASSERT_TRUE(states[0].TriangleVertices(1, t1));
  EXPECT_EQ(t0[0], t1[0]);  // (c0, c1, c2) and (c0, c2, c3)
  EXPECT_EQ(t0[2], t1[1]);
  // A corner of the back sheet shared by neighbouring quads too.
  ASSERT_TRUE(states[0].TriangleVertices(2, t1));  // the next quad's c0 is this one's c1
  EXPECT_EQ(t0[1], t1[0]);
}

TEST(Import, WorkbenchFilesStillRead) {
  ScratchDir dir;
  const PolyScene scene = Slats(2, 4);
  WritePlyBinary("a.ply", scene.states[0], scene.faces);
  WritePlyBinary("b.ply", scene.states[1], scene.faces);
  const std::vector<ObjLoader> imported = Load({"a.ply", "b.ply"});
  ASSERT_EQ(imported.size(), 2u);
  WriteWorkbenchText("a.obj", imported[0]);
  WriteWorkbenchText("b.obj", imported[1]);
  EXPECT_EQ(DetectStateFormat("a.obj"), StateFormat::kWorkbenchText);
  ExpectFileOrder(Load({"a.obj", "b.obj"}), scene);
  // The caches a first and a later state write, and a flagged binary mesh.
  ObjLoader first, later;
  first.shadingMode = later.shadingMode = shading::kLitVertexColours;
  ASSERT_TRUE(Quiet([&] { return first.Load("a.obj", nullptr) && later.Load("b.obj", &first); }));
  ExpectFileOrder(Load({"a.obj.rdd", "b.obj.rdd"}), scene);
  ASSERT_TRUE(WriteFlaggedBinary("a.bin", imported[0].positions, imported[0].groupTriangles[0]));
  ASSERT_TRUE(WriteFlaggedBinary("b.bin", imported[1].positions, imported[1].groupTriangles[0]));
  ExpectFileOrder(Load({"a.bin", "b.bin"}), scene);
}

TEST(Import, TheWorkbenchDialectIsToldFromCommonObj) {
  ScratchDir dir;
  const std::pair<const char*, StateFormat> cases[] = {
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\ng solid\nusemtl solid3_mat\nf 1 2 3 3\n",
       StateFormat::kWorkbenchText},
      {"v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\ng shell\r\nusemtl shell-2_mat\r\nf 1 2 3\r\n",
       StateFormat::kWorkbenchText},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nt 1 2 3\n", StateFormat::kWorkbenchText},
      // A common file whose group and material happen to be called "solid".
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\ng solid\nusemtl solid_red\nf 1/1 2/1 3/1\n",
       StateFormat::kStandard},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", StateFormat::kStandard},
  };
  for (const auto& [text, format] : cases) {
    std::ofstream("m.obj") << text;
    EXPECT_EQ(DetectStateFormat("m.obj"), format) << text;
  }
}

TEST(Import, StatesThatDifferAreNamed) {
  ScratchDir dir;
  const PolyScene scene = Slats(2, 4);
  WritePlyBinary("a.ply", scene.states[0], scene.faces);
  std::vector<Vex3_quarn> fewer = scene.states[1];
  fewer.pop_back();
  std::vector<Polygon> faces = scene.faces;
  faces.pop_back();
  WritePlyBinary("fewer.ply", fewer, faces);
  std::vector<Polygon> other = scene.faces;
  std::swap(other[3][0], other[3][1]);
  WritePlyBinary("other.ply", scene.states[1], other);
  std::string error;
  EXPECT_TRUE(Load({"a.ply", "fewer.ply"}, &error).empty());
  const size_t n = scene.states[0].size();
  EXPECT_EQ(error, "fewer.ply: " + std::to_string(n - 1) + " vertices, a.ply has " + std::to_string(n));
  EXPECT_TRUE(Load({"a.ply", "other.ply"}, &error).empty());
  EXPECT_EQ(error, "other.ply: face 4 differs from face 4 of a.ply in its corners");
  EXPECT_TRUE(Load({"a.ply", "missing.ply"}, &error).empty());
  EXPECT_EQ(error, "missing.ply: cannot be opened (No such file or directory)");
}
