// Test fixture running in a scratch directory, with byte-level file helpers
// and a builder for hand-made little-endian file images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ScratchDir.h"

class ScratchDirTest : public testing::Test {
 protected:
  void SetUp() override {
    scratch_ = std::make_unique<ScratchDir>();
    ASSERT_FALSE(scratch_->path().empty());
  }
  void TearDown() override { scratch_.reset(); }

  static std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

 private:
  std::unique_ptr<ScratchDir> scratch_;
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
