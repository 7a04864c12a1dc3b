#include <gtest/gtest.h>

#include <cstring>

#include "ItemBuffer.h"
#include "RenderTargets.h"

TEST(ItemBufferCodec, RedAndAlphaZeroIsNoTriangleWhateverGreenAndBlue) {
  const float px[8] = {0, 0.7f, 0.3f, 0, 0, 0, 0, 0};
  int32_t ids[2] = {5, 5};
  DecodeItemBuffer(px, 2, ids);
  EXPECT_EQ(ids[0], -1);
  EXPECT_EQ(ids[1], -1);
}

TEST(ItemBufferCodec, RoundTripAcrossTheSixteenBitBoundaryAndBeyondTwentyFourBits) {
  // Identifier 65535 goes as theID 65536: red 1/65535, alpha 0.
  float r = 0, a = 0;
  EncodeFloatId(65536, &r, &a);
  EXPECT_EQ(r, 1.0f / 65535.0f);
  EXPECT_EQ(a, 0.0f);
  EXPECT_EQ(DecodeFloatId(r, a), 65535);
  for (int32_t id : {0, 1, 65534, 65535, 65536, 16777215, 16777216, 123456789, 2147483646}) {
    EncodeFloatId(id + 1, &r, &a);
    EXPECT_EQ(DecodeFloatId(r, a), id) << id;
  }
}

TEST(ItemBufferCodec, OutOfRangeValuesDecodeWithoutOverflow) {
  EXPECT_EQ(DecodeFloatId(0.0f, 1.0f), 65534);
  EXPECT_EQ(DecodeFloatId(-1.0f, 1.0f / 65535.0f), 0);
  EXPECT_EQ(DecodeFloatId(1e30f, 0.0f), int32_t(uint32_t(65535u * 65536u - 1u)));
  float nan;
  uint32_t bits = 0x7fc00000u;
  std::memcpy(&nan, &bits, 4);
  EXPECT_EQ(DecodeFloatId(nan, 2.0f / 65535.0f), 1);
}

TEST(ItemBufferCodec, ByteEncodingIsTheLittleEndianIdentifier) {
  uint8_t rgba[4];
  EncodeByteId(0, rgba);
  uint32_t v = 1;
  std::memcpy(&v, rgba, 4);
  EXPECT_EQ(v, 0u);
  EncodeByteId(0x12345678, rgba);
  EXPECT_EQ(rgba[0], 0x78);
  EXPECT_EQ(rgba[3], 0x12);
  std::memcpy(&v, rgba, 4);
  EXPECT_EQ(v, 0x12345678u);
}

TEST(RenderTargetsChoice, SupportComesFromTheVersionAndExtensionList) {
  EXPECT_EQ(ChooseFramebufferApi(21, {"GL_EXT_framebuffer_object"}), FramebufferApi::kExtension);
  EXPECT_EQ(ChooseFramebufferApi(45, {}), FramebufferApi::kCore);
  EXPECT_EQ(ChooseFramebufferApi(21, {"GL_ARB_texture_float"}), FramebufferApi::kNone);
}

TEST(RenderTargetsChoice, StatusMessagesAndStreams) {
  bool err = false;
  EXPECT_STREQ(FramebufferStatusMessage(GL_FRAMEBUFFER_COMPLETE_EXT, &err), "Framebuffer complete.");
  EXPECT_TRUE(err);
  EXPECT_STREQ(FramebufferStatusMessage(GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT, &err),
               "[ERROR] Framebuffer incomplete: Color attached images have different internal "
               "formats.");
  EXPECT_TRUE(err);
  EXPECT_STREQ(FramebufferStatusMessage(GL_FRAMEBUFFER_UNSUPPORTED_EXT, &err),
               "[ERROR] Unsupported by FBO implementation.");
  EXPECT_STREQ(FramebufferStatusMessage(0x1234, &err), "[ERROR] Unknow error.");
  EXPECT_FALSE(err);
}
