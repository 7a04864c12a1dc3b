#include "IdLists.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "FileBytes.h"

bool ParseTextIdList(const char* data, size_t size, const std::string& name,
                     std::vector<int32_t>* ids, std::ostream& err) {
  ids->clear();
  const char* end = data + size;
  const char* p = static_cast<const char*>(std::memchr(data, ':', size));
  if (p == nullptr) {
    err << "ERROR: " << name << ": id list has no \":\"" << std::endl;
    return false;
  }
  p++;
  while (p < end) {
    const char* q = p;
    while (q < end && *q != ',') q++;
    // Trim blanks and line ends; an empty token is no id (triangle 0 must
    // not appear from a trailing ",").
    const char* a = p;
    const char* b = q;
    while (a < b && (*a == ' ' || *a == '\t' || *a == '\r' || *a == '\n')) a++;
    while (b > a && (b[-1] == ' ' || b[-1] == '\t' || b[-1] == '\r' || b[-1] == '\n')) b--;
    if (a < b) {
      std::string token(a, b);
      char* stop = nullptr;
      errno = 0;
      const long long v = std::strtoll(token.c_str(), &stop, 10);
      if (stop == token.c_str() || *stop != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) {
        err << "ERROR: " << name << ": \"" << token << "\" is not an id" << std::endl;
        return false;
      }
      ids->push_back(int32_t(v));
    }
    p = q + 1;
  }
  return true;
}

int64_t ConvertIdList(const std::string& textPath, const std::string& binaryPath,
                      std::ostream& err) {
  std::vector<char> bytes;
  if (ReadFileBytes(textPath, &bytes) != FileRead::kOk) {
    err << "ERROR: could not read id list " << textPath << std::endl;
    return -1;
  }
  std::vector<int32_t> ids;
  if (!ParseTextIdList(bytes.data(), bytes.size(), textPath, &ids, err)) return -1;
  if (!WriteFileAtomically(binaryPath, ids.data(), ids.size() * sizeof(int32_t))) {
    err << "ERROR: could not write id list " << binaryPath << std::endl;
    return -1;
  }
  return int64_t(ids.size());
}

int64_t ReadBinaryIdList(const std::string& path, int32_t* flags, int32_t n, std::ostream& err) {
  std::vector<char> bytes;
  if (ReadFileBytes(path, &bytes) != FileRead::kOk) {
    err << "ERROR: could not read id list " << path << std::endl;
    return -1;
  }
  const size_t count = bytes.size() / 4;
  int64_t outside = 0;
  for (size_t i = 0; i < count; i++) {
    int32_t id;
    std::memcpy(&id, bytes.data() + 4 * i, 4);
    if (id < 0 || id >= n || flags == nullptr) {
      outside++;
      continue;
    }
    flags[id] = 1;
  }
  if (outside > 0)
    err << "ERROR: " << path << ": " << outside << " ids outside the scene's " << n
        << " triangles skipped" << std::endl;
  if (bytes.size() % 4 != 0)
    err << "ERROR: " << path << ": " << bytes.size() % 4 << " bytes after the last id ignored"
        << std::endl;
  return int64_t(count);
}
