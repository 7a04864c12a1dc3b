// File helpers for the mesh tests, which run in a ScratchDir.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScratchDir.h"

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

// Appends raw little-endian values to a byte vector, for hand-made files.
template <typename T>
void Put(std::vector<char>& bytes, const T& v) {
  const char* p = reinterpret_cast<const char*>(&v);
  bytes.insert(bytes.end(), p, p + sizeof(T));
}
