// The state text dialect: quad rules with their diagnostics, groups and
// their material lines, and the triangle total.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "StateReader.h"
#include "TestSupport.h"

namespace {
const char* kFiveVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\n";

// Triangles of one group holding the given face line, and the messages.
std::vector<uint32_t> Faces(const std::string& line, std::string* messages) {
  std::string text = std::string(kFiveVertices) + "g solid\nusemtl solid1_mat\n" + line + "\n";
  ObjLoader mesh;
  const std::string err =
      StderrOf([&] { EXPECT_TRUE(ReadStateText(text.data(), text.size(), "quad.obj", mesh)); });
  // Drop the total line; keep the diagnostics.
  *messages = err.substr(0, err.find("Total Num of Triangles"));
  EXPECT_EQ(mesh.groupCount, 1);
  EXPECT_EQ(mesh.groupTriCount[0], mesh.triangleCount);
  return std::vector<uint32_t>(mesh.groupTriangles[0].begin(),
                               mesh.groupTriangles[0].begin() + 3 * mesh.groupTriCount[0]);
}
}  // namespace

TEST(StateReader, QuadRules) {
  std::string msg;
  EXPECT_EQ(Faces("f 1 2 3 4", &msg), (std::vector<uint32_t>{0, 1, 2, 2, 3, 0}));
  EXPECT_EQ(msg, "");
  EXPECT_EQ(Faces("f 1 1 2 3", &msg), (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(msg, "");
  EXPECT_EQ(Faces("f 1 2 3 1", &msg), (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(Faces("f 1 2 3 2", &msg), (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(Faces("f 1 2 2 3", &msg), (std::vector<uint32_t>{}));
  EXPECT_EQ(msg, "");
  EXPECT_EQ(Faces("f 1 1 1 5", &msg), (std::vector<uint32_t>{}));
  EXPECT_EQ(msg, "3 same id in one quad, what's the problem\n");
  EXPECT_EQ(Faces("f 1 1 1 1", &msg), (std::vector<uint32_t>{}));
  EXPECT_EQ(msg, "3 same id in one quad, what's the problem\nThis is a line dude\n");
  // a = c without a = b: a line, reported as such.
  EXPECT_EQ(Faces("f 1 2 1 4", &msg), (std::vector<uint32_t>{}));
  EXPECT_EQ(msg, "This is a line dude\n");
  // Triangles are stored as they are, collapsed or not.
  EXPECT_EQ(Faces("t 2 2 5", &msg), (std::vector<uint32_t>{1, 1, 4}));
  // Three numbers on an 'f' line make one triangle.
  EXPECT_EQ(Faces("f 3 4 5", &msg), (std::vector<uint32_t>{2, 3, 4}));
}

TEST(StateReader, GroupsMaterialsAndTotal) {
  std::string text = std::string(kFiveVertices) +
                     "f 1 2 3 4\n"  // before any group: belongs to none
                     "g solid\nusemtl solid7_mat\nf 1 2 3 4\nt 1 2 5\n"
                     "g shell\nusemtl shell12_mat\n# comment\nt 3 4 5\n"
                     "g other\nt 1 3 5\n"
                     "g beams\r\nusemtl beams 3_mat\r\nf 1 2 3 4\r\n"
                     "g cubes\nusemtl cubes-2_mat\n";
  ObjLoader mesh;
  EXPECT_EQ(StderrOf([&] { ASSERT_TRUE(ReadStateText(text.data(), text.size(), "groups.obj", mesh)); }),
            "Total Num of Triangles7\n");
  EXPECT_EQ(mesh.vertexCount, 5);
  ASSERT_EQ(mesh.groupCount, 5);
  EXPECT_EQ(mesh.groupTriCount.vec(), (std::vector<int32_t>{3, 1, 1, 2, 0}));
  EXPECT_EQ(mesh.groupMaterial.vec(), (std::vector<int32_t>{7, 12, 0, 3, -2}));
  EXPECT_EQ(mesh.groupTriangles[1], (std::vector<uint32_t>{2, 3, 4}));
  EXPECT_EQ(mesh.triangleCount, 7);
  EXPECT_EQ(mesh.positions[4], Vex3_quarn(2, 2, 2));
}

TEST(StateReader, CoordinatesAsWritten) {
  std::string text = "v 1.5e2 -0.25 +3\nv -0 1e-3 123456.789\n";
  ObjLoader mesh;
  ASSERT_TRUE(Quiet([&] { return ReadStateText(text.data(), text.size(), "v.obj", mesh); }));
  EXPECT_EQ(mesh.positions[0], Vex3_quarn(150.0f, -0.25f, 3.0f));
  EXPECT_EQ(mesh.positions[1].y, 1e-3f);
  EXPECT_EQ(mesh.positions[1].z, 123456.789f);
  EXPECT_TRUE(std::signbit(mesh.positions[1].x));
  EXPECT_EQ(mesh.groupCount, 0);
}

// Files as modelling tools write them hold faces outside the dialect's
// groups; the reader reads no triangle from them, and the loader refuses
// them saying why, instead of loading an empty scene.
TEST(StateReader, StatesWithoutTrianglesAreRefusedWithTheReason) {
  ScratchDir dir;
  const std::string quad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
  const std::pair<std::string, std::string> cases[] = {
      {"o Cube\n" + quad + "usemtl Material\ns off\nf 1 2 3 4\nf 1 3 4 2\n",
       "2 face lines (the first on line 8) come before any group line, and an \"o\" line starts no "
       "group: a group starts with a \"g solid\", \"g shell\", \"g beams\" or \"g cubes\" line "
       "followed by its \"usemtl <kind><m>_mat\" line"},
      {quad + "f 1 2 3 4\ng solid\nusemtl solid1_mat\n", "1 face line (the first on line 5) come before"},
      {quad + "g solid\nusemtl solid1_mat\n", "it has no face line"},
      {quad + "g solid\nusemtl solid1_mat\nf 1 1 1 1\n", "every face line repeats a vertex"},
      {"# nothing\n", "it holds no vertex (an empty state)"},
  };
  for (const auto& c : cases) {
    const std::string& text = c.first;
    const std::string& why = c.second;
    SCOPED_TRACE(text);
    ObjLoader mesh;
    StateTextNotes notes;
    ASSERT_TRUE(Quiet([&] { return ReadStateText(text.data(), text.size(), "m.obj", mesh, std::cerr, &notes); }));
    EXPECT_EQ(mesh.triangleCount, 0);
    EXPECT_NE(WhyNoTriangle(mesh, notes).find(why), std::string::npos) << WhyNoTriangle(mesh, notes);
    WriteText("m.obj", text);
    std::ostringstream err;
    EXPECT_FALSE(mesh.Load("m.obj", nullptr, err));
    EXPECT_NE(err.str().find("ERROR: m.obj: no triangle to load: " + why), std::string::npos) << err.str();
    EXPECT_FALSE(FileExists("m.obj.rdd"));
  }
  // A group without its usemtl line is refused by the reader itself.
  WriteText("m.obj", quad + "g solid\nf 1 2 3 4\n");
  ObjLoader mesh;
  std::ostringstream err;
  EXPECT_FALSE(mesh.Load("m.obj", nullptr, err));
  EXPECT_EQ(err.str(), "ERROR: m.obj:6: group line without its usemtl line\n");
}
