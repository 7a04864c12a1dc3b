// Sample-position reader on arbitrary bytes, into a buffer of the size the
// input names when that is small (so the positions are actually read).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "SampleFiles.h"
#include "SampleLocationBuffer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::cerr.setstate(std::ios::badbit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t w = 4, h = 3;
  if (size >= 8) {
    std::memcpy(&w, data, 4);
    std::memcpy(&h, data + 4, 4);
    if (w < 1 || w > 32 || h < 1 || h > 32) w = 4, h = 3;
  }
  SampleLocationBuffer buffer(w, h);
  int32_t added = ParseSampleLocations(buffer, data, size, "fuzz");
  int64_t total = 0;
  for (const PixelSamples& p : buffer.pixels) {
    total += p.count - 1;
    for (int32_t i = 0; i < p.count; i++) {
      const SampleLocation& s = p.samples[size_t(i)];
      // Positions are narrowed to float, which may round up onto the
      // pixel's far edge.
      if (!(s.x >= p.column && s.x <= p.column + 1 && s.y >= p.row && s.y <= p.row + 1))
        std::abort();
    }
  }
  if (total != added) std::abort();
  return 0;
}
