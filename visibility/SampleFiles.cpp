#include "SampleFiles.h"

#include <cmath>
#include <ostream>
#include <vector>

#include "BinaryIO.h"
#include "SampleLocationBuffer.h"

int32_t ParseSampleLocations(SampleLocationBuffer& buffer, const uint8_t* data, size_t size,
                             const std::string& name, std::ostream& err) {
  if (size < 12) {
    err << "ERROR: sample positions " << name << ": truncated header" << std::endl;
    return 0;
  }
  const int32_t w = LoadI32(data), h = LoadI32(data + 4), p = LoadI32(data + 8);
  if (w != buffer.width || h != buffer.height) {
    err << "INFO: sample positions " << name << " are for " << w << " x " << h
              << ", the buffer is " << buffer.width << " x " << buffer.height << std::endl;
    return 0;
  }
  if (p < 0 || uint64_t(p) * 16 > size - 12) {
    err << "ERROR: sample positions " << name << ": count " << p
              << " does not fit the file (" << size << " bytes)" << std::endl;
    return 0;
  }
  int32_t added = 0, skipped = 0, firstSkipped = -1;
  for (int32_t i = 0; i < p; i++) {
    const double x = LoadF64(data + 12 + 16 * size_t(i));
    const double y = LoadF64(data + 20 + 16 * size_t(i));
    // The comparisons also reject NaN.
    if (!(x >= 0 && x < buffer.width && y >= 0 && y < buffer.height)) {
      if (skipped++ == 0) firstSkipped = i;
      continue;
    }
    buffer.AddSample(int32_t(std::floor(x)), int32_t(std::floor(y)), float(x), float(y));
    added++;
  }
  if (skipped > 0)
    err << "ERROR: sample positions " << name << ": " << skipped
              << " positions outside the buffer skipped (first at entry " << firstSkipped << ")"
              << std::endl;
  return added;
}

int32_t ReadSampleLocations(SampleLocationBuffer& buffer, const std::string& path, std::ostream& err) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes)) {
    err << "ERROR: cannot read sample positions " << path << std::endl;
    return 0;
  }
  return ParseSampleLocations(buffer, bytes.data(), bytes.size(), path, err);
}
