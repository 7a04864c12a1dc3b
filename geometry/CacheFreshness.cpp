#include "CacheFreshness.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

bool SourceIsNewer(const std::string& source, const std::string& cache) {
  struct stat s, c;
  if (stat(source.c_str(), &s) != 0 || stat(cache.c_str(), &c) != 0) return false;
  if (s.st_mtim.tv_sec != c.st_mtim.tv_sec) return s.st_mtim.tv_sec > c.st_mtim.tv_sec;
  return s.st_mtim.tv_nsec > c.st_mtim.tv_nsec;
}

bool CountTextLines(const std::string& path, TextLineCounts* counts) {
  *counts = TextLineCounts();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  // Only the first byte of each line matters: scan blocks for line ends
  // instead of holding the whole text.
  std::vector<char> block(1 << 20);
  bool lineStart = true;
  size_t got;
  while ((got = std::fread(block.data(), 1, block.size(), f)) > 0) {
    const char* p = block.data();
    const char* end = p + got;
    while (p < end) {
      if (lineStart) {
        counts->vertexLines += *p == 'v';
        counts->groupLines += *p == 'g';
      }
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
      if (!nl) {
        lineStart = false;
        break;
      }
      p = nl + 1;
      lineStart = true;
    }
  }
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}
