#include "ResultFiles.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "FileBytes.h"
#include "IntervalTable.h"

namespace {

void Finish(TriangleSet* set) {
  std::sort(set->ids.begin(), set->ids.end());
  set->ids.erase(std::unique(set->ids.begin(), set->ids.end()), set->ids.end());
}

// int32 V, then exactly V non-negative ids.
bool AsVisibleSet(const std::vector<char>& bytes, TriangleSet* set) {
  if (bytes.size() < 4 || bytes.size() % 4 != 0) return false;
  int32_t v = 0;
  std::memcpy(&v, bytes.data(), 4);
  if (v < 0 || size_t(v) != bytes.size() / 4 - 1) return false;
  set->ids.resize(size_t(v));
  std::memcpy(set->ids.data(), bytes.data() + 4, size_t(v) * 4);
  if (std::any_of(set->ids.begin(), set->ids.end(), [](int32_t id) { return id < 0; })) return false;
  set->kind = "visible set";
  return true;
}

bool AsTable(const std::vector<char>& bytes, const std::string& path, TriangleSet* set) {
  // Only a header that fits the file is tried, so that no message is
  // printed for files of the other forms.
  if (bytes.size() < 8) return false;
  std::ostringstream quiet;  // a file of another form is no error here
  auto table = ParseIntervalTable(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path,
                                  kMaxTableTriangles, quiet);
  if (!table) return false;
  for (int32_t t = 0; t < table->triangleCount; t++)
    if (table->counts[size_t(t)] > 0) set->ids.push_back(t);
  set->triangleCount = table->triangleCount;
  set->kind = "interval table";
  return true;
}

bool IsText(const std::vector<char>& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) {
    return c == '\n' || c == '\r' || c == '\t' || (c >= 32 && c < 127);
  });
}

// Non-negative decimal numbers separated by `seps`; false on anything else.
bool Numbers(const std::string& text, const char* seps, std::vector<int64_t>* out) {
  size_t i = 0;
  while (i < text.size()) {
    if (std::strchr(seps, text[i]) || text[i] == ' ' || text[i] == '\r') {
      i++;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    int64_t v = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      v = v * 10 + (text[i] - '0');
      if (v > INT32_MAX) return false;
      i++;
    }
    out->push_back(v);
  }
  return true;
}

bool AsText(const std::vector<char>& bytes, TriangleSet* set, std::string* why) {
  const std::string text(bytes.begin(), bytes.end());
  if (text.find(':') != std::string::npos) {
    // "label:id,id," lines: every line's ids.
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
      number++;
      if (line.find_first_not_of(" \r\t") == std::string::npos) continue;
      const size_t colon = line.find(':');
      std::vector<int64_t> ids;
      if (colon == std::string::npos || !Numbers(line.substr(colon + 1), ",", &ids)) {
        *why = "line " + std::to_string(number) + " is not a \"label:id,id,\" line";
        return false;
      }
      for (int64_t id : ids) set->ids.push_back(int32_t(id));
    }
    set->kind = "id lines";
    return true;
  }
  std::vector<int64_t> numbers;
  if (!Numbers(text, "\n\t", &numbers)) {
    *why = "holds text that is not a list of triangle ids";
    return false;
  }
  // A per-step id list: N, V, then V ids below N.
  if (numbers.size() >= 2 && numbers[1] == int64_t(numbers.size()) - 2 &&
      std::all_of(numbers.begin() + 2, numbers.end(), [&](int64_t id) { return id < numbers[0]; })) {
    set->triangleCount = int32_t(numbers[0]);
    for (size_t i = 2; i < numbers.size(); i++) set->ids.push_back(int32_t(numbers[i]));
    set->kind = "id list";
    return true;
  }
  for (int64_t id : numbers) set->ids.push_back(int32_t(id));
  set->kind = "ids";
  return true;
}

}  // namespace

bool ReadTriangleSet(const std::string& path, TriangleSet* set, std::string* error) {
  *set = TriangleSet();
  std::vector<char> bytes;
  if (ReadFileBytes(path, &bytes) != FileRead::kOk) {
    *error = path + ": cannot be read";
    return false;
  }
  if (AsVisibleSet(bytes, set)) return Finish(set), true;
  *set = TriangleSet();
  if (!IsText(bytes) || bytes.empty()) {
    if (AsTable(bytes, path, set)) return Finish(set), true;
    *error = path + ": neither a visible set nor an interval table";
    return false;
  }
  std::string why;
  if (AsText(bytes, set, &why)) return Finish(set), true;
  *error = path + ": " + why;
  return false;
}
