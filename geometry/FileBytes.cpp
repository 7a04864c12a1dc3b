#include "FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "Format.h"

FileRead ReadFileBytes(const std::string& path, std::vector<char>* bytes) {
  bytes->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return FileRead::kCannotOpen;
  // Regular files in one read of their size; then (and for anything else,
  // such as a directory, which opens too) read on to the end in chunks.
  struct stat st;
  size_t got = 0;
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    bytes->resize(size_t(st.st_size));
    got = std::fread(bytes->data(), 1, bytes->size(), f);
    bytes->resize(got);
  }
  char chunk[1 << 16];
  if (got == 0 || !std::feof(f))
    while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return failed ? FileRead::kReadError : FileRead::kOk;
}

AtomicFile::AtomicFile(const std::string& path)
    : path_(path), tmp_(Format("%s.tmp%d", path.c_str(), int(getpid()))) {
  f_ = std::fopen(tmp_.c_str(), "wb");
}

AtomicFile::~AtomicFile() {
  if (!f_) return;
  std::fclose(f_);
  std::remove(tmp_.c_str());
}

bool AtomicFile::Commit() {
  if (!f_) return false;
  bool ok = std::fflush(f_) == 0 && !std::ferror(f_);
  ok = std::fclose(f_) == 0 && ok;
  f_ = nullptr;
  if (ok && std::rename(tmp_.c_str(), path_.c_str()) == 0) return true;
  std::remove(tmp_.c_str());
  return false;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  AtomicFile file(path);
  if (!file.Stream()) return false;
  if (size && std::fwrite(data, 1, size, file.Stream()) != size) return false;
  return file.Commit();
}

bool MemorySource::Read(void* out, size_t n) {
  if (n > left_) {
    left_ = 0;
    return false;
  }
  if (n) std::memcpy(out, p_, n);
  p_ += n;
  left_ -= n;
  return true;
}

FileSource::~FileSource() {
  if (f_) std::fclose(f_);
}

FileRead FileSource::Open(const std::string& path) {
  if (f_) std::fclose(f_);
  left_ = 0;
  f_ = std::fopen(path.c_str(), "rb");
  if (!f_) return FileRead::kCannotOpen;
  struct stat st;
  if (fstat(fileno(f_), &st) != 0 || !S_ISREG(st.st_mode)) return FileRead::kReadError;
  left_ = uint64_t(st.st_size);
  return FileRead::kOk;
}

bool FileSource::Read(void* out, size_t n) {
  // A file that shrank while being read ends the reading like a short one.
  if (!f_ || n > left_ || (n && std::fread(out, 1, n, f_) != n)) {
    left_ = 0;
    return false;
  }
  left_ -= n;
  return true;
}
