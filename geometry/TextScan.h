// Line splitting and scanf-like number scanning over an in-memory text, for
// the mesh readers. Scanning works on [p, end) and never reads past end;
// the conversions follow "%f", "%d" and "%u": leading white space is
// skipped, a literal in a format must match exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Splits a buffer into lines (without the '\n'); counts them from 1.
class LineSplitter {
 public:
  LineSplitter(const char* data, size_t size) : p_(data), end_(data + size) {}
  bool Next(const char** begin, const char** end);
  int Number() const { return number_; }

 private:
  const char* p_;
  const char* end_;
  int number_ = 0;
};

class Scan {
 public:
  Scan(const char* begin, const char* end) : p_(begin), end_(end) {}

  void SkipSpace();
  // The characters of `s` exactly, without skipping white space first.
  bool Literal(const char* s);
  // "%f": white space, then a float; false when none.
  bool Float(float* out);
  // "%d": white space, then a signed decimal integer, saturated to int64.
  bool Int(int64_t* out);
  const char* Pos() const { return p_; }

 private:
  const char* p_;
  const char* end_;
};

// Length of the line without a trailing '\r'.
inline size_t TrimmedLength(const char* begin, const char* end) {
  if (end > begin && end[-1] == '\r') --end;
  return size_t(end - begin);
}
