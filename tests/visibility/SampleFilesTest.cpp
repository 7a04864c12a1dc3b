#include <gtest/gtest.h>

#include <cmath>

#include "SampleFiles.h"
#include "SampleLocationBuffer.h"
#include "TiffTags.h"
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
    EXPECT_NE(StderrOf([&] { EXPECT_EQ(ReadSampleLocations(buf, "p.bin"), 0); }).find("p.bin"),
              std::string::npos);
  }
  for (const PixelSamples& p : buf.pixels) EXPECT_EQ(p.count, 1);
}

TEST_F(SampleFiles, PositionsOutsideTheBufferAreSkipped) {
  WriteBytes("p.bin", Bytes().I32(2).I32(2).I32(4).F64(-0.5).F64(0.5).F64(2.0).F64(0.5)
                          .F64(0.5).F64(std::nan("")).F64(1.5).F64(1.5));
  SampleLocationBuffer buf(2, 2);
  const std::string err = StderrOf([&] { EXPECT_EQ(ReadSampleLocations(buf, "p.bin"), 1); });
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
  ExpectWorkbenchTags(tif, 3, 2);
  std::vector<uint8_t> strip(18);
  ASSERT_EQ(TIFFReadEncodedStrip(tif, 0, strip.data(), tmsize_t(strip.size())), 18);
  TIFFClose(tif);
  // File row 0 is buffer row 1; an untouched sample is black.
  EXPECT_EQ(strip, (std::vector<uint8_t>{0, 0, 0, 0x78, 0x56, 0x34, 0, 0, 0,  //
                                         1, 2, 3, 0, 0, 0, 0xff, 0, 0}));

  EXPECT_NE(StderrOf([&] { EXPECT_LT(WriteSampleIdImage(buf, "no/such/folder/ids.tif"), 0); })
                .find("Could not open file for writing"),
            std::string::npos);
}
