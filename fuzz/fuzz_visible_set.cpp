// Visible-set reader on arbitrary bytes: ids land only inside the set.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "VisibleSet.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::cout.setstate(std::ios::badbit);  // ids beyond the set are printed
  std::cerr.setstate(std::ios::badbit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Canaries on both sides catch writes outside the set.
  std::vector<int32_t> flags(66, 7);
  const int32_t n = 64;
  int32_t v = ParseVisibleSet(data, size, flags.data() + 1, n, "fuzz", (size & 1) != 0, std::cout, std::cerr);
  if (v < 0 || (v > 0 && uint64_t(v) * 4 + 4 > size)) std::abort();
  if (flags[0] != 7 || flags[65] != 7) std::abort();
  return 0;
}
