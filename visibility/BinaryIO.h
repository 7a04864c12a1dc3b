// Little-endian int32/float64 fields of the visibility files. The host is
// little-endian (checked at compile time), so fields are plain byte copies.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "visibility files are little-endian raw images");

inline int32_t LoadI32(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline double LoadF64(const uint8_t* p) {
  double v;
  std::memcpy(&v, p, 8);
  return v;
}

// Size of an open file in bytes (-1 when it cannot be told); the position
// is left at the start.
inline long long FileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  long long n = std::ftell(f);
  if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
  return n;
}

// The whole file, or false when it cannot be opened or read.
inline bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  long long n = FileSize(f);
  bool ok = n >= 0;
  if (ok) {
    bytes->resize(size_t(n));
    ok = n == 0 || std::fread(bytes->data(), 1, size_t(n), f) == size_t(n);
  }
  std::fclose(f);
  if (!ok) bytes->clear();
  return ok;
}
