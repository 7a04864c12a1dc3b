// Interval table reader on arbitrary bytes: a table it accepts must be
// consistent enough for every consumer to index it without checks.
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "IntervalTable.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::cerr.setstate(std::ios::badbit);  // the rejection messages are expected
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto table = ParseIntervalTable(data, size, "fuzz", 1 << 20);
  if (!table) return 0;
  const int32_t n = table->triangleCount;
  if (table->counts.size() != size_t(n) || table->offsets.size() != size_t(n)) std::abort();
  int32_t records = 0;
  for (int32_t t = 0; t < n; t++) {
    int32_t k = table->counts[size_t(t)];
    if (k < 0) std::abort();
    if (k == 0) continue;
    records++;
    if (table->offsets[size_t(t)] < 0 ||
        uint64_t(table->offsets[size_t(t)]) + uint64_t(k) > table->intervals.size())
      std::abort();
  }
  if (records != table->trianglesWithIntervals) std::abort();
  std::vector<int32_t> flags(size_t(n) / 2 + 1, 0);
  MarkVisibleInWindow(*table, 0.25, 0.75, flags.data(), int32_t(flags.size()));
  return 0;
}
