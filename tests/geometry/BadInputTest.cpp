// Bad files: every reader reports one error line naming the file and
// leaves the mesh empty and consistent (or, where stated, unchanged);
// caches never survive half-written.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "FileBytes.h"
#include "FlaggedBinary.h"
#include "MeshCleanup.h"
#include "ObjectList.h"
#include "ParticleSet.h"
#include "StateCache.h"
#include "StateReader.h"
#include "TestSupport.h"

namespace {
const std::string kGood =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "g solid\nusemtl solid1_mat\nf 1 2 3 4\n"
    "g shell\nusemtl shell2_mat\nt 1 3 4\n";

void ExpectEmpty(const ObjLoader& m) {
  EXPECT_EQ(m.vertexCount, 0);
  EXPECT_EQ(m.groupCount, 0);
  EXPECT_EQ(m.triangleCount, 0);
  EXPECT_TRUE(m.positions.empty() && m.groupTriCount.empty() && m.groupTriangles.empty());
  EXPECT_TRUE(m.groupMaterial.empty() && m.triangleId.empty() && m.groupOfTriangle.empty());
  EXPECT_TRUE(m.normals.empty() && m.vertexColors.empty());
  EXPECT_EQ(m.topologySource, nullptr);
}

int Lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

// Loads `text` as "bad.obj": must fail with one error line naming it, an
// empty mesh and no cache.
void ExpectBadStateText(const std::string& text, const std::string& what) {
  SCOPED_TRACE(what);
  WriteText("bad.obj", text);
  ObjLoader m;
  const std::string err = StderrOf([&] { EXPECT_FALSE(m.Load("bad.obj", nullptr)); });
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

// Every cut of `full` short of its end, and `full` with one byte more, as
// the reader is refused with `prefix` leading its message and an empty mesh.
template <typename Read>
void ExpectEveryCutRefused(const std::vector<char>& full, const std::string& prefix, Read read) {
  for (size_t n = 0; n <= full.size() + 1; n++) {
    if (n == full.size()) continue;
    std::vector<char> cut(full.begin(), full.begin() + std::min(n, full.size()));
    if (n > full.size()) cut.push_back(0);
    ObjLoader m;
    const std::string err = StderrOf([&] { EXPECT_FALSE(read(cut, m)) << n; });
    EXPECT_EQ(err.rfind(prefix, 0), 0u) << err;
    ExpectEmpty(m);
  }
}
}  // namespace

TEST(BadInput, StateTextIsRefusedWithOneLine) {
  ScratchDir dir;
  const std::string v3 = "v 0 0 0\nv 1 0 0\nv 0 1 0\ng solid\nusemtl solid1_mat\n";
  const std::pair<std::string, const char*> cases[] = {
      {v3 + "f 1 2 3 9\n", "vertex number out of range"},
      {v3 + "t 0 1 2\n", "vertex number out of range"},
      {v3 + "t 1 2 99999999999999999999999\n", "vertex number out of range"},
      {v3 + "f -1 2 3 1\n", "vertex number out of range"},
      {"g solid\nusemtl solid1_mat\nf 1 2 3 4\nv 0 0 0\n", "face line before any vertex"},
      {v3 + "t 1 2 3\nv 1 1 1\n", "vertex line after face lines"},
      {Groups(6001), "more than 6000 groups"},
      {"# " + std::string(1100, 'x') + "\n", "line longer than 1023 characters"},
      {"v 0 0 0\ng solid\n", "group line without its usemtl line"},
      {"v 0 0 0\ng shell\nusemtl solid1_mat\n", "group line without its usemtl line"},
      {"v 0 0 0\ng cubes\nt 1 1 1\n", "group line without its usemtl line"},
      {"v nan 0 0\n", "not a finite number"},
      {"v 0 inf 0\n", "not a finite number"},
      {"v 0 0 1e39\n", "not a finite number"},
      {"v 1 2\n", "bad vertex line"},
      {"vn 1 2 3\n", "bad vertex line"},
      {v3 + "f 1 2\n", "bad face line"},
      {v3 + "t 1/1 2/2 3/3\n", "bad face line"},
  };
  for (const auto& [text, what] : cases) ExpectBadStateText(text, what);

  // At the limits: 6000 groups and a 1023-character line are fine.
  WriteText("ok.obj", Groups(6000) + "t 1 1 1\n# " + std::string(1021, 'x') + "\n");
  ObjLoader m;
  EXPECT_TRUE(Quiet([&] { return m.Load("ok.obj", nullptr); }));
  EXPECT_EQ(m.groupCount, 6000);

  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(m.Load("missing.obj", nullptr)); }),
            "ERROR: cannot open file: missing.obj\n");
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
  ASSERT_TRUE(Quiet([&] { return s0.Load("s0.obj", nullptr); }));

  EXPECT_NE(StderrOf([&] { EXPECT_FALSE(more.Load("more.obj", &s0)); })
                .find("ERROR: more.obj: groups do not match"),
            std::string::npos);
  ExpectEmpty(more);

  // The second live triangle of the source names vertex 4, which it lacks.
  EXPECT_NE(StderrOf([&] { EXPECT_FALSE(fewer.Load("fewer.obj", &s0)); }).find("ERROR: fewer.obj: "),
            std::string::npos);
  ExpectEmpty(fewer);

  // More triangles in a group than the source has: cut, with a warning.
  EXPECT_NE(StderrOf([&] { EXPECT_TRUE(longer.Load("longer.obj", &s0)); }).find("WARNING: longer.obj: "),
            std::string::npos);
  EXPECT_EQ(longer.groupTriCount.vec(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(longer.triangleCount, 3);
  ObjLoader again;  // and its cache reads back
  EXPECT_EQ(StderrOf([&] { EXPECT_TRUE(again.Load("longer.obj", &s0)); }), "");
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
    ASSERT_TRUE(Quiet([&] { return s0.Load("s0.obj", nullptr) && s1.Load("s1.obj", &s0); }));
    for (ObjLoader* source : {static_cast<ObjLoader*>(nullptr), &s0}) {
      ExpectEveryCutRefused(ReadBytes(source ? "s1.obj.rdd" : "s0.obj.rdd"), "ERROR: c.rdd: ",
                            [&](const std::vector<char>& b, ObjLoader& m) {
                              m.shadingMode = mode;
                              return ReadStateCache(b.data(), b.size(), "c.rdd", m, source);
                            });
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
    for (int32_t n : {ng, nt, count, 1}) Put(b, n);
    for (uint32_t i : {0u, 1u, v}) Put(b, i);
    Put(b, id);
    return b;
  };
  std::vector<char> twice = cache(3, 0, 1, 2, 2, 2, 0);  // two triangles claiming one id
  for (uint32_t i : {2u, 1u, 0u}) Put(twice, i);
  Put(twice, int32_t(0));
  const std::pair<std::vector<char>, const char*> cases[] = {
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
      {twice, "used twice"},
  };
  for (const auto& c : cases) {
    const std::vector<char>& bytes = c.first;
    const char* what = c.second;
    ObjLoader m;
    m.shadingMode = 1;
    const std::string err = StderrOf(
        [&] { EXPECT_FALSE(ReadStateCache(bytes.data(), bytes.size(), "c.rdd", m, nullptr)); });
    EXPECT_NE(err.find(what), std::string::npos) << what << ": " << err;
    EXPECT_EQ(Lines(err), 1);
    ExpectEmpty(m);
  }

  // Load meets a truncated cache, reads the text and writes a whole cache.
  WriteText("s.obj", kGood);
  ObjLoader good, recovered;
  ASSERT_TRUE(Quiet([&] { return good.Load("s.obj", nullptr); }));
  std::vector<char> whole = ReadBytes("s.obj.rdd");
  WriteBytes("s.obj.rdd", std::vector<char>(whole.begin(), whole.end() - 5));
  const std::string err = StderrOf([&] { ASSERT_TRUE(recovered.Load("s.obj", nullptr)); });
  EXPECT_EQ(err.rfind("ERROR: s.obj.rdd: ", 0), 0u) << err;
  EXPECT_EQ(recovered.positions, good.positions);
  EXPECT_EQ(ReadBytes("s.obj.rdd"), whole);
}

TEST(BadInput, CacheThatCannotBeWrittenLeavesNothingBehind) {
  ScratchDir dir;
  WriteText("s.obj", kGood);
  std::filesystem::create_directory("s.obj.rdd");  // the cache's name is taken
  ObjLoader m;
  const std::string err = StderrOf([&] { EXPECT_TRUE(m.Load("s.obj", nullptr)); });
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
  ObjLoader built, m;
  ASSERT_TRUE(Quiet([&] { return BuildObjectList(built, ""); }));
  std::vector<char> full = ReadBytes("index.txt.rdd");
  ExpectEveryCutRefused(full, "ERROR: index.txt.rdd: ", [](const std::vector<char>& b, ObjLoader& m) {
    return ReadObjectListCache(b.data(), b.size(), "index.txt.rdd", m, 1.0f) != -1;
  });
  full[full.size() - 4] = 3;  // last vertex number of the triangle
  WriteBytes("index.txt.rdd", full);
  EXPECT_NE(StderrOf([&] { EXPECT_EQ(ReadObjectList(m, "", 1.0f), -1); }).find("vertex number out of range"),
            std::string::npos);
  ExpectEmpty(m);

  // Bad lists and objects build nothing and write no cache.
  std::remove("index.txt.rdd");
  const char* bad[][3] = {
      {"3 files exported\na\n", "", "list ends before its last object"},
      {"files exported\n", "", "first line"},
      {"-2 files exported\n", "", "object count out of range"},
      {"1 files exported\na\n", "#\nv 0 0 0\nv 1 0 0\nf 1 2 3\n", "face names a vertex the object does not have"},
      {"1 files exported\na\n", "#\nv 0 0 0\nv 1 0 0\nv 1 1 1\nf 0 1 2\n", "vertex number out of range"},
      {"1 files exported\na\n", "#\nv 0 nan 0\n", "not a finite number"},
      {"1 files exported\na\n", "#\nv 0 0\n", "bad vertex line"},
  };
  for (const auto& c : bad) {
    WriteText("index.txt", c[0]);
    if (c[1][0] != '\0') WriteText("a.obj", c[1]);
    const std::string err = ConsoleOf([&] { EXPECT_FALSE(BuildObjectList(m, "")); }).err;
    EXPECT_NE(err.find(c[2]), std::string::npos) << err;
    EXPECT_EQ(err.rfind(c[1][0] != '\0' ? "ERROR: a.obj:" : "ERROR: index.txt", 0), 0u) << err;
    ExpectEmpty(m);
    EXPECT_FALSE(FileExists("index.txt.rdd"));
  }
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(BuildObjectList(m, "nowhere/")); }),
            "ERROR: nowhere/index.txt: cannot open file\n");
}

TEST(BadInput, FlaggedBinaryTruncatedPaddedAndOutOfRange) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFlaggedBinary("m.bin", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}));
  const std::vector<char> full = ReadBytes("m.bin");
  auto read = [](const std::vector<char>& b, ObjLoader& m) {
    return ReadFlaggedBinaryData(b.data(), b.size(), "m.bin", m);
  };
  ExpectEveryCutRefused(full, "ERROR: m.bin: ", read);
  std::vector<char> range = full, huge = full;
  range[range.size() - 4] = 7;
  huge[3] = 0x7f;
  for (const auto& bytes : {range, huge}) {
    ObjLoader m;
    EXPECT_FALSE(Quiet([&] { return read(bytes, m); }));
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
  ParticleSet p, none;
  EXPECT_EQ(StderrOf([&] { ASSERT_TRUE(p.Load("p.obj")); }).rfind("ERROR: p.obj.rdd: ", 0), 0u);
  EXPECT_EQ(p.count, 2);
  EXPECT_EQ(p.positions[1], Vex3_quarn(200, 200, 200));
  EXPECT_EQ(ReadBytes("p.obj.rdd").size(), 28u);  // rewritten whole

  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(none.Load("none.obj")); }), "ERROR: none.obj: cannot open file\n");
  EXPECT_EQ(none.count, 0);
}

// Inputs the fuzz targets found.
TEST(FuzzFound, EmptyStatesAreRefusedAndNeverCached) {
  ScratchDir dir;
  WriteText("s0.obj", kGood);
  WriteText("empty.obj", "");
  WriteText("nofaces.obj", "v 0 0 0\ng solid\nusemtl solid1_mat\n");
  WriteText("dead.obj", "v 1 1 1\nv 1 1 1\nv 1 1 1\nv 1 1 1\n");
  ObjLoader s0, m;
  ASSERT_TRUE(Quiet([&] { return s0.Load("s0.obj", nullptr); }));
  // Nothing to see: refused, with no cache.
  for (const auto& [file, source, why] :
       {std::tuple{"empty.obj", (ObjLoader*)nullptr, "it holds no vertex (an empty state)"},
        std::tuple{"empty.obj", &s0, "it holds no vertex (an empty state)"},
        std::tuple{"nofaces.obj", (ObjLoader*)nullptr, "it has no face line"}}) {
    SCOPED_TRACE(file);
    const char* f = file;  // structured bindings cannot be captured before C++20
    ObjLoader* src = source;
    const std::string err = StderrOf([&] { EXPECT_FALSE(m.Load(f, src)); });
    EXPECT_NE(err.find(std::string("\nERROR: ") + file + ": no triangle to load: " + why), std::string::npos)
        << err;
    ExpectEmpty(m);
    EXPECT_FALSE(FileExists(std::string(file) + ".rdd"));
  }
  // A later state whose triangles have all died still has its vertices,
  // and loads, from the text and then from its cache.
  for (int pass = 0; pass < 2; pass++) {
    ObjLoader dead;
    ASSERT_TRUE(Quiet([&] { return dead.Load("dead.obj", &s0); }));
    EXPECT_EQ(dead.triangleCount, 0);
    EXPECT_EQ(dead.vertexCount, 4);
    EXPECT_TRUE(FileExists("dead.obj.rdd"));
  }
}

TEST(FuzzFound, LaterStateWithFewerGroupsThanItsSource) {
  ScratchDir dir;
  WriteText("s0.obj", kGood);
  WriteText("s1.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\ng solid\nusemtl solid1_mat\nf 1 2 3 4\n");
  for (int pass = 0; pass < 2; pass++) {
    ObjLoader s0, s1;
    ASSERT_TRUE(Quiet([&] { return s0.Load("s0.obj", nullptr) && s1.Load("s1.obj", &s0); }));
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
  EXPECT_EQ(Quiet([&] { return WeldCleanup(m); }), 0);
  EXPECT_EQ(Quiet([&] { return DetectCleanup(m); }), 0);
  EXPECT_EQ(m.vertexCount, 0);
  EXPECT_TRUE(m.normals.empty());

  // The file that showed it: no vertices, colours and normals flagged.
  std::vector<char> b;
  Put(b, int32_t(0));
  b.insert(b.end(), {'y', 'y', char(0xff), 0});
  Put(b, int32_t(0));
  ObjLoader f;
  ASSERT_TRUE(Quiet([&] { return ReadFlaggedBinaryData(b.data(), b.size(), "f.bin", f); }));
  EXPECT_EQ(Quiet([&] { return WeldCleanup(f); }), 0);
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
  EXPECT_TRUE(Quiet([&] { return ReadStateCache(cache.data(), cache.size(), "c.rdd", back, nullptr); }));
  EXPECT_EQ(back.groupCount, 1);
  Quiet([&] { DetectCleanup(m); });
  EXPECT_EQ(m.groupTriCount[0], 1);
}
