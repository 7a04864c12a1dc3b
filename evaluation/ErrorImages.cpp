#include "ErrorImages.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
  double r, g, b;
};

Rgb Channels(uint32_t p) {
  return {double(p & 0xff) / 255, double((p >> 8) & 0xff) / 255, double((p >> 16) & 0xff) / 255};
}

// Channels in [0, 1] packed with alpha 255, truncated.
uint32_t Pack(double r, double g, double b) {
  auto byte = [](double c) { return uint32_t(std::clamp(c * 255, 0.0, 255.0)); };
  return byte(r) | byte(g) << 8 | byte(b) << 16 | 0xff000000u;
}

}  // namespace

bool IsRedPixel(uint32_t pixel) {
  const Rgb c = Channels(pixel);
  return std::sqrt((c.r - 1) * (c.r - 1) + c.g * c.g + c.b * c.b) < 0.01;
}

int64_t CountRedPixels(const std::vector<uint32_t>& pixels) {
  return std::count_if(pixels.begin(), pixels.end(), IsRedPixel);
}

const std::vector<ErrorVariantInfo>& ErrorVariants() {
  static const std::vector<ErrorVariantInfo> v = {{ErrorVariant::kIntensify, "_intensify"},
                                                  {ErrorVariant::kGray, "_gray"},
                                                  {ErrorVariant::kDarken, "_darken"},
                                                  {ErrorVariant::kNoRed, "_nred"},
                                                  {ErrorVariant::kGrayQuarn, "_grayQuarn"}};
  return v;
}

uint32_t ToneDown(ErrorVariant variant, uint32_t pixel) {
  const Rgb c = Channels(pixel);
  const double m = std::max({c.r, c.g, c.b});
  switch (variant) {
    case ErrorVariant::kIntensify: {
      // Pure black has no largest channel to scale by: it stays black.
      if (m <= 0) return Pack(0, 0, 0);
      const double s = std::min(1 / m, 1.3);
      return Pack(c.r * s, c.g * s, c.b * s);
    }
    case ErrorVariant::kGray: {
      const double v = std::min(1.3 * m, 0.9);
      return Pack(v, v, v);
    }
    case ErrorVariant::kDarken:
      return Pack(c.r * 0.5, c.g * 0.5, c.b * 0.5);
    case ErrorVariant::kNoRed:
      return Pack(0, c.g / 1.3, c.b / 1.3);
    case ErrorVariant::kGrayQuarn: {
      if (pixel == kReadBackSky) return kErrorWhite;
      auto light = [](double x) { return (1 - x) * 0.8 + x; };
      return Pack(light(c.r), light(c.g), light(c.b));
    }
  }
  return pixel;
}

std::vector<uint32_t> ApplyErrorVariant(ErrorVariant variant, const std::vector<uint32_t>& image,
                                        const std::vector<uint32_t>& error) {
  std::vector<uint32_t> out(image.size());
  for (size_t i = 0; i < image.size(); i++) {
    const uint32_t e = i < error.size() ? error[i] : 0;
    out[i] = e == kErrorRed || e == kErrorWhite ? e : ToneDown(variant, image[i]);
  }
  return out;
}
