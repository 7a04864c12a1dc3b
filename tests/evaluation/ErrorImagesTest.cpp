// The pixel rules of error images and their variants.
#include <gtest/gtest.h>

#include "ErrorImages.h"

namespace {
uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16 | 0xff000000u; }
}  // namespace

TEST(ErrorImages, RedPixels) {
  EXPECT_TRUE(IsRedPixel(Rgb(255, 0, 0)));
  EXPECT_FALSE(IsRedPixel(Rgb(250, 5, 5)));
  EXPECT_EQ(CountRedPixels({Rgb(255, 0, 0), Rgb(250, 5, 5), kErrorRed, kErrorWhite}), 2);
}

TEST(ErrorImages, VariantRules) {
  using V = ErrorVariant;
  // Intensify: 1/0.5 is above 1.3, so 1.3; 1/0.9 below it; black stays black.
  EXPECT_EQ(ToneDown(V::kIntensify, Rgb(128, 64, 0)), Rgb(166, 83, 0));
  EXPECT_EQ(ToneDown(V::kIntensify, Rgb(230, 0, 0)), Rgb(255, 0, 0));
  EXPECT_EQ(ToneDown(V::kIntensify, Rgb(0, 0, 0)), Rgb(0, 0, 0));
  // Gray: 1.3 times the largest channel, at most 0.9.
  EXPECT_EQ(ToneDown(V::kGray, Rgb(255, 10, 10)), Rgb(229, 229, 229));
  EXPECT_EQ(ToneDown(V::kGray, Rgb(100, 10, 10)), Rgb(130, 130, 130));
  EXPECT_EQ(ToneDown(V::kDarken, Rgb(200, 100, 51)), Rgb(100, 50, 25));
  EXPECT_EQ(ToneDown(V::kNoRed, Rgb(200, 131, 27)), Rgb(0, 100, 20));
  // GrayQuarn: the sky turns white, black lightens to 204.
  EXPECT_EQ(ToneDown(V::kGrayQuarn, kReadBackSky), kErrorWhite);
  EXPECT_EQ(int32_t(kReadBackSky), -341374);
  EXPECT_EQ(ToneDown(V::kGrayQuarn, Rgb(0, 0, 0)), Rgb(204, 204, 204));
  // Marked pixels of the error image pass through unchanged.
  const std::vector<uint32_t> image = {Rgb(10, 20, 30), Rgb(10, 20, 30), Rgb(200, 100, 50)};
  const std::vector<uint32_t> error = {kErrorRed, kErrorWhite, Rgb(1, 2, 3)};
  EXPECT_EQ(ApplyErrorVariant(V::kDarken, image, error),
            (std::vector<uint32_t>{kErrorRed, kErrorWhite, Rgb(100, 50, 25)}));
}
