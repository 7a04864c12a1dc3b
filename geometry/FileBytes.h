// Whole-file reads into memory and bounds-checked access to the bytes, plus
// whole-file writes that never leave a partial file behind: the mesh
// readers check every count against what the file still holds before they
// allocate, and the caches are written under a temporary name and renamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
  // The next n bytes, or null (cursor unchanged) when they do not fit.
  const unsigned char* Take(size_t n) {
    if (n > left_) return nullptr;
    const unsigned char* at = p_;
    p_ += n;
    left_ -= n;
    return at;
  }
  // True when n records of `recordSize` bytes could still follow.
  bool Holds(int64_t n, size_t recordSize) const {
    return n >= 0 && (recordSize == 0 || uint64_t(n) <= left_ / recordSize);
  }

 private:
  const unsigned char* p_;
  size_t left_;
};

// Sequential bytes from memory or from a file, with the number of bytes
// still to come known before reading, so counts can be checked against it.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Exactly n bytes, or false (the source is then spent).
  virtual bool Read(void* out, size_t n) = 0;
  uint64_t Left() const { return left_; }

 protected:
  uint64_t left_ = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, size_t size) : p_(static_cast<const char*>(data)) { left_ = size; }
  bool Read(void* out, size_t n) override;

 private:
  const char* p_;
};

// Reads a regular file straight into the caller's arrays, without holding
// all of it in memory.
class FileSource : public ByteSource {
 public:
  FileSource() = default;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  ~FileSource() override;
  // kCannotOpen when fopen fails; kReadError for what is not a regular file.
  FileRead Open(const std::string& path);
  bool Read(void* out, size_t n) override;

 private:
  FILE* f_ = nullptr;
};

// A file written under a temporary name beside its path and renamed over
// it by Commit; dropped without Commit (or when Commit fails), the
// temporary file is removed, so a partial file never takes the path.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();
  FILE* Stream() { return f_; }
  bool Commit();

 private:
  std::string path_, tmp_;
  FILE* f_ = nullptr;
};

// Little-endian raw writes, collected in memory or streamed in blocks to a
// file (then Finish must be called; a failed write makes it false).
class ByteWriter {
 public:
  explicit ByteWriter(FILE* sink = nullptr) : sink_(sink) {}
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
    if (sink_ && bytes_.size() + n > kBlock) Flush();
    if (sink_ && n >= kBlock) {
      ok_ = ok_ && std::fwrite(v, 1, n, sink_) == n;
      return;
    }
    size_t at = bytes_.size();
    bytes_.resize(at + n);
    std::memcpy(bytes_.data() + at, v, n);
  }
  void Reserve(size_t n) {
    if (!sink_) bytes_.reserve(n);
  }
  bool Finish() {
    Flush();
    return ok_;
  }
  const std::vector<char>& Bytes() const { return bytes_; }

 private:
  static constexpr size_t kBlock = 1 << 20;
  void Flush() {
    if (sink_ && !bytes_.empty()) ok_ = ok_ && std::fwrite(bytes_.data(), 1, bytes_.size(), sink_) == bytes_.size();
    if (sink_) bytes_.clear();
  }
  FILE* sink_;
  bool ok_ = true;
  std::vector<char> bytes_;
};
