// The ray-casting command on files a user brings: a mesh it reads no
// triangle from is refused with the reason and status 2, not "0 of 0".
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "PPC.h"
#include "TestSupport.h"

namespace {
// Runs the command with its standard error into err.txt; the exit status.
int Raycast(const std::string& args) {
  const int raw = std::system((std::string(WB_RAYCAST) + " " + args + " > out.txt 2> err.txt").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}
}  // namespace

TEST(Raycast, MeshWithoutTrianglesIsRefusedWithTheReason) {
  ScratchDir dir;
  PPC camera(55, 64, 48);
  camera.PositionAndOrient({0.5f, 0.5f, 5}, {0, 0, -1}, {0, 1, 0});
  ASSERT_TRUE(camera.SaveToFile("view.ppc"));
  const std::string quad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
  // As modelling tools write it: an object line, no group of the dialect.
  WriteText("tool.obj", "o Plane\n" + quad + "usemtl Material\nf 1 2 3 4\n");
  EXPECT_EQ(Raycast("tool.obj view.ppc"), 2);
  EXPECT_NE(ReadText("err.txt").find("raycast: tool.obj yields no triangle: 1 face line (the first on "
                                     "line 7) come before any group line"),
            std::string::npos)
      << ReadText("err.txt");
  EXPECT_EQ(ReadText("out.txt"), "");

  WriteText("state.obj", quad + "g solid\nusemtl solid1_mat\nf 1 2 3 4\n");
  EXPECT_EQ(Raycast("state.obj view.ppc"), 0) << ReadText("err.txt");
  EXPECT_EQ(ReadText("out.txt"), "0\n1\n");
}
