// Test fixture running in a scratch directory, with byte-level file helpers
// and a builder for hand-made little-endian file images.
#pragma once

#include <cstring>

#include "TestSupport.h"

class ScratchDirTest : public testing::Test {
 protected:
  static std::vector<uint8_t> ReadBytes(const std::string& path) { return ::ReadBytes<uint8_t>(path); }
  static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    ::WriteBytes(path, bytes);
  }

 private:
  ScratchDir scratch_;
};

class Bytes {
 public:
  Bytes& I32(int32_t v) {
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; i++) b_.push_back(uint8_t(u >> (8 * i)));
    return *this;
  }
  Bytes& F64(double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; i++) b_.push_back(uint8_t(u >> (8 * i)));
    return *this;
  }
  const std::vector<uint8_t>& get() const { return b_; }
  operator const std::vector<uint8_t>&() const { return b_; }

 private:
  std::vector<uint8_t> b_;
};
