#include "FileBytes.h"

#include <unistd.h>

#include <cstdio>

#include "Format.h"

FileRead ReadFileBytes(const std::string& path, std::vector<char>* bytes) {
  bytes->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return FileRead::kCannotOpen;
  // Size hint only: the loop below reads to the end whatever the file holds.
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long n = std::ftell(f);
    if (n > 0) bytes->reserve(size_t(n));
    std::rewind(f);
  }
  char chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return failed ? FileRead::kReadError : FileRead::kOk;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  std::string tmp = Format("%s.tmp%d", path.c_str(), int(getpid()));
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  std::remove(tmp.c_str());
  return false;
}
