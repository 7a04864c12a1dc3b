// Comparison of two methods' per-step visible-set logs, A the reference:
// per step and over the whole run, the triangles A saw and B missed and the
// ones B reported and A did not, with totals and the step of the worst
// missing ratio.
//
// A log line is a time up to its first ':' and then identifiers, each
// followed by ','. Lines of any length are read; each step touches only
// the identifiers it holds. A line holding an identifier of 10,000,000 or
// more, a token that is not a number, or (when not empty) no ':' is
// refused with one line naming the file and line, and reads as a step
// without identifiers.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

constexpr int32_t kLogIdLimit = 10000000;

// The identifiers of one line, in the order written (repeats kept). False,
// with `error` set, for a line the comparison refuses.
bool ParseLogLine(const std::string& line, std::vector<int32_t>* ids, std::string* error);
// The same over [line, end); the character at `end` must be readable and
// not a digit.
bool ParseLogRange(const char* line, const char* end, std::vector<int32_t>* ids,
                   std::string* error);

struct LogTotals {
  int64_t missing = 0, excessive = 0, totalA = 0;
};
struct LogComparison {
  LogTotals overall;           // over the union of every line
  LogTotals perStep;           // summed over the steps both logs hold
  int64_t steps = 0;
  int64_t worstMissing = 0, worstBase = 1000, worstStep = 0;
  bool readA = false, readB = false;  // the logs could be opened
};

// Writes the whole-run report ("State All:", the two lists, "Total
// Missing: ", "Total Excessive: ") and the per-step report ("State #n",
// the two lists, and the three closing lines, which also go to `out`
// after "Done with state n" per step). A log that cannot be opened reads
// as empty. Each log is read once.
LogComparison CompareLogFiles(const std::string& pathA, const std::string& pathB,
                              const std::string& overallReport, const std::string& perStepReport,
                              std::ostream& out, std::ostream& err);
