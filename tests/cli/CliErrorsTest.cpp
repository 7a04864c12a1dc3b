// Every refusal: one line on standard error naming the file and what is
// wrong, exit status 2, and the output folder left as it was (a folder
// that did not exist is not made; one that did keeps exactly its files).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "ScratchDir.h"
#include "StandardFiles.h"

namespace {

class CliErrors : public testing::Test {
 protected:
  void SetUp() override {
    const PolyScene scene = Slats(2, 4);
    WritePlyBinary("a.ply", scene.states[0], scene.faces);
    WritePlyBinary("b.ply", scene.states[1], scene.faces);
    std::vector<Vex3_quarn> fewer = scene.states[1];
    fewer.pop_back();
    std::vector<Polygon> faces = scene.faces;
    faces.pop_back();
    WritePlyBinary("fewer.ply", fewer, faces);
    std::vector<Polygon> bad = scene.faces;
    bad[7][2] = 5000;
    WritePlyBinary("badindex.ply", scene.states[0], bad);
    std::ofstream("garbage.ply") << "ply\nthis is not a mesh\n";
    ASSERT_TRUE(SlatCamera().SaveToFile("cam.ppc"));
    PPC flat = SlatCamera();
    flat.zNear = 600;  // beyond zFar
    ASSERT_TRUE(flat.SaveToFile("flat.ppc"));
    std::ofstream("short.ppc") << "1 0 0\n0 -1 0\n";
    mkdir("kept", 0755);
    std::ofstream("kept/old.txt") << "from before\n";
    std::ofstream("plainfile") << "x\n";
  }
  // Runs the command, expects the refusal, and returns its line.
  std::string Refusal(const std::string& args, const std::string& out = "kept") {
    const std::vector<std::string> before = Listing(out);
    const bool existed = Exists(out);
    const CliResult r = RunCli(args + " --out " + out);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.out << r.err;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(Exists(out), existed) << args;
    EXPECT_EQ(Listing(out), before) << args;
    return r.err;
  }
  ScratchDir dir_;
};

bool Has(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

}  // namespace

TEST_F(CliErrors, FilesThatCannotBeUsed) {
  std::string e = Refusal("interval missing.ply b.ply --camera cam.ppc");
  EXPECT_TRUE(Has(e, "missing.ply: cannot be opened")) << e;
  e = Refusal("interval garbage.ply b.ply --camera cam.ppc", "new/folder");
  EXPECT_TRUE(Has(e, "garbage.ply: ")) << e;
  e = Refusal("asl badindex.ply --camera cam.ppc");
  EXPECT_TRUE(Has(e, "badindex.ply: ")) << e;
  EXPECT_TRUE(Has(e, "5001")) << e;
  e = Refusal("interval a.ply fewer.ply --camera cam.ppc");
  EXPECT_TRUE(Has(e, "fewer.ply: ")) << e;
  EXPECT_TRUE(Has(e, "vertices, a.ply has")) << e;
  e = Refusal("compare kept/old.txt a.ply");
  EXPECT_TRUE(Has(e, "kept/old.txt: ")) << e;
}

TEST_F(CliErrors, CamerasThatCannotBeUsed) {
  std::string e = Refusal("interval a.ply b.ply --camera nocamera.ppc", "new");
  EXPECT_TRUE(Has(e, "nocamera.ppc: cannot be opened")) << e;
  e = Refusal("interval a.ply b.ply --camera short.ppc");
  EXPECT_TRUE(Has(e, "short.ppc: not a camera file")) << e;
  e = Refusal("interval a.ply b.ply --camera flat.ppc");
  EXPECT_TRUE(Has(e, "flat.ppc: near distance 600 and far distance 500")) << e;
  e = Refusal("raycast a.ply --look-from 0 0 0 --look-at 0 10 0");  // looking away
  EXPECT_TRUE(Has(e, "sees no triangle")) << e;
  e = Refusal("asl a.ply --fit --near 50 --far 40");
  EXPECT_TRUE(Has(e, "zNear 50 must be above 0 and below zFar 40")) << e;
}

TEST_F(CliErrors, OutputFolderThatCannotBeWritten) {
  const std::string e = Refusal("interval a.ply b.ply --camera cam.ppc", "plainfile/res");
  EXPECT_TRUE(Has(e, "plainfile: is not a folder")) << e;
  // A good run into the same kept folder adds its files and leaves the old one.
  const CliResult r = RunCli("interval a.ply b.ply --camera cam.ppc --out kept --quiet");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Listing("kept"),
            (std::vector<std::string>{"Visibility_at_B.txt", "interval_table.bin",
                                      "interval_visible_set.bin", "old.txt", "summary.json"}));
}
