#include <gtest/gtest.h>
#include <tiffio.h>

#include <fstream>
#include <vector>

#include "ScratchDir.h"
#include "TiffIO.h"

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
  uint32_t w = 0, h = 0, rps = 0;
  uint16_t bps = 0, spp = 0, comp = 0, photo = 0, fill = 0, planar = 0, unit = 0;
  float xres = 0, yres = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rps);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &comp);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photo);
  TIFFGetField(tif, TIFFTAG_FILLORDER, &fill);
  TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
  TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  EXPECT_EQ(w, 1u);
  EXPECT_EQ(h, 2u);
  EXPECT_EQ(bps, 8);
  EXPECT_EQ(spp, 3);
  EXPECT_EQ(rps, 2u);
  EXPECT_EQ(comp, COMPRESSION_LZW);
  EXPECT_EQ(photo, PHOTOMETRIC_RGB);
  EXPECT_EQ(fill, 1);
  EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
  EXPECT_EQ(xres, 150.0f);
  EXPECT_EQ(yres, 150.0f);
  EXPECT_EQ(unit, RESUNIT_INCH);
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
  testing::internal::CaptureStderr();
  ASSERT_TRUE(ReadTiff("img.tif", &raster, &rw, &rh));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "INFO: started loading: img.tif\nINFO: done loading: img.tif\n");
  ASSERT_EQ(rw, w);
  ASSERT_EQ(rh, h);
  for (int i = 0; i < w * h; i++) EXPECT_EQ(raster[i], (pixels[i] & 0xFFFFFFu) | 0xFF000000u) << i;

  testing::internal::CaptureStderr();
  ASSERT_TRUE(ReadTiffQuiet("img.tif", &raster, &rw, &rh));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(raster[0], pixels[0] | 0xFF000000u);
}

TEST(Tiff, ReadersRefuseOtherExtensionsAndMissingFiles) {
  ScratchDir dir;
  const uint32_t px = kRed;
  ASSERT_EQ(WriteTiff(&px, "up.TIF", 1, 1), 1);
  std::vector<uint32_t> raster{1, 2, 3};
  int w = 9, h = 9;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTiff("up.TIF", &raster, &w, &h));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "INFO: do not know how to open *.TIF\n");
  EXPECT_TRUE(raster.empty());

  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTiffQuiet("missing.tif", &raster, &w, &h));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "INFO: cannot open: missing.tif\n");
  EXPECT_EQ(w, 9);  // untouched unless an image was read

  // A damaged file is reported by libtiff and read as nothing.
  std::ofstream("bad.tif") << "II*\0garbage that is not an image";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTiff("bad.tif", &raster, &w, &h));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(raster.empty());
}

TEST(Tiff, WriterReportsUnopenablePathAndMissingPixels) {
  ScratchDir dir;
  const uint32_t px = kBlue;
  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteTiff(&px, "no/such/folder/x.tif", 1, 1), -1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Could not open file for writing\n"), std::string::npos) << err;
  EXPECT_EQ(WriteTiff(nullptr, "null.tif", 1, 1), -2);
}
