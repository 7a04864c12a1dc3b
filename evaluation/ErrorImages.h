// Pixel rules of the error images: red error pixels, and the variants that
// tone down a rendering around the error pixels painted into it. Pixels
// hold R, G, B, A from the lowest byte up.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint32_t kErrorRed = 0xff0000ffu;
constexpr uint32_t kErrorWhite = 0xffffffffu;
// The renderings' sky as read back, the signed value -341374: bytes
// (130, 202, 250, 255).
constexpr uint32_t kReadBackSky = 0xfffaca82u;

// Within 0.01 of pure red (channels as c / 255).
bool IsRedPixel(uint32_t pixel);
int64_t CountRedPixels(const std::vector<uint32_t>& pixels);

enum class ErrorVariant { kIntensify, kGray, kDarken, kNoRed, kGrayQuarn };
struct ErrorVariantInfo {
  ErrorVariant variant;
  const char* suffix;  // of the output file: "_intensify" ...
};
// The five variants in the order they are written.
const std::vector<ErrorVariantInfo>& ErrorVariants();

// The variant's colour for an unmarked pixel of the rendering.
uint32_t ToneDown(ErrorVariant variant, uint32_t pixel);
// The output image: marked pixels (red or white) of the error image as
// they are, the others toned down from the rendering. Same sizes.
std::vector<uint32_t> ApplyErrorVariant(ErrorVariant variant, const std::vector<uint32_t>& image,
                                        const std::vector<uint32_t>& error);
