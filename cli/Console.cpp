#include "Console.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>

namespace {

constexpr int kBarCells = 30;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// "1h02m", "4m05s", "12s".
std::string Duration(double s) {
  char text[32];
  const long t = long(s + 0.5);
  if (t >= 3600)
    std::snprintf(text, sizeof text, "%ldh%02ldm", t / 3600, t / 60 % 60);
  else if (t >= 60)
    std::snprintf(text, sizeof text, "%ldm%02lds", t / 60, t % 60);
  else
    std::snprintf(text, sizeof text, "%lds", t);
  return text;
}

FILE* Copy(int fd, const char* mode) {
  const int copy = dup(fd);
  return copy < 0 ? nullptr : fdopen(copy, mode);
}

}  // namespace

Console::Console(bool quiet, bool verbose) : quiet_(quiet), verbose_(verbose) {
  std::fflush(stdout);
  std::fflush(stderr);
  out_ = Copy(1, "w");
  err_ = Copy(2, "w");
  if (!out_) out_ = stdout;
  if (!err_) err_ = stderr;
  terminal_ = isatty(2) != 0;
}

Console::~Console() {
  Release();
  if (out_ && out_ != stdout) std::fclose(out_);
  if (err_ && err_ != stderr) std::fclose(err_);
}

void Console::CaptureLibraryOutput() {
  if (verbose_ || scratch_) return;
  scratch_ = std::tmpfile();
  if (!scratch_) return;
  std::cout.flush();
  std::cerr.flush();
  std::fflush(stdout);
  std::fflush(stderr);
  savedOut_ = dup(1);
  savedErr_ = dup(2);
  dup2(fileno(scratch_), 1);
  dup2(fileno(scratch_), 2);
}

void Console::Release() {
  if (!scratch_) return;
  std::cout.flush();
  std::cerr.flush();
  std::fflush(stdout);
  std::fflush(stderr);
  if (savedOut_ >= 0) dup2(savedOut_, 1), close(savedOut_);
  if (savedErr_ >= 0) dup2(savedErr_, 2), close(savedErr_);
  savedOut_ = savedErr_ = -1;
  std::fclose(scratch_);
  scratch_ = nullptr;
}

void Console::Progress(const std::string& step, double fraction) {
  if (quiet_) return;
  fraction = std::min(1.0, std::max(0.0, fraction));
  if (step != step_) {
    EndProgress();
    step_ = step;
    shown_ = -1;
    stepStarted_ = Now();
  }
  if (terminal_) {
    const int cells = int(fraction * kBarCells);
    const int percent = int(fraction * 100);
    if (percent == shown_) return;
    shown_ = percent;
    std::string bar(size_t(cells), '#');
    bar.resize(kBarCells, '.');
    // The time left, once enough is done to tell.
    const double elapsed = Now() - stepStarted_;
    std::string left;
    if (fraction >= 0.02 && fraction < 1 && elapsed > 2)
      left = ", " + Duration(elapsed * (1 - fraction) / fraction) + " left";
    std::fprintf(err_, "\r%-10s [%s] %3d%%%-16s", step_.c_str(), bar.c_str(), percent, left.c_str());
    barOpen_ = true;
  } else {
    // Plain lines for logs: one every tenth.
    const int tenth = int(fraction * 10);
    if (tenth == shown_) return;
    shown_ = tenth;
    std::fprintf(err_, "%s: %d%%\n", step_.c_str(), tenth * 10);
  }
  std::fflush(err_);
}

void Console::EndProgress() {
  if (barOpen_) {
    std::fputc('\n', err_);
    std::fflush(err_);
  }
  barOpen_ = false;
}

void Console::Error(const std::string& line) {
  EndProgress();
  std::fprintf(err_, "%s\n", line.c_str());
  std::fflush(err_);
}

void Console::Summary(const std::string& line) {
  EndProgress();
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

int ProgressLines::overflow(int c) {
  if (c == EOF) return 0;
  if (c == '\r' || c == '\n') {
    Line();
  } else if (line_.size() < 256) {
    line_ += char(c);
  }
  return c;
}

void ProgressLines::Line() {
  // "<done>/<total>" followed by anything.
  const char* s = line_.c_str();
  char* end = nullptr;
  const long long done = std::strtoll(s, &end, 10);
  if (end != s && *end == '/') {
    const char* t = end + 1;
    const long long total = std::strtoll(t, &end, 10);
    if (end != t && total > 0 && done >= 0) {
      // A count that starts again belongs to the next phase.
      if (done < lastDone_) phase_++;
      lastDone_ = done;
      const double part = std::min(1.0, double(done) / double(total));
      console_.Progress(step_, (std::min(phase_, phases_ - 1) + part) / phases_);
    }
  }
  line_.clear();
}
