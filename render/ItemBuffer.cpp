#include "ItemBuffer.h"

#include <cmath>

namespace {
// (int)(x * 65535 + 0.5) for x in [0, 1]; outside values clamp, NaN is 0.
int64_t Round16(float x) {
  double v = double(x) * 65535.0 + 0.5;
  if (!(v > 0.0)) return 0;
  if (v > 65535.5) v = 65535.5;
  return int64_t(v);
}
}  // namespace

void EncodeFloatId(int32_t theID, float* red, float* alpha) {
  uint32_t v = uint32_t(theID);
  *red = float(v / 65536u) / 65535.0f;
  *alpha = float(v % 65536u) / 65535.0f;
}

int32_t DecodeFloatId(float red, float alpha) {
  if (red == 0.0f && alpha == 0.0f) return -1;
  int64_t theID = Round16(red) * 65536 + Round16(alpha);
  // Identifiers above 2^31 - 1 come back as their 32-bit pattern.
  return int32_t(uint32_t(theID - 1));
}

void DecodeItemBuffer(const float* rgba, size_t n, int32_t* ids) {
  for (size_t i = 0; i < n; i++) ids[i] = DecodeFloatId(rgba[4 * i], rgba[4 * i + 3]);
}

void EncodeByteId(int32_t id, uint8_t rgba[4]) {
  uint32_t v = uint32_t(id);
  rgba[0] = uint8_t(v & 0xFF);
  rgba[1] = uint8_t((v >> 8) & 0xFF);
  rgba[2] = uint8_t((v >> 16) & 0xFF);
  rgba[3] = uint8_t(v >> 24);
}
