// Bad files: every reader reports one error line naming the file and
// leaves the mesh empty and consistent (or, where stated, unchanged);
// caches never survive half-written.
#include <gtest/gtest.h>

#include <filesystem>

#include "FileBytes.h"
#include "FlaggedBinary.h"
#include "MeshCleanup.h"
#include "MeshFiles.h"
#include "ObjectList.h"
#include "ParticleSet.h"
#include "StateCache.h"
#include "StateReader.h"

namespace {
const std::string kGood =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "g solid\nusemtl solid1_mat\nf 1 2 3 4\n"
    "g shell\nusemtl shell2_mat\nt 1 3 4\n";

void ExpectEmpty(const ObjLoader& m) {
  EXPECT_EQ(m.vertexCount, 0);
  EXPECT_EQ(m.groupCount, 0);
  EXPECT_EQ(m.triangleCount, 0);
  EXPECT_TRUE(m.positions.empty());
  EXPECT_TRUE(m.groupTriCount.empty());
  EXPECT_TRUE(m.groupTriangles.empty());
  EXPECT_TRUE(m.groupMaterial.empty());
  EXPECT_TRUE(m.triangleId.empty());
  EXPECT_TRUE(m.groupOfTriangle.empty());
  EXPECT_TRUE(m.normals.empty());
  EXPECT_TRUE(m.vertexColors.empty());
  EXPECT_EQ(m.topologySource, nullptr);
}

int Lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

// Loads `text` as "bad.obj": must fail with one error line naming it, an
// empty mesh and no cache.
void ExpectBadStateText(const std::string& text, const std::string& what) {
  SCOPED_TRACE(what);
  WriteText("bad.obj", text);
  ObjLoader m;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(m.Load("bad.obj", nullptr));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("ERROR: bad.obj:", 0), 0u) << err;
  EXPECT_EQ(Lines(err), 1) << err;
  EXPECT_NE(err.find(what), std::string::npos) << err;
  ExpectEmpty(m);
  EXPECT_FALSE(FileExists("bad.obj.rdd"));
}

std::string Groups(int n) {
  std::string s = "v 0 0 0\n";
  for (int i = 0; i < n; i++) s += "g solid\nusemtl solid1_mat\n";
  return s;
}
}  // namespace

TEST(BadInput, StateTextIsRefusedWithOneLine) {
  ScratchDir dir;
  const std::string v3 = "v 0 0 0\nv 1 0 0\nv 0 1 0\ng solid\nusemtl solid1_mat\n";
  ExpectBadStateText(v3 + "f 1 2 3 9\n", "vertex number out of range");
  ExpectBadStateText(v3 + "t 0 1 2\n", "vertex number out of range");
  ExpectBadStateText(v3 + "t 1 2 99999999999999999999999\n", "vertex number out of range");
  ExpectBadStateText(v3 + "f -1 2 3 1\n", "vertex number out of range");
  ExpectBadStateText("g solid\nusemtl solid1_mat\nf 1 2 3 4\nv 0 0 0\n", "face line before any vertex");
  ExpectBadStateText(v3 + "t 1 2 3\nv 1 1 1\n", "vertex line after face lines");
  ExpectBadStateText(Groups(6001), "more than 6000 groups");
  ExpectBadStateText("# " + std::string(1100, 'x') + "\n", "line longer than 1023 characters");
  ExpectBadStateText("v 0 0 0\ng solid\n", "group line without its usemtl line");
  ExpectBadStateText("v 0 0 0\ng shell\nusemtl solid1_mat\n", "group line without its usemtl line");
  ExpectBadStateText("v 0 0 0\ng cubes\nt 1 1 1\n", "group line without its usemtl line");
  ExpectBadStateText("v nan 0 0\n", "not a finite number");
  ExpectBadStateText("v 0 inf 0\n", "not a finite number");
  ExpectBadStateText("v 0 0 1e39\n", "not a finite number");
  ExpectBadStateText("v 1 2\n", "bad vertex line");
  ExpectBadStateText("vn 1 2 3\n", "bad vertex line");
  ExpectBadStateText(v3 + "f 1 2\n", "bad face line");
  ExpectBadStateText(v3 + "t 1/1 2/2 3/3\n", "bad face line");

  // At the limits: 6000 groups and a 1023-character line are fine.
  WriteText("ok.obj", Groups(6000) + "# " + std::string(1021, 'x') + "\n");
  ObjLoader m;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(m.Load("ok.obj", nullptr));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(m.groupCount, 6000);

  testing::internal::CaptureStderr();
  EXPECT_FALSE(m.Load("missing.obj", nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: cannot open file: missing.obj\n");
  ExpectEmpty(m);
  EXPECT_FALSE(FileExists("missing.obj.rdd"));
}

TEST(BadInput, LaterStateThatDoesNotFitItsSource) {
  ScratchDir dir;
  WriteText("s0.obj", kGood);
  WriteText("more.obj", kGood + "g beams\nusemtl beams1_mat\n");
  WriteText("longer.obj", kGood + "t 2 3 4\n");
  WriteText("fewer.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\ng solid\nusemtl solid1_mat\nt 1 2 3\nt 1 2 3\n");
  ObjLoader s0, more, longer, fewer;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(s0.Load("s0.obj", nullptr));
  testing::internal::GetCapturedStderr();

  testing::internal::CaptureStderr();
  EXPECT_FALSE(more.Load("more.obj", &s0));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR: more.obj: groups do not match"), std::string::npos);
  ExpectEmpty(more);

  // The second live triangle of the source names vertex 4, which it lacks.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(fewer.Load("fewer.obj", &s0));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR: fewer.obj: "), std::string::npos);
  ExpectEmpty(fewer);

  // More triangles in a group than the source has: cut, with a warning.
  testing::internal::CaptureStderr();
  EXPECT_TRUE(longer.Load("longer.obj", &s0));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("WARNING: longer.obj: "), std::string::npos);
  EXPECT_EQ(longer.groupTriCount.vec(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(longer.triangleCount, 3);
  ObjLoader again;  // and its cache reads back
  testing::internal::CaptureStderr();
  EXPECT_TRUE(again.Load("longer.obj", &s0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(again.groupTriCount.vec(), (std::vector<int32_t>{2, 1}));
}

TEST(BadInput, EveryTruncatedOrPaddedStateCacheIsRefused) {
  ScratchDir dir;
  WriteText("s0.obj", kGood);
  WriteText("s1.obj", kGood);
  for (uint8_t mode : {0, 1}) {
    ObjLoader s0, s1;
    s0.shadingMode = s1.shadingMode = mode;
    std::remove("s0.obj.rdd");
    std::remove("s1.obj.rdd");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(s0.Load("s0.obj", nullptr));
    ASSERT_TRUE(s1.Load("s1.obj", &s0));
    testing::internal::GetCapturedStderr();
    for (ObjLoader* source : {static_cast<ObjLoader*>(nullptr), &s0}) {
      std::vector<char> full = ReadBytes(source ? "s1.obj.rdd" : "s0.obj.rdd");
      for (size_t n = 0; n <= full.size() + 1; n++) {
        if (n == full.size()) continue;
        std::vector<char> cut(full.begin(), full.begin() + std::min(n, full.size()));
        if (n > full.size()) cut.push_back(0);
        ObjLoader m;
        m.shadingMode = mode;
        testing::internal::CaptureStderr();
        bool ok = ReadStateCache(cut.data(), cut.size(), "c.rdd", m, source);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(ok) << n;
        EXPECT_EQ(err.rfind("ERROR: c.rdd: ", 0), 0u) << err;
        ExpectEmpty(m);
      }
    }
  }
}

TEST(BadInput, CorruptStateCacheFieldsAndLoadRecovers) {
  ScratchDir dir;
  // One group, one triangle, shading mode 1 without source: the layout
  // is nv, positions, ng, nt, count, material, 3 indices, id.
  auto cache = [](int32_t nv, float x, int32_t ng, int32_t nt, int32_t count, uint32_t v, int32_t id) {
    std::vector<char> b;
    Put(b, nv);
    for (int32_t i = 0; i < std::min(nv, 3); i++) Put(b, Vex3_quarn(i == 0 ? x : float(i), 0, 0));
    Put(b, ng);
    Put(b, nt);
    Put(b, count);
    Put(b, int32_t(1));
    for (uint32_t i : {0u, 1u, v}) Put(b, i);
    Put(b, id);
    return b;
  };
  struct Case {
    std::vector<char> bytes;
    const char* what;
  } cases[] = {
      {cache(-1, 0, 1, 1, 1, 2, 0), "vertex count"},
      {cache(0x7fffffff, 0, 1, 1, 1, 2, 0), "vertex count"},
      {cache(3, NAN, 1, 1, 1, 2, 0), "not a finite number"},
      {cache(3, 0, -1, 1, 1, 2, 0), "group count"},
      {cache(3, 0, 6001, 1, 1, 2, 0), "group count"},
      {cache(3, 0, 1, -1, 1, 2, 0), "triangle count"},
      {cache(3, 0, 1, 1, -1, 2, 0), "group counts do not add up"},
      {cache(3, 0, 2, 1, 1, 2, 0), "size does not match"},
      {cache(3, 0, 1, 1, 1, 3, 0), "vertex number out of range"},
      {cache(3, 0, 1, 1, 1, 2, 1), "triangle id out of range"},
      {cache(3, 0, 1, 1, 1, 2, -5), "triangle id out of range"},
  };
  for (const Case& c : cases) {
    ObjLoader m;
    m.shadingMode = 1;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadStateCache(c.bytes.data(), c.bytes.size(), "c.rdd", m, nullptr));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(c.what), std::string::npos) << c.what << ": " << err;
    EXPECT_EQ(Lines(err), 1);
    ExpectEmpty(m);
  }
  // Two triangles claiming one id.
  std::vector<char> twice = cache(3, 0, 1, 2, 2, 2, 0);
  for (uint32_t i : {2u, 1u, 0u}) Put(twice, i);
  Put(twice, int32_t(0));
  ObjLoader m;
  m.shadingMode = 1;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadStateCache(twice.data(), twice.size(), "c.rdd", m, nullptr));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("used twice"), std::string::npos);

  // Load meets a truncated cache, reads the text and writes a whole cache.
  WriteText("s.obj", kGood);
  ObjLoader good;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(good.Load("s.obj", nullptr));
  testing::internal::GetCapturedStderr();
  std::vector<char> whole = ReadBytes("s.obj.rdd");
  WriteBytes("s.obj.rdd", std::vector<char>(whole.begin(), whole.end() - 5));
  ObjLoader recovered;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(recovered.Load("s.obj", nullptr));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("ERROR: s.obj.rdd: ", 0), 0u) << err;
  EXPECT_EQ(recovered.positions, good.positions);
  EXPECT_EQ(ReadBytes("s.obj.rdd"), whole);
}

TEST(BadInput, CacheThatCannotBeWrittenLeavesNothingBehind) {
  ScratchDir dir;
  WriteText("s.obj", kGood);
  std::filesystem::create_directory("s.obj.rdd");  // the cache's name is taken
  ObjLoader m;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(m.Load("s.obj", nullptr));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ERROR: cannot write file: s.obj.rdd"), std::string::npos) << err;
  EXPECT_EQ(m.triangleCount, 3);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) files += e.is_regular_file();
  EXPECT_EQ(files, 1);  // s.obj only: no temporary left
  EXPECT_FALSE(WriteFileAtomically("no/such/folder/x.rdd", "abc", 3));
  EXPECT_FALSE(FileExists("no"));
}

TEST(BadInput, ObjectListsAndTheirCaches) {
  ScratchDir dir;
  WriteText("index.txt", "1 files exported\na\n");
  WriteText("a.obj", "#\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\nvt 0 0\nvt 0 0\nvt 0 0\n"
                     "usemtl m\nf 1 2 3\n");
  ObjLoader built;
  testing::internal::CaptureStdout();
  ASSERT_TRUE(BuildObjectList(built, ""));
  testing::internal::GetCapturedStdout();
  std::vector<char> full = ReadBytes("index.txt.rdd");
  for (size_t n = 0; n <= full.size() + 1; n++) {
    if (n == full.size()) continue;
    std::vector<char> cut(full.begin(), full.begin() + std::min(n, full.size()));
    if (n > full.size()) cut.push_back(0);
    ObjLoader m;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadObjectListCache(cut.data(), cut.size(), "index.txt.rdd", m, 1.0f), -1) << n;
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("ERROR: index.txt.rdd: ", 0), 0u);
    ExpectEmpty(m);
  }
  std::vector<char> outOfRange = full;
  outOfRange[outOfRange.size() - 4] = 3;  // last vertex number of the triangle
  WriteBytes("index.txt.rdd", outOfRange);
  ObjLoader m;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadObjectList(m, "", 1.0f), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("vertex number out of range"), std::string::npos);
  ExpectEmpty(m);

  // Bad lists and objects build nothing and write no cache.
  std::remove("index.txt.rdd");
  const char* bad[][2] = {
      {"3 files exported\na\n", "list ends before its last object"},
      {"files exported\n", "first line"},
      {"-2 files exported\n", "object count out of range"},
  };
  for (const auto& c : bad) {
    WriteText("index.txt", c[0]);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(BuildObjectList(m, ""));
    std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_NE(err.find(c[1]), std::string::npos) << err;
    EXPECT_NE(err.find("index.txt"), std::string::npos);
    ExpectEmpty(m);
    EXPECT_FALSE(FileExists("index.txt.rdd"));
  }
  WriteText("index.txt", "1 files exported\na\n");
  const char* badObjects[][2] = {
      {"#\nv 0 0 0\nv 1 0 0\nf 1 2 3\n", "face names a vertex the object does not have"},
      {"#\nv 0 0 0\nv 1 0 0\nv 1 1 1\nf 0 1 2\n", "vertex number out of range"},
      {"#\nv 0 nan 0\n", "not a finite number"},
      {"#\nv 0 0\n", "bad vertex line"},
  };
  for (const auto& c : badObjects) {
    WriteText("a.obj", c[0]);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(BuildObjectList(m, ""));
    std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(err.rfind("ERROR: a.obj:", 0), 0u) << err;
    EXPECT_NE(err.find(c[1]), std::string::npos) << err;
    ExpectEmpty(m);
    EXPECT_FALSE(FileExists("index.txt.rdd"));
  }
  testing::internal::CaptureStderr();
  EXPECT_FALSE(BuildObjectList(m, "nowhere/"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: nowhere/index.txt: cannot open file\n");
}

TEST(BadInput, FlaggedBinaryTruncatedPaddedAndOutOfRange) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFlaggedBinary("m.bin", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}));
  std::vector<char> full = ReadBytes("m.bin");
  for (size_t n = 0; n <= full.size() + 1; n++) {
    if (n == full.size()) continue;
    std::vector<char> cut(full.begin(), full.begin() + std::min(n, full.size()));
    if (n > full.size()) cut.push_back(0);
    ObjLoader m;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadFlaggedBinaryData(cut.data(), cut.size(), "m.bin", m)) << n;
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("ERROR: m.bin: ", 0), 0u);
    ExpectEmpty(m);
  }
  std::vector<char> range = full;
  range[range.size() - 4] = 7;
  std::vector<char> huge = full;
  huge[3] = 0x7f;
  for (const auto& bytes : {range, huge}) {
    ObjLoader m;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadFlaggedBinaryData(bytes.data(), bytes.size(), "m.bin", m));
    testing::internal::GetCapturedStderr();
    ExpectEmpty(m);
  }
}

TEST(BadInput, ParticleCacheFallsBackToText) {
  ScratchDir dir;
  WriteText("p.obj", "v 1 1 1\nv 2 2 2\n");
  std::vector<char> bad;
  Put(bad, int32_t(0x40000000));
  Put(bad, Vex3_quarn(9, 9, 9));
  WriteBytes("p.obj.rdd", bad);
  ParticleSet p;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(p.Load("p.obj"));
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("ERROR: p.obj.rdd: ", 0), 0u);
  EXPECT_EQ(p.count, 2);
  EXPECT_EQ(p.positions[1], Vex3_quarn(200, 200, 200));
  EXPECT_EQ(ReadBytes("p.obj.rdd").size(), 28u);  // rewritten whole

  ParticleSet none;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(none.Load("none.obj"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: none.obj: cannot open file\n");
  EXPECT_EQ(none.count, 0);
}

// Inputs the fuzz targets found.
TEST(FuzzFound, EmptyFirstStateIsATopologySource) {
  ScratchDir dir;
  WriteText("empty0.obj", "");
  WriteText("empty1.obj", "");
  WriteText("nofaces0.obj", "v 0 0 0\ng solid\nusemtl solid1_mat\n");
  WriteText("nofaces1.obj", "v 1 1 1\ng solid\nusemtl solid1_mat\nt 1 1 1\n");
  for (int pass = 0; pass < 2; pass++) {  // text, then the caches
    ObjLoader e0, e1, n0, n1;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(e0.Load("empty0.obj", nullptr));
    EXPECT_TRUE(e1.Load("empty1.obj", &e0));
    EXPECT_TRUE(n0.Load("nofaces0.obj", nullptr));
    EXPECT_TRUE(n1.Load("nofaces1.obj", &n0));  // its one triangle is cut
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(e1.topologySource, &e0);
    EXPECT_EQ(n1.groupCount, 1);
    EXPECT_EQ(n1.triangleCount, 0);
    EXPECT_EQ(n1.positions[0], Vex3_quarn(1, 1, 1));
  }
}

TEST(FuzzFound, LaterStateWithFewerGroupsThanItsSource) {
  ScratchDir dir;
  WriteText("s0.obj", kGood);
  WriteText("s1.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\ng solid\nusemtl solid1_mat\nf 1 2 3 4\n");
  for (int pass = 0; pass < 2; pass++) {
    ObjLoader s0, s1;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(s0.Load("s0.obj", nullptr));
    ASSERT_TRUE(s1.Load("s1.obj", &s0));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(s1.groupCount, 1);
    EXPECT_EQ(s1.triangleCount, 2);
    EXPECT_TRUE(s1.Exists(1));
    EXPECT_FALSE(s1.Exists(2));  // its group is not in this state
    EXPECT_EQ(s1.normals.size(), 3u);
  }
}

TEST(FuzzFound, WeldingAMeshWithoutVerticesOrArrays) {
  ObjLoader m;
  m.groupCount = 1;
  m.groupTriCount.Allocate(1, 0);
  m.groupMaterial.Allocate(1, 0);
  m.groupTriangles.Allocate(1);
  m.vertexColors.Assign({});  // present but empty, like a 'y' flag with no vertices
  testing::internal::CaptureStdout();
  EXPECT_EQ(WeldCleanup(m), 0);
  EXPECT_EQ(DetectCleanup(m), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(m.vertexCount, 0);
  EXPECT_TRUE(m.normals.empty());

  // The file that showed it: no vertices, colours and normals flagged.
  std::vector<char> b;
  Put(b, int32_t(0));
  b.insert(b.end(), {'y', 'y', char(0xff), 0});
  Put(b, int32_t(0));
  ObjLoader f;
  testing::internal::CaptureStdout();
  ASSERT_TRUE(ReadFlaggedBinaryData(b.data(), b.size(), "f.bin", f));
  EXPECT_EQ(WeldCleanup(f), 0);
  testing::internal::GetCapturedStdout();
}

TEST(BadInput, HandBuiltMeshWithFewerListsThanGroups) {
  ObjLoader m;
  m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  m.vertexCount = 3;
  m.groupCount = 3;  // counts for three groups, a list for one
  m.groupTriCount.Assign({1, 1, 1});
  m.groupMaterial.Assign({1, 2, 3});
  m.groupTriangles.Assign({{0, 1, 2}});
  m.triangleCount = 3;
  EXPECT_EQ(m.GroupsHeld(), 1);
  m.AssignIds(nullptr);
  EXPECT_EQ(m.IdCount(), 1);
  m.ComputeNormals();
  m.ComputeVertexColors();
  EXPECT_TRUE(m.Exists(0));
  std::vector<char> cache = EncodeStateCache(m);
  ObjLoader back;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ReadStateCache(cache.data(), cache.size(), "c.rdd", back, nullptr));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(back.groupCount, 1);
  testing::internal::CaptureStdout();
  DetectCleanup(m);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(m.groupTriCount[0], 1);
}
