// Helpers the test programs share: console capture, small files in the
// scratch directory, and the id-list files the visibility runs write.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

#include "ScratchDir.h"

// What f prints on standard output, or on standard error.
template <typename F>
std::string StdoutOf(F&& f) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}
template <typename F>
std::string StderrOf(F&& f) {
  testing::internal::CaptureStderr();
  f();
  return testing::internal::GetCapturedStderr();
}

// Both streams of f.
struct Console {
  std::string out, err;
};
template <typename F>
Console ConsoleOf(F&& f) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  f();
  Console c;
  c.err = testing::internal::GetCapturedStderr();
  c.out = testing::internal::GetCapturedStdout();
  return c;
}

// Runs f with its console output dropped and returns what f returns.
template <typename F>
auto Quiet(F&& f) {
  if constexpr (std::is_void_v<decltype(f())>) {
    ConsoleOf(f);
  } else {
    decltype(f()) result{};
    ConsoleOf([&] { result = f(); });
    return result;
  }
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
template <typename Byte = char>
std::vector<Byte> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), {});
}
template <typename Byte>
void WriteBytes(const std::string& path, const std::vector<Byte>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
inline bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Appends the raw bytes of a value, for hand-made files.
template <typename T>
void Put(std::vector<char>& bytes, const T& v) {
  const size_t at = bytes.size();
  bytes.resize(at + sizeof(T));
  std::memcpy(bytes.data() + at, &v, sizeof(T));
}

// An id-list file: a 32-bit count, then the ids.
inline std::vector<int32_t> ReadIdFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  int32_t n = -1;
  in.read(reinterpret_cast<char*>(&n), 4);
  std::vector<int32_t> ids(n > 0 ? size_t(n) : 0);
  in.read(reinterpret_cast<char*>(ids.data()), std::streamsize(4 * ids.size()));
  return ids;
}
inline void WriteIdFile(const std::string& path, const std::vector<int32_t>& ids) {
  std::vector<char> b;
  Put(b, int32_t(ids.size()));
  for (int32_t id : ids) Put(b, id);
  WriteBytes(path, b);
}
