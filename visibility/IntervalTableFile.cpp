// The interval table file: writing, and reading with every count checked
// against the bytes the file still holds before anything is allocated.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "BinaryIO.h"
#include "IntervalTable.h"

bool WriteIntervalTable(const TriangleIntervalTable& table, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::vector<char> buffer(1 << 20);
  std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
  bool ok = true;
  // M counts the records actually written, whatever the table claims.
  int32_t m = 0;
  for (int32_t k : table.counts)
    if (k > 0) m++;
  int32_t header[2] = {m, table.triangleCount};
  ok &= std::fwrite(header, 4, 2, f) == 2;
  for (int32_t t = 0; t < int32_t(table.counts.size()) && ok; t++) {
    int32_t k = table.counts[size_t(t)];
    if (k <= 0) continue;
    int32_t record[2] = {t, k};
    ok &= std::fwrite(record, 4, 2, f) == 2;
    ok &= std::fwrite(table.Intervals(t), sizeof(TimeInterval), size_t(k), f) == size_t(k);
  }
  ok &= std::fclose(f) == 0;
  return ok;
}

bool WriteIntervalTable(const MergedTimelines& merged, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::vector<char> buffer(1 << 20);
  std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
  int32_t m = 0;
  for (int32_t k : merged.counts) m += k > 0;
  int32_t header[2] = {m, int32_t(merged.counts.size())};
  bool ok = std::fwrite(header, 4, 2, f) == 2;
  size_t chunk = 0, at = 0;
  std::vector<TimeInterval> record;
  for (int32_t t = 0; t < int32_t(merged.counts.size()) && ok; t++) {
    const int32_t k = merged.counts[size_t(t)];
    if (k <= 0) continue;
    record.resize(size_t(k));
    for (int32_t i = 0; i < k; i++) {
      // Chunks hold whole triangles; skip to the next when one runs out.
      while (chunk < merged.chunks.size() && at >= merged.chunks[chunk].size()) {
        chunk++;
        at = 0;
      }
      if (chunk >= merged.chunks.size()) {  // counts claim more than the chunks hold
        std::fclose(f);
        return false;
      }
      const std::vector<uint32_t>& c = merged.chunks[chunk];
      record[size_t(i)] = {double(c[at]) * 1e-6, double(c[at + 1]) * 1e-6};
      at += 2;
    }
    int32_t head[2] = {t, k};
    ok &= std::fwrite(head, 4, 2, f) == 2;
    ok &= std::fwrite(record.data(), sizeof(TimeInterval), size_t(k), f) == size_t(k);
  }
  ok &= std::fclose(f) == 0;
  return ok;
}

namespace {

class FileSource {
 public:
  FileSource(std::FILE* f, long long size) : f_(f), remaining_(uint64_t(size)) {}
  bool Read(void* dst, size_t n) {
    if (n > remaining_ || std::fread(dst, 1, n, f_) != n) return false;
    remaining_ -= n;
    return true;
  }
  uint64_t Remaining() const { return remaining_; }

 private:
  std::FILE* f_;
  uint64_t remaining_;
};

class MemorySource {
 public:
  MemorySource(const uint8_t* data, size_t size) : p_(data), remaining_(size) {}
  bool Read(void* dst, size_t n) {
    if (n > remaining_) return false;
    if (n > 0) std::memcpy(dst, p_, n);
    p_ += n;
    remaining_ -= n;
    return true;
  }
  uint64_t Remaining() const { return remaining_; }

 private:
  const uint8_t* p_;
  uint64_t remaining_;
};

template <typename Source>
std::unique_ptr<TriangleIntervalTable> Parse(Source& src, const std::string& name,
                                             int32_t maxTriangles, std::ostream& err) {
  auto fail = [&](const std::string& why) {
    err << "ERROR: interval table " << name << ": " << why << std::endl;
    return std::unique_ptr<TriangleIntervalTable>();
  };
  int32_t header[2];
  if (!src.Read(header, 8)) return fail("truncated header");
  const int32_t m = header[0], n = header[1];
  if (n < 0 || n > maxTriangles) return fail("triangle count " + std::to_string(n) + " out of range");
  if (m < 0 || m > n) return fail("record count " + std::to_string(m) + " out of range");
  if (uint64_t(m) * 8 > src.Remaining()) return fail("truncated (fewer than M records)");

  auto table = std::make_unique<TriangleIntervalTable>();
  table->trianglesWithIntervals = m;
  table->triangleCount = n;
  table->counts.assign(size_t(n), 0);
  table->offsets.assign(size_t(n), 0);
  // Every record spends 8 bytes on its header, so the rest bounds the
  // intervals the file can hold.
  table->intervals.reserve(size_t((src.Remaining() - uint64_t(m) * 8) / sizeof(TimeInterval)));

  int32_t previous = -1;
  for (int32_t r = 0; r < m; r++) {
    int32_t record[2];
    if (!src.Read(record, 8)) return fail("truncated at record " + std::to_string(r));
    const int32_t t = record[0], k = record[1];
    if (t < 0 || t >= n)
      return fail("triangle index " + std::to_string(t) + " out of range at record " +
                  std::to_string(r));
    if (t <= previous)
      return fail("triangle index " + std::to_string(t) + " repeated or out of order at record " +
                  std::to_string(r));
    // The records still to come need 8 bytes each as well.
    const uint64_t after = uint64_t(m - r - 1) * 8;
    // A record holds at least one interval (M counts only such triangles).
    if (k < 1 || src.Remaining() < after ||
        uint64_t(k) * sizeof(TimeInterval) > src.Remaining() - after)
      return fail("interval count " + std::to_string(k) + " out of range at record " +
                  std::to_string(r));
    const size_t at = table->intervals.size();
    table->intervals.resize(at + size_t(k));
    if (!src.Read(table->intervals.data() + at, size_t(k) * sizeof(TimeInterval)))
      return fail("truncated at record " + std::to_string(r));
    table->offsets[size_t(t)] = int64_t(at);
    table->counts[size_t(t)] = k;
    previous = t;
  }
  return table;
}

}  // namespace

std::unique_ptr<TriangleIntervalTable> ReadIntervalTable(const std::string& path,
                                                         int32_t maxTriangles, std::ostream& err) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    err << "ERROR: cannot open interval table " << path << std::endl;
    return nullptr;
  }
  std::vector<char> buffer(1 << 20);
  std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
  long long size = FileSize(f);
  std::unique_ptr<TriangleIntervalTable> table;
  if (size < 0) {
    err << "ERROR: interval table " << path << ": cannot tell its size" << std::endl;
  } else {
    FileSource src(f, size);
    table = Parse(src, path, maxTriangles, err);
  }
  std::fclose(f);
  return table;
}

std::unique_ptr<TriangleIntervalTable> ParseIntervalTable(const uint8_t* data, size_t size,
                                                          const std::string& name,
                                                          int32_t maxTriangles, std::ostream& err) {
  MemorySource src(data, size);
  return Parse(src, name, maxTriangles, err);
}
