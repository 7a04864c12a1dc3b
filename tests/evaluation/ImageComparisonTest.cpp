// The image evaluations on files: red pixels counted over a numbered
// sequence, the error-image variants over the prepared folders, and the
// on-screen comparison's pixel test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "ErrorImages.h"
#include "ImageComparison.h"
#include "ScratchDir.h"
#include "TiffIO.h"
#include "TestSupport.h"

namespace {
uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16 | 0xff000000u; }

// A w x h image of `fill` whose first `red` pixels are red.
void WriteImage(const std::string& path, int w, int h, uint32_t fill, int red = 0) {
  std::vector<uint32_t> p(size_t(w) * size_t(h), fill);
  for (int i = 0; i < red; i++) p[size_t(i)] = kErrorRed;
  ASSERT_EQ(WriteTiff(p.data(), path, h, w), 1) << path;
}
}  // namespace

TEST(ImageComparison, RenderingDifferencesNeedBothDepthAndColour) {
  const uint32_t a[4] = {Rgb(10, 10, 10), Rgb(10, 10, 10), Rgb(10, 10, 10), Rgb(10, 10, 10)};
  uint32_t f[4] = {Rgb(200, 10, 10), Rgb(200, 10, 10), Rgb(10, 10, 10), Rgb(200, 10, 10)};
  const float d1[4] = {1.0f, 0.5f, 1.0f, 0.5f};
  const float d2[4] = {0.0f, 0.5f, 0.0f, 0.50009f};
  // Only the first pixel differs in both; the last differs in depth by less
  // than the tolerance.
  EXPECT_EQ(MarkRenderingDifferences(a, d1, d2, f, 4, 0.0001f), 1);
  EXPECT_EQ(f[0], kErrorRed);
  EXPECT_EQ(f[1], Rgb(200, 10, 10));
  EXPECT_EQ(f[2], Rgb(10, 10, 10));
  EXPECT_EQ(f[3], Rgb(200, 10, 10));
}

TEST(ImageComparison, CountsRedPixelsOverTheImagesThatExist) {
  ScratchDir dir;
  ASSERT_EQ(mkdir("seq", 0755), 0);
  WriteImage("seq/0.tif", 4, 3, Rgb(250, 5, 5), 3);
  WriteImage("seq/2.tif", 4, 3, Rgb(0, 0, 0), 5);
  WriteImage("seq/7.tif", 4, 3, Rgb(0, 0, 0), 5);  // ties the maximum: does not replace it
  std::ostringstream out, log, err;
  const ErrorCount c = CountErrorPixels("seq/", out, log, err);
  EXPECT_EQ(c.images, 3);
  EXPECT_EQ(c.sum, 13);
  EXPECT_EQ(c.max, 5);
  EXPECT_EQ(c.maxAt, 2);
  const std::string expected =
      "State 0: 3\nState 2: 5\nState 7: 5\nINFO: red pixesls in seq/:\n"
      "\tAverage pixel is 4.33333\n\tMax pixel is 5 at time 2\n";
  EXPECT_EQ(out.str(), expected);
  EXPECT_EQ(log.str(), expected);
  EXPECT_EQ(err.str(), "");
}

TEST(ImageComparison, NoImageKeepsTheReportAndSaysSo) {
  ScratchDir dir;
  std::ostringstream out, log, err;
  const ErrorCount c = CountErrorPixels("missing/", out, log, err);
  EXPECT_EQ(c.images, 0);
  EXPECT_NE(out.str().find("\tMax pixel is -1 at time 4294967295\n"), std::string::npos);
  EXPECT_NE(out.str().find("\tAverage pixel is "), std::string::npos);
  EXPECT_EQ(err.str(), "INFO: no image was read from missing/\n");
}

TEST(ImageComparison, ALogWithoutItsFolderIsNamed) {
  ScratchDir dir;  // no Images/Forest/SuperPixel/
  std::ostringstream out, err;
  CompareImageSequences(out, err);
  EXPECT_EQ(err.str().rfind("ERROR: cannot write file: Images/Forest/SuperPixel/Trial.txt\n", 0), 0u)
      << err.str();
  EXPECT_NE(out.str().find("\tMax pixel is -1"), std::string::npos);
}

TEST(ImageComparison, ErrorImageVariantsSkipBadPairsAndWriteTheRest) {
  ScratchDir dir;
  for (const std::string& f : ErrorImageFolders())
    ASSERT_EQ(std::system(("mkdir -p '" + f + "'").c_str()), 0);
  const std::string& forest = ErrorImageFolders()[0];
  const std::string& rti = ErrorImageFolders()[5];
  // A good pair in the forest folder; a pair of different sizes and an
  // image without its error image in the RTI folder.
  WriteImage(forest + "Step2.tif", 3, 2, Rgb(200, 100, 50));
  WriteImage(forest + "Step2_error.tif", 3, 2, Rgb(1, 2, 3), 2);
  WriteImage(rti + "Step2.tif", 3, 2, Rgb(200, 100, 50));
  WriteImage(rti + "Step2_error.tif", 2, 3, Rgb(1, 2, 3));
  WriteImage(rti + "31X31.tif", 3, 2, Rgb(200, 100, 50));
  std::ostringstream out, err;
  EXPECT_EQ(MakeErrorImages(out, err), 5);
  std::vector<uint32_t> p;
  int w = 0, h = 0;
  ASSERT_TRUE(ReadTiffQuiet(forest + "Step2_darken.tif", &p, &w, &h));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(p, (std::vector<uint32_t>{kErrorRed, kErrorRed, Rgb(100, 50, 25), Rgb(100, 50, 25),
                                      Rgb(100, 50, 25), Rgb(100, 50, 25)}));
  EXPECT_TRUE(FileExists(forest + "Step2_grayQuarn.tif"));
  EXPECT_FALSE(FileExists(rti + "Step2_darken.tif"));
  EXPECT_FALSE(FileExists(rti + "31X31_darken.tif"));
  EXPECT_NE(err.str().find("differ in size: " + rti + "Step2.tif"), std::string::npos);
  EXPECT_NE(err.str().find("cannot read the image or the error image: " + rti + "31X31.tif"),
            std::string::npos);
  // Each of the five outputs is announced with its three paths.
  EXPECT_NE(out.str().find(forest + "Step2.tif " + forest + "Step2_error.tif " + forest +
                           "Step2_intensify.tif\n"),
            std::string::npos);
}
