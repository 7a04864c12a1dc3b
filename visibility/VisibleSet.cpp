#include "VisibleSet.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>

#include "BinaryIO.h"

int32_t WriteVisibleSet(const int32_t* flags, int32_t n, const char* path, std::ostream& out,
                        std::ostream& err, SetIds ids, const std::vector<int32_t>* firstGroupIds) {
  int32_t count = 0;
  for (int32_t t = 0; t < n; t++)
    if (flags[t] != 0) count++;
  if (path == nullptr) {
    out << count << " visible triangle detected!" << std::endl;
    return count;
  }

  // An index beyond the row keeps its own number.
  const std::vector<int32_t>* row = ids == SetIds::kFirstGroupIds ? firstGroupIds : nullptr;

  std::vector<int32_t> named;
  named.reserve(size_t(count));
  for (int32_t t = 0; t < n; t++) {
    if (flags[t] != 1) continue;
    named.push_back(row != nullptr && size_t(t) < row->size() ? (*row)[size_t(t)] : t);
  }
  // The header counts the ids that follow, so a set holding values other
  // than 0 and 1 still gives a readable file.
  int32_t written = int32_t(named.size());
  bool saved = false;
  if (std::FILE* f = std::fopen(path, "wb")) {
    saved = std::fwrite(&written, 4, 1, f) == 1;
    if (!named.empty())
      saved = saved && std::fwrite(named.data(), 4, named.size(), f) == named.size();
    saved = std::fclose(f) == 0 && saved;
  }
  if (saved)
    out << count << " visible triangle detected and saved!" << std::endl;
  else
    err << "ERROR: " << count << " visible triangle detected, but the visible set " << path
        << " could not be written" << std::endl;
  return count;
}

int32_t ParseVisibleSet(const uint8_t* data, size_t size, int32_t* flags, int32_t n,
                        const std::string& name, bool clearFirst, std::ostream& out,
                        std::ostream& err) {
  if (flags == nullptr) n = 0;
  if (size < 4) {
    err << "ERROR: " << name << ": visible-set file is truncated (no count)" << std::endl;
    return 0;
  }
  int32_t v = LoadI32(data);
  if (v < 0 || uint64_t(v) * 4 > size - 4) {
    err << "ERROR: " << name << ": visible-set count " << v
              << " does not fit the file (" << size << " bytes)" << std::endl;
    return 0;
  }
  // Check every id before touching the set, so a bad file changes nothing.
  const uint8_t* ids = data + 4;
  for (int32_t i = 0; i < v; i++) {
    int32_t id = LoadI32(ids + 4 * size_t(i));
    if (id < 0) {
      err << "ERROR: " << name << ": negative triangle id " << id << " at entry " << i
                << std::endl;
      return 0;
    }
  }
  if (clearFirst && n > 0) std::fill(flags, flags + n, 0);
  bool printed = false;
  for (int32_t i = 0; i < v; i++) {
    int32_t id = LoadI32(ids + 4 * size_t(i));
    if (id < n) {
      flags[id] = 1;
    } else {
      out << id;
      printed = true;
    }
  }
  if (printed) out.flush();
  return v;
}

int32_t ReadVisibleSet(int32_t* flags, int32_t n, const std::string& path, bool clearFirst,
                       std::ostream& out, std::ostream& err) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  // Only the first record is read (sequence files hold several); its size
  // is checked against the file before anything is allocated.
  long long size = FileSize(f);
  std::vector<uint8_t> bytes(4, 0);
  size_t got = size >= 4 ? std::fread(bytes.data(), 1, 4, f) : 0;
  if (got == 4) {
    int32_t v = LoadI32(bytes.data());
    if (v >= 0 && uint64_t(v) * 4 <= uint64_t(size - 4)) {
      bytes.resize(4 + size_t(v) * 4);
      got += std::fread(bytes.data() + 4, 1, size_t(v) * 4, f);
    }
  }
  std::fclose(f);
  bytes.resize(got);
  return ParseVisibleSet(bytes.data(), bytes.size(), flags, n, path, clearFirst, out, err);
}

int32_t WriteIdList(const int32_t* flags, int32_t n, const std::string& path) {
  std::string text;
  int32_t count = 0;
  std::string ids;
  for (int32_t t = 0; t < n; t++) {
    if (flags[t] != 1) continue;
    count++;
    ids += std::to_string(t);
    ids += '\n';
  }
  text = std::to_string(n) + "\n" + std::to_string(count) + "\n" + ids + "\n";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  return count;
}

int32_t ReadIdList(const std::string& path, std::vector<int32_t>* flags, std::ostream& err) {
  std::fill(flags->begin(), flags->end(), 0);
  std::ifstream in(path);
  if (!in) {
    err << "ERROR: cannot read id list " << path << std::endl;
    return -1;
  }
  // The triangle count, the id count, the ids; the closing empty line.
  std::string line;
  int32_t read = 0;
  for (int number = 1; std::getline(in, line); number++) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    char* end = nullptr;
    const long long v = std::strtoll(line.c_str(), &end, 10);
    if (end == line.c_str() || *end != '\0' || v < 0 || v > INT32_MAX) {
      err << "ERROR: " << path << ":" << number << ": '" << line << "' is not an id" << std::endl;
      std::fill(flags->begin(), flags->end(), 0);
      return -1;
    }
    if (number <= 2) continue;
    if (size_t(v) < flags->size()) (*flags)[size_t(v)] = 1;
    read++;
  }
  return read;
}

void WriteVisibilityLine(std::ostream& out, const std::string& label, const int32_t* flags,
                         int32_t n) {
  out << label << ":";
  for (int32_t t = 0; t < n; t++)
    if (flags[t] == 1) out << t << ",";
  out << "\n";
}

void WriteVisibilityAtB(const int32_t* flags, int32_t n, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return;
  WriteVisibilityLine(out, "0", flags, n);
}
