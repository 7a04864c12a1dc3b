#include <gtest/gtest.h>
#include <tiffio.h>

#include <fstream>
#include <vector>

#include "TestSupport.h"
#include "TiffIO.h"
#include "TiffTags.h"

namespace {
constexpr uint32_t kRed = 0xFF0000FFu, kBlue = 0xFFFF0000u;

std::vector<uint8_t> FileRow(TIFF* tif, uint32_t row) {
  std::vector<uint8_t> line(TIFFScanlineSize(tif));
  TIFFReadScanline(tif, line.data(), row);
  return line;
}
}  // namespace

TEST(Tiff, WriterPutsTopRowFirstWithItsTags) {
  ScratchDir dir;
  const uint32_t pixels[2] = {kRed, kBlue};  // one column: red at the bottom
  ASSERT_EQ(WriteTiff(pixels, "col.tif", 2, 1), 1);
  TIFF* tif = TIFFOpen("col.tif", "r");
  ASSERT_NE(tif, nullptr);
  ExpectWorkbenchTags(tif, 1, 2);
  EXPECT_EQ(FileRow(tif, 0), (std::vector<uint8_t>{0, 0, 255}));  // blue on top
  EXPECT_EQ(FileRow(tif, 1), (std::vector<uint8_t>{255, 0, 0}));
  TIFFClose(tif);
}

TEST(Tiff, RoundTripKeepsRgbRowsFromBottomAndOpaqueAlpha) {
  ScratchDir dir;
  const int w = 5, h = 3;
  std::vector<uint32_t> pixels(w * h);
  for (int i = 0; i < w * h; i++) pixels[i] = uint32_t(i * 17) | uint32_t(i * 5) << 8 | 200u << 16 | 7u << 24;
  ASSERT_EQ(WriteTiff(pixels.data(), "img.tif", h, w), 1);

  std::vector<uint32_t> raster;
  int rw = 0, rh = 0;
  EXPECT_EQ(StderrOf([&] { ASSERT_TRUE(ReadTiff("img.tif", &raster, &rw, &rh)); }),
            "INFO: started loading: img.tif\nINFO: done loading: img.tif\n");
  ASSERT_EQ(rw, w);
  ASSERT_EQ(rh, h);
  for (int i = 0; i < w * h; i++) EXPECT_EQ(raster[i], (pixels[i] & 0xFFFFFFu) | 0xFF000000u) << i;

  EXPECT_EQ(StderrOf([&] { ASSERT_TRUE(ReadTiffQuiet("img.tif", &raster, &rw, &rh)); }), "");
  EXPECT_EQ(raster[0], pixels[0] | 0xFF000000u);
}

TEST(Tiff, ReadersRefuseOtherExtensionsAndMissingFiles) {
  ScratchDir dir;
  const uint32_t px = kRed;
  ASSERT_EQ(WriteTiff(&px, "up.TIF", 1, 1), 1);
  std::vector<uint32_t> raster{1, 2, 3};
  int w = 9, h = 9;
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(ReadTiff("up.TIF", &raster, &w, &h)); }),
            "INFO: do not know how to open *.TIF\n");
  EXPECT_TRUE(raster.empty());

  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(ReadTiffQuiet("missing.tif", &raster, &w, &h)); }),
            "INFO: cannot open: missing.tif\n");
  EXPECT_EQ(w, 9);  // untouched unless an image was read

  // A damaged file is reported by libtiff and read as nothing.
  std::ofstream("bad.tif") << "II*\0garbage that is not an image";
  EXPECT_FALSE(Quiet([&] { return ReadTiff("bad.tif", &raster, &w, &h); }));
  EXPECT_TRUE(raster.empty());
}

TEST(Tiff, WriterReportsUnopenablePathAndMissingPixels) {
  ScratchDir dir;
  const uint32_t px = kBlue;
  const std::string err = StderrOf([&] { EXPECT_EQ(WriteTiff(&px, "no/such/folder/x.tif", 1, 1), -1); });
  EXPECT_NE(err.find("Could not open file for writing\n"), std::string::npos) << err;
  EXPECT_EQ(WriteTiff(nullptr, "null.tif", 1, 1), -2);
}
