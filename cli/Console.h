// What the command-line tool shows a person: progress on standard error (a
// bar on a terminal, plain lines otherwise, nothing with --quiet), one
// error line, one closing summary line. The computing libraries' own
// console lines (given std::cout and std::cerr, or printed there) go to a
// scratch file while a command runs, so that standard output holds only
// the summary and standard error only progress and errors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <streambuf>
#include <string>

class Console {
 public:
  // Takes copies of the process streams before anything is redirected.
  Console(bool quiet, bool verbose);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // From here on the library's lines go to a scratch file (unless verbose).
  void CaptureLibraryOutput();
  // The process streams back as they were.
  void Release();

  // A named step with its fraction done (0..1); a new name starts a new
  // step.
  void Progress(const std::string& step, double fraction);
  void EndProgress();
  void Error(const std::string& line);
  void Summary(const std::string& line);

 private:
  FILE* out_ = nullptr;  // the original standard output
  FILE* err_ = nullptr;  // the original standard error
  bool terminal_ = false, quiet_ = false, verbose_ = false;
  FILE* scratch_ = nullptr;
  int savedOut_ = -1, savedErr_ = -1;
  std::string step_;
  double stepStarted_ = 0;  // seconds, for the time left
  int shown_ = -1;  // per cent (lines) or bar cells last drawn
  bool barOpen_ = false;
};

// A stream buffer for the drivers' console output: it discards the text
// but turns their "\r<done>/<total>" progress lines into progress of the
// named step. Each time a count starts again the next phase begins;
// `phases` spreads them over the bar.
class ProgressLines : public std::streambuf {
 public:
  ProgressLines(Console& console, std::string step, int phases = 1)
      : console_(console), step_(std::move(step)), phases_(phases < 1 ? 1 : phases) {}

 protected:
  int overflow(int c) override;

 private:
  void Line();
  Console& console_;
  std::string step_;
  int phases_;
  int phase_ = 0;
  long long lastDone_ = 0;
  std::string line_;
};
