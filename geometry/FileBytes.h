// Whole-file reads into memory and bounds-checked access to the bytes, plus
// whole-file writes that never leave a partial file behind: the mesh
// readers check every count against what the file still holds before they
// allocate, and the caches are written under a temporary name and renamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

enum class FileRead { kOk, kCannotOpen, kReadError };

// Reads the whole file; kCannotOpen when fopen fails.
FileRead ReadFileBytes(const std::string& path, std::vector<char>* bytes);

// Writes `size` bytes to a temporary name beside `path` and renames it over
// `path`; on any failure the temporary file is removed and false returned.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);

// Little-endian raw reads from a byte range; a read that does not fit
// fails and leaves the cursor where it was.
class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : p_(static_cast<const unsigned char*>(data)), left_(size) {}

  size_t Left() const { return left_; }
  template <typename T>
  bool Read(T* out) {
    if (left_ < sizeof(T)) return false;
    std::memcpy(out, p_, sizeof(T));
    p_ += sizeof(T);
    left_ -= sizeof(T);
    return true;
  }
  // n elements of T; fails before touching `out` when they do not fit.
  template <typename T>
  bool ReadArray(T* out, size_t n) {
    if (n > left_ / sizeof(T)) return false;
    if (n) std::memcpy(out, p_, n * sizeof(T));
    p_ += n * sizeof(T);
    left_ -= n * sizeof(T);
    return true;
  }
  // True when n records of `recordSize` bytes could still follow.
  bool Holds(int64_t n, size_t recordSize) const {
    return n >= 0 && (recordSize == 0 || uint64_t(n) <= left_ / recordSize);
  }

 private:
  const unsigned char* p_;
  size_t left_;
};

class ByteWriter {
 public:
  template <typename T>
  void Put(const T& v) {
    PutBytes(&v, sizeof(T));
  }
  template <typename T>
  void PutArray(const T* v, size_t n) {
    PutBytes(v, n * sizeof(T));
  }
  void PutBytes(const void* v, size_t n) {
    if (!n) return;
    size_t at = bytes_.size();
    bytes_.resize(at + n);
    std::memcpy(bytes_.data() + at, v, n);
  }
  void Reserve(size_t n) { bytes_.reserve(n); }
  const std::vector<char>& Bytes() const { return bytes_; }

 private:
  std::vector<char> bytes_;
};
