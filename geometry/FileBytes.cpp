#include "FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "Format.h"

FileRead ReadFileBytes(const std::string& path, std::vector<char>* bytes) {
  bytes->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return FileRead::kCannotOpen;
  // Size hint for regular files only (a directory opens too, and reports
  // a meaningless size); the loop reads to the end whatever is there.
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    bytes->reserve(size_t(st.st_size));
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
