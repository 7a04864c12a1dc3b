#include "ConsoleWatch.h"

#include <algorithm>
#include <ostream>
#include <streambuf>

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

bool IsFailureLine(const std::string& text) {
  const size_t cr = text.rfind('\r');
  const std::string line = cr == std::string::npos ? text : text.substr(cr + 1);
  if (line.size() > 1 && line[0] == '"') {
    const size_t close = line.find('"', 1);
    if (close != std::string::npos && close > 1 && line.compare(close, 3, "\": ") == 0) return true;
  }
  for (const char* prefix : {"ERROR", "[ERROR]", "Step bounds must be", "Could not open file for writing",
                             "Could not write image data", "Failed to write in the File"})
    if (StartsWith(line, prefix)) return true;
  return false;
}

// Sits between a stream and its buffer: passes every character on and
// gathers the current line.
class ConsoleWatch::Tap : public std::streambuf {
 public:
  Tap(std::ostream& stream, std::string* failure)
      : stream_(stream), target_(stream.rdbuf()), failure_(failure) {
    stream_.rdbuf(this);
  }
  ~Tap() override {
    Check();
    stream_.rdbuf(target_);
  }
  Tap(const Tap&) = delete;
  Tap& operator=(const Tap&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    Take(&ch, 1);
    return target_ != nullptr ? target_->sputc(ch) : c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    Take(s, n);
    return target_ != nullptr ? target_->sputn(s, n) : n;
  }
  int sync() override { return target_ != nullptr ? target_->pubsync() : 0; }

 private:
  // Long progress lines are cut at each carriage return; a line is judged
  // by its start, so a bounded part of it is kept.
  static constexpr size_t kKept = 4096;

  void Take(const char* s, std::streamsize n) {
    for (std::streamsize i = 0; i < n; i++) {
      if (s[i] == '\n') {
        Check();
        line_.clear();
      } else if (s[i] == '\r') {
        line_.clear();
      } else if (line_.size() < kKept) {
        line_ += s[i];
      }
    }
  }
  void Check() {
    if (failure_->empty() && IsFailureLine(line_)) *failure_ = line_;
  }

  std::ostream& stream_;
  std::streambuf* target_;
  std::string* failure_;
  std::string line_;
};

ConsoleWatch::ConsoleWatch(const std::vector<std::ostream*>& streams) {
  std::vector<std::ostream*> seen;
  for (std::ostream* s : streams) {
    if (s == nullptr || std::find(seen.begin(), seen.end(), s) != seen.end()) continue;
    seen.push_back(s);
    taps_.push_back(std::make_unique<Tap>(*s, &failure_));
  }
}

// The taps leave in the reverse order of their coming, so each stream gets
// back the buffer it had.
ConsoleWatch::~ConsoleWatch() {
  while (!taps_.empty()) taps_.pop_back();
}
