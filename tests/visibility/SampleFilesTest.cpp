#include <gtest/gtest.h>

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
