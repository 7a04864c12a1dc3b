#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <sstream>

#include "PPC.h"
#include "TestSupport.h"

namespace {
// Each test runs in its own scratch working directory with a Views folder.
class PPCFile : public testing::Test {
 protected:
  void SetUp() override { mkdir("Views", 0755); }
  static void Write(const std::string& name, const std::string& text) { WriteText("Views/" + name, text); }
  ScratchDir dir_;
};

bool Finite(const PPC& c) {
  return c.invM.IsFinite() && std::isfinite(c.corner.x) && std::isfinite(c.zFar);
}
}  // namespace

TEST_F(PPCFile, SaveThenLoadRoundTripsToSixDecimalsThroughBufferName) {
  PPC cam(55, 1280, 720);
  cam.Pan(13.25f);
  cam.eye = {1.2345678f, -20.5f, 300.125f};
  ASSERT_TRUE(cam.Save());
  PPC back;
  ASSERT_TRUE(back.Load("bufferPPC.ppc"));  // other case of the first letter
  EXPECT_NEAR(back.eye.x, cam.eye.x, 1e-6);
  EXPECT_NEAR(back.corner.z, cam.corner.z, 1e-5);
  EXPECT_NEAR(back.a.y, cam.a.y, 1e-6);
  EXPECT_EQ(back.w, 1280);
  EXPECT_NEAR(back.zFar, cam.zFar, 1e-3);
  EXPECT_TRUE(back.invM.IsFinite());
}

TEST_F(PPCFile, OneLineFileReadsLikeSixLines) {
  Write("one.ppc", "1 0 0 0 -1 0 -320 240 -400 5 6 7 640 480 1 1000");
  PPC cam;
  ASSERT_TRUE(cam.Load("one.ppc"));
  EXPECT_EQ(cam.eye, Vex3_quarn(5, 6, 7));
  EXPECT_EQ(cam.w, 640);
  EXPECT_EQ(cam.zFar, 1000);
  EXPECT_NEAR(cam.FocalLength(), 400, 1e-4);
}

TEST_F(PPCFile, MissingFileLeavesCameraUnchanged) {
  PPC cam(55, 1280, 720);
  PPC before = cam;
  EXPECT_FALSE(cam.Load("nothere.ppc"));
  EXPECT_EQ(std::memcmp(&cam, &before, sizeof(PPC)), 0);
}

TEST_F(PPCFile, BadFieldsKeepOldValuesAndNeverNaN) {
  PPC cam(55, 1280, 720);
  Write("short.ppc", "2 0 0 0 -2 0 -640 360 -700 1 2");
  ASSERT_TRUE(cam.Load("short.ppc"));
  EXPECT_EQ(cam.a.x, 2);
  EXPECT_EQ(cam.eye.x, 1);
  EXPECT_EQ(cam.eye.z, 0);  // not read: kept
  EXPECT_EQ(cam.w, 1280);
  EXPECT_TRUE(Finite(cam));

  Write("nan.ppc", "1 0 0 0 -1 0 -640 360 -700 nan 3 4 640 480 1 10");
  PPC c2(55, 1280, 720);
  c2.Load("nan.ppc");
  EXPECT_EQ(c2.eye.x, 0);
  EXPECT_EQ(c2.w, 1280);
  EXPECT_TRUE(Finite(c2));

  Write("text.ppc", "hello world");
  PPC c3(55, 1280, 720);
  PPC before = c3;
  c3.Load("text.ppc");
  EXPECT_EQ(c3.corner, before.corner);
  EXPECT_TRUE(Finite(c3));

  // A file that makes the image plane singular is refused whole.
  Write("flat.ppc", "0 0 0 0 0 0 0 0 0 1 2 3 640 480 1 10");
  PPC c4(55, 1280, 720);
  EXPECT_NE(StderrOf([&] { EXPECT_FALSE(c4.Load("flat.ppc")); }).find("flat.ppc"), std::string::npos);
  EXPECT_TRUE(Finite(c4));
  EXPECT_EQ(c4.eye, Vex3_quarn(0, 0, 0));
}

// Values no camera can have refuse the whole file, with one line on the
// stream given naming the file and the value; the camera stays as it was
// (a size beyond memory must never reach an allocation).
TEST_F(PPCFile, ImpossibleValuesAreRefusedWithTheValueNamed) {
  const std::string plane = "1 0 0 0 -1 0 -640 360 -700 ";
  const std::pair<std::string, std::string> cases[] = {
      {plane + "0 0 0 200000 200000 1 1000", "width 200000 is outside 1 to 16384"},
      {plane + "0 0 0 0 0 1 1000", "width 0 is outside 1 to 16384"},
      {plane + "0 0 0 640 -480 1 1000", "height -480 is outside 1 to 16384"},
      {plane + "0 0 0 4000 4000 1 1000", "size 4000 x 4000: at most 8388608 pixels in all"},
      {plane + "0 0 0 640 480 1000 1", "near distance 1000 and far distance 1 (they must satisfy 0 < near < far)"},
      {plane + "0 0 0 640 480 0 10", "near distance 0 and far distance 10"},
      {plane + "0 0 0 640 480 1 inf", "far distance inf is not a finite number"},
      {"1 0 0 0 -1 0 -640 nan -700 0 0 0 640 480 1 10", "corner y is nan (numbers must be finite)"},
      {"1 0 0 0 -1 0 -640 360 -700 0 -inf 0 640 480 1 10", "eye y is -inf"},
  };
  for (const auto& [text, what] : cases) {
    SCOPED_TRACE(text);
    Write("bad.ppc", text);
    PPC cam(55, 1280, 720);
    const PPC before = cam;
    std::ostringstream err;
    EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(cam.Load("bad.ppc", err)); }), "");
    const std::string message = err.str();
    EXPECT_EQ(message.rfind("ERROR: camera file Views/bad.ppc: " + what, 0), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(std::memcmp(&cam, &before, sizeof(PPC)), 0);
  }
  // The largest sizes load.
  Write("big.ppc", plane + "0 0 0 16384 512 1 1000");
  PPC cam(55, 1280, 720);
  EXPECT_TRUE(cam.Load("big.ppc"));
  EXPECT_EQ(cam.w * cam.h, kMaxCameraPixels);
}

TEST_F(PPCFile, LongNamesAreNotTruncated) {
  // A path longer than 256 bytes, within the file system's name limit.
  std::string dir(120, 'd');
  mkdir(("Views/" + dir).c_str(), 0755);
  mkdir(("Views/" + dir + "/" + dir).c_str(), 0755);
  std::string name = dir + "/" + dir + "/" + std::string(40, 'x') + ".ppc";
  PPC cam(55, 1280, 720);
  cam.eye = {9, 9, 9};
  ASSERT_TRUE(cam.SaveToFile("Views/" + name));
  PPC back;
  ASSERT_TRUE(back.Load(name));
  EXPECT_EQ(back.eye, Vex3_quarn(9, 9, 9));
}

TEST_F(PPCFile, LoadTrackReadsNumberedFilesAndCachesArrays) {
  for (int i = 1; i <= 3; i++) {
    PPC c(55, 1280, 720);
    c.eye = {float(i), 0, 0};
    c.SaveToFile("Views/track_" + std::to_string(i) + ".ppc");
  }
  std::vector<PPC> t = LoadTrack("track_%d.ppc", 3);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[2].eye.x, 3);
  EXPECT_EQ(t[0].viewport[2], 1280);
  EXPECT_NE(t[1].projection[0], 0);
}
