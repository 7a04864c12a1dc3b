#include <gtest/gtest.h>

#include <sstream>

#include "PPCd.h"
#include "TestSupport.h"

namespace {
// A camera read from a file in the test's scratch directory.
PPCd MakeCamera() {
  // a, b, corner, unused triple, eye, w, h, near, far
  WriteText("cam_d.ppc", "1 0 0\n0 -1 0\n-640 360 -640\n9 9 9\n0 0 0\n1280 720\n10 10000\n");
  PPCd c;
  EXPECT_TRUE(c.Load("cam_d.ppc"));
  return c;
}
}  // namespace

TEST(PPCd, LoadProjectAndDepthBounds) {
  ScratchDir dir;
  PPCd c = MakeCamera();
  EXPECT_NEAR(c.sNear, 64, 1e-12);
  EXPECT_NEAR(c.sFar, 0.064, 1e-12);
  double u, v, s;
  ASSERT_TRUE(c.Project({0, 0, -100}, &u, &v, &s));
  EXPECT_NEAR(u, 640, 1e-9);
  EXPECT_NEAR(v, 360, 1e-9);
  EXPECT_FALSE(c.Project({0, 0, -5}, &u, &v, &s));     // nearer than zNear
  EXPECT_FALSE(c.Project({0, 0, -20000}, &u, &v, &s));  // beyond zFar
  EXPECT_FALSE(c.Project({0, 0, 100}, &u, &v, &s));     // behind the eye
}

TEST(PPCd, MissingFileReports) {
  PPCd c;
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(c.Load("/nonexistent/x.ppc")); }),
            "ERROR: could not open file: /nonexistent/x.ppc\n");
}

TEST(PPCd, ShortOrSingularFileLeavesCameraUnchanged) {
  ScratchDir dir;
  PPCd c = MakeCamera();
  const std::string path = "cam_short.ppc";
  WriteText(path, "1 0 0\n0 -1 0\n-640 360 x\n");
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(c.Load(path)); }), "ERROR: bad camera file: " + path + "\n");
  WriteText(path, "1 0 0\n2 0 0\n-640 360 -640\n9 9 9\n0 0 0\n1280 720\n10 10000\n");
  EXPECT_FALSE(Quiet([&] { return c.Load(path); }));
  EXPECT_EQ(c.b.y, -1.0);
  EXPECT_EQ(c.corner.z, -640.0);
  EXPECT_TRUE(c.invM.IsFinite());
}

TEST(PPCd, FovChangesKeepPrincipalPoint) {
  ScratchDir dir;
  PPCd c = MakeCamera();
  EXPECT_NEAR(c.HFov(), 90, 1e-9);
  const std::string log = StderrOf([&] { c.ChangeFov(-30); });
  EXPECT_NE(log.find("INFO: old fov: 90"), std::string::npos);
  EXPECT_NE(log.find("INFO: new fov: 60"), std::string::npos);
  c.Rebuild();
  EXPECT_NEAR(c.HFov(), 60, 1e-9);
  double u, v, s;
  ASSERT_TRUE(c.Project({0, 0, -100}, &u, &v, &s));
  EXPECT_NEAR(u, 640, 1e-9);
  Quiet([&] { c.ChangeFov(200); });  // out of range: nothing changes
  EXPECT_NEAR(c.HFov(), 60, 1e-9);
}

TEST(PPCd, RandomSubViewIsNarrowerAndKeepsEye) {
  ScratchDir dir;
  PPCd c = MakeCamera();
  PPCd sub;
  Quiet([&] { c.RandomSubView(&sub); });
  EXPECT_LT(sub.HFov(), c.HFov() * 0.46);
  EXPECT_EQ(sub.eye.x, c.eye.x);
  // The sub-view looks at a point of the central half of the image.
  double u, v, s;
  ASSERT_TRUE(c.Project(sub.eye + sub.a.Cross(sub.b).Normalized() * 500.0, &u, &v, &s));
  EXPECT_GE(u, 320 - 1);
  EXPECT_LE(u, 960 + 1);
}

TEST(PPCd, ImpossibleSizeOrDistancesAreRefused) {
  ScratchDir dir;
  PPCd c = MakeCamera();
  const PPCd before = c;
  const std::pair<const char*, const char*> cases[] = {
      {"200000 200000 10 10000", "size 200000 x 200000: each side must be 1 to 16384 pixels"},
      {"0 0 10 10000", "size 0 x 0"},
      {"1280 720 1000 1", "near distance 1000 and far distance 1"},
  };
  for (const auto& [tail, what] : cases) {
    WriteText("bad.ppc", std::string("1 0 0 0 -1 0 -640 360 -640 9 9 9 0 0 0 ") + tail);
    std::ostringstream err;
    EXPECT_FALSE(c.Load("bad.ppc", err));
    EXPECT_EQ(err.str().rfind(std::string("ERROR: camera file bad.ppc: ") + what, 0), 0u) << err.str();
    EXPECT_EQ(c.w, before.w);
    EXPECT_EQ(c.zNear, before.zNear);
  }
}
