#include <gtest/gtest.h>

#include <tiffio.h>

#include <cmath>

#include "SampleFiles.h"
#include "SampleLocationBuffer.h"
#include "VisTestFiles.h"

namespace {
class SampleFiles : public ScratchDirTest {};
}  // namespace

TEST_F(SampleFiles, AddsPositionsToTheirPixels) {
  WriteBytes("p.bin", Bytes().I32(4).I32(3).I32(3).F64(2.25).F64(1.75).F64(2.5).F64(1.0)
                          .F64(0.1).F64(2.9));
  SampleLocationBuffer buf(4, 3);
  EXPECT_EQ(ReadSampleLocations(buf, "p.bin"), 3);
  const PixelSamples& p = buf.Pixel(2, 1);
  ASSERT_EQ(p.count, 3);
  EXPECT_EQ(p.samples[1].x, 2.25);
  EXPECT_EQ(p.samples[1].y, 1.75);
  EXPECT_EQ(p.samples[2].y, 1.0);
  ASSERT_EQ(buf.Pixel(0, 2).count, 2);
  EXPECT_EQ(buf.Pixel(0, 2).samples[1].x, double(0.1f));  // narrowed to float
}

TEST_F(SampleFiles, SizeMismatchOrBadFileLeavesBufferAlone) {
  SampleLocationBuffer buf(4, 3);
  const std::vector<std::vector<uint8_t>> cases = {
      Bytes().I32(3).I32(4).I32(1).F64(0.5).F64(0.5),  // width and height swapped
      Bytes().I32(4).I32(3).I32(2).F64(0.5).F64(0.5),  // truncated
      Bytes().I32(4).I32(3).I32(-1),
      Bytes().I32(4).I32(3),
  };
  for (const auto& bytes : cases) {
    WriteBytes("p.bin", bytes);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadSampleLocations(buf, "p.bin"), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("p.bin"), std::string::npos);
  }
  for (const PixelSamples& p : buf.pixels) EXPECT_EQ(p.count, 1);
}

TEST_F(SampleFiles, PositionsOutsideTheBufferAreSkipped) {
  WriteBytes("p.bin", Bytes().I32(2).I32(2).I32(4).F64(-0.5).F64(0.5).F64(2.0).F64(0.5)
                          .F64(0.5).F64(std::nan("")).F64(1.5).F64(1.5));
  SampleLocationBuffer buf(2, 2);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadSampleLocations(buf, "p.bin"), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("3 positions outside"), std::string::npos) << err;
  EXPECT_EQ(buf.Pixel(1, 1).count, 2);
  EXPECT_EQ(buf.Pixel(0, 0).count, 1);
}

TEST_F(SampleFiles, IdImageShowsFirstSampleColoursLastRowFirst) {
  SampleLocationBuffer buf(3, 2);
  buf.Clear();
  buf.Pixel(0, 0).samples[0].color = 0x00030201u;  // bytes 01 02 03
  buf.Pixel(2, 0).samples[0].color = 0xff0000ffu;
  buf.Pixel(1, 1).samples[0].color = 0x12345678u;
  buf.AddSample(1, 1, 1.2f, 1.2f);
  buf.Pixel(1, 1).samples[1].color = 0x00ffffffu;  // only sample 0 counts
  ASSERT_EQ(WriteSampleIdImage(buf, "ids.tif"), 1);

  TIFF* tif = TIFFOpen("ids.tif", "r");
  ASSERT_NE(tif, nullptr);
  uint32_t w = 0, h = 0, rows = 0;
  uint16_t bits = 0, spp = 0, comp = 0, photo = 0, fill = 0, planar = 0, unit = 0;
  float xres = 0, yres = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rows);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &comp);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photo);
  TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
  TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
  TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  EXPECT_EQ(w, 3u);
  EXPECT_EQ(h, 2u);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(spp, 3);
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(comp, COMPRESSION_LZW);
  EXPECT_EQ(photo, PHOTOMETRIC_RGB);
  EXPECT_EQ(fill, FILLORDER_MSB2LSB);
  EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
  EXPECT_EQ(xres, 150.0f);
  EXPECT_EQ(yres, 150.0f);
  EXPECT_EQ(unit, RESUNIT_INCH);
  std::vector<uint8_t> strip(18);
  ASSERT_EQ(TIFFReadEncodedStrip(tif, 0, strip.data(), tmsize_t(strip.size())), 18);
  TIFFClose(tif);
  // File row 0 is buffer row 1; an untouched sample is black.
  EXPECT_EQ(strip, (std::vector<uint8_t>{0, 0, 0, 0x78, 0x56, 0x34, 0, 0, 0,  //
                                         1, 2, 3, 0, 0, 0, 0xff, 0, 0}));

  testing::internal::CaptureStderr();
  EXPECT_LT(WriteSampleIdImage(buf, "no/such/folder/ids.tif"), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Could not open file for writing"),
            std::string::npos);
}
