#include "TextScan.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

bool LineSplitter::Next(const char** begin, const char** end) {
  if (p_ >= end_) return false;
  const char* nl = static_cast<const char*>(std::memchr(p_, '\n', size_t(end_ - p_)));
  *begin = p_;
  *end = nl ? nl : end_;
  p_ = nl ? nl + 1 : end_;
  number_++;
  return true;
}

namespace {
inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

void Scan::SkipSpace() {
  while (p_ < end_ && IsSpace(*p_)) p_++;
}

bool Scan::Literal(const char* s) {
  size_t n = std::strlen(s);
  if (size_t(end_ - p_) < n || std::memcmp(p_, s, n) != 0) return false;
  p_ += n;
  return true;
}

bool Scan::Float(float* out) {
  SkipSpace();
  const char* q = p_;
  bool negative = false;
  if (q < end_ && (*q == '+' || *q == '-')) negative = *q++ == '-';
  if (q >= end_ || *q == '+' || *q == '-') return false;
  float v = 0;
  std::from_chars_result r = std::from_chars(q, end_, v);
  if (r.ec == std::errc::invalid_argument) return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Overflow and underflow: strtof gives what "%f" gives (infinity, or
    // zero or a subnormal).
    std::string token(q, r.ptr);
    v = std::strtof(token.c_str(), nullptr);
  }
  *out = negative ? -v : v;
  p_ = r.ptr;
  return true;
}

bool Scan::Int(int64_t* out) {
  SkipSpace();
  const char* q = p_;
  bool negative = false;
  if (q < end_ && (*q == '+' || *q == '-')) negative = *q++ == '-';
  if (q >= end_ || *q < '0' || *q > '9') return false;
  constexpr int64_t kLimit = 100000000000000000;  // saturates near 1e18
  int64_t v = 0;
  while (q < end_ && *q >= '0' && *q <= '9') {
    if (v < kLimit) v = v * 10 + (*q - '0');
    q++;
  }
  *out = negative ? -v : v;
  p_ = q;
  return true;
}
