// The comparison of two per-step logs: reports, totals, the worst step,
// and the lines it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "LogComparison.h"
#include "ScratchDir.h"

namespace {

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string Read(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct Outcome {
  LogComparison c;
  std::string out, err, overall, steps;
};

Outcome Compare(const std::string& a, const std::string& b) {
  Write("A.txt", a);
  Write("B.txt", b);
  Outcome r;
  std::ostringstream out, err;
  r.c = CompareLogFiles("A.txt", "B.txt", "all.txt", "steps.txt", out, err);
  r.out = out.str();
  r.err = err.str();
  r.overall = Read("all.txt");
  r.steps = Read("steps.txt");
  return r;
}

}  // namespace

TEST(LogComparison, ParsesEveryNumberExactly) {
  // Numbers of every length up to 7 digits, some with leading zeros, at
  // every offset of the line, the last one with or without its ','.
  uint32_t seed = 12345;
  auto next = [&]() { return seed = seed * 1664525u + 1013904223u; };
  for (int line = 0; line < 200; line++) {
    std::string text = std::to_string(line) + ":";
    std::vector<int32_t> want;
    for (int k = 0; k < 40; k++) {
      const int32_t v = int32_t(next() % 10000000u) >> (next() % 24);
      want.push_back(v);
      if (next() % 5 == 0) text += "00";
      text += std::to_string(v);
      if (k < 39 || line % 2) text += ",";
    }
    std::vector<int32_t> got;
    std::string error;
    ASSERT_TRUE(ParseLogLine(text, &got, &error)) << error;
    EXPECT_EQ(got, want) << text;
  }
}

TEST(LogComparison, IdenticalLogs) {
  ScratchDir dir;
  const Outcome r = Compare("0:3,17,\n0.5:3,\n", "0:3,17,\n0.5:3,\n");
  EXPECT_EQ(r.overall,
            "State All:\nWhat in A is not in B: \nWhat in B is not in A: \n"
            "Total Missing: 0/2\nTotal Excessive: 0/2\n");
  EXPECT_EQ(r.steps,
            "State #0\nWhat in A is not in B: \nWhat in B is not in A: \n"
            "State #1\nWhat in A is not in B: \nWhat in B is not in A: \n"
            "Total Missing: 0/3\nTotal Excessive: 0/3\nMax Missing: 0/1000 at state 0\n");
  EXPECT_EQ(r.out,
            "Done with state 0\nDone with state 1\nTotal Missing: 0/3\nTotal Excessive: 0/3\n"
            "Max Missing: 0/1000 at state 0\n");
  EXPECT_EQ(r.err, "");
}

TEST(LogComparison, DifferencesRepeatsEmptyStepsAndLengths) {
  ScratchDir dir;
  // Step 0: B misses 9 and adds 4 (repeats count once); step 1: A's line
  // ends at its ':' (0 / 0 never becomes the worst step); step 2: one of
  // two missing; A has a fourth line B does not.
  const Outcome r = Compare("0:9,2,9,\n0.25:\n0.5:5,6,\n0.75:7,\n", "0:2,4,4,\n0.25:8,\n0.5:5,\n");
  EXPECT_EQ(r.steps,
            "State #0\nWhat in A is not in B: 9,\nWhat in B is not in A: 4,\n"
            "State #1\nWhat in A is not in B: \nWhat in B is not in A: 8,\n"
            "State #2\nWhat in A is not in B: 6,\nWhat in B is not in A: \n"
            "Total Missing: 2/4\nTotal Excessive: 2/4\nMax Missing: 1/2 at state 0\n");
  // The union takes every line of both, the longer log's last one too.
  EXPECT_EQ(r.overall,
            "State All:\nWhat in A is not in B: 6,7,9,\nWhat in B is not in A: 4,8,\n"
            "Total Missing: 3/5\nTotal Excessive: 2/5\n");
}

TEST(LogComparison, RefusedLinesAndMissingLogs) {
  ScratchDir dir;
  const Outcome r = Compare("0:1,x2,\n0.5:10000000,\nno colon here\n\n1:3,4", "0:1,\n0.5:1,\n1:1,\n:\n1:3,4,");
  EXPECT_EQ(r.err,
            "ERROR: A.txt:1: 'x2' is not an identifier; the line counts as empty\n"
            "ERROR: A.txt:2: identifier 10000000 is 10,000,000 or more; the line counts as empty\n"
            "ERROR: A.txt:3: a line without ':'; the line counts as empty\n");
  // The refused steps hold nothing; a last identifier without its ','
  // is read whole (4, not 0 or nothing).
  EXPECT_EQ(r.c.steps, 5);
  EXPECT_EQ(r.c.perStep.missing, 0);
  EXPECT_EQ(r.c.perStep.excessive, 3);
  EXPECT_EQ(r.c.perStep.totalA, 2);

  // Reports whose folder is missing are named, one line each.
  {
    std::ostringstream out2, err2;
    CompareLogFiles("A.txt", "B.txt", "no/all.txt", "no/steps.txt", out2, err2);
    EXPECT_NE(err2.str().find("ERROR: cannot write file: no/steps.txt\n"), std::string::npos);
    EXPECT_NE(err2.str().find("ERROR: cannot write file: no/all.txt\n"), std::string::npos);
  }

  // A log that cannot be opened reads as empty.
  std::ostringstream out, err;
  const LogComparison c = CompareLogFiles("none.txt", "B.txt", "all.txt", "steps.txt", out, err);
  EXPECT_FALSE(c.readA);
  EXPECT_EQ(Read("steps.txt"), "Total Missing: 0/0\nTotal Excessive: 0/0\nMax Missing: 0/1000 at state 0\n");
  EXPECT_EQ(Read("all.txt"),
            "State All:\nWhat in A is not in B: \nWhat in B is not in A: 1,3,4,\n"
            "Total Missing: 0/0\nTotal Excessive: 3/0\n");
}

// Logs read in batches of steps: steps across batch boundaries, a log that
// ends inside a batch, refused lines in both, on one thread or two.
TEST(LogComparison, LongLogsGiveTheSameReportsOnAnyNumberOfThreads) {
  ScratchDir dir;
  std::ostringstream a, b, steps;
  for (int s = 0; s < 700; s++) {
    a << s << ":" << s << "," << s + 1 << ",\n";
    if (s < 523) b << s << ":" << (s == 300 ? "x" : "") << s + 1 << "," << s + 2 << ",\n";
    if (s < 523) {
      steps << "State #" << s << "\nWhat in A is not in B: " << (s == 300 ? "300,301," : std::to_string(s) + ",")
            << "\nWhat in B is not in A: " << (s == 300 ? "" : std::to_string(s + 2) + ",") << "\n";
    }
  }
  a << "700:y\n";
  std::vector<Outcome> runs;
  for (const char* threads : {"1", "2"}) {
    setenv("WORKBENCH_THREADS", threads, 1);
    runs.push_back(Compare(a.str(), b.str()));
  }
  unsetenv("WORKBENCH_THREADS");
  for (const Outcome& r : runs) {
    EXPECT_EQ(r.c.steps, 523);
    EXPECT_EQ(r.steps.substr(0, steps.str().size()), steps.str());
    EXPECT_EQ(r.err,
              "ERROR: B.txt:301: 'x301' is not an identifier; the line counts as empty\n"
              "ERROR: A.txt:701: 'y' is not an identifier; the line counts as empty\n");
    // The union holds A's steps beyond B's end: 0 ... 700 against 1 ... 524.
    EXPECT_EQ(r.overall.substr(0, r.overall.find('\n', 12) + 1),
              "State All:\nWhat in A is not in B: 0," + [] {
                std::string s;
                for (int id = 525; id <= 700; id++) s += std::to_string(id) + ",";
                return s;
              }() + "\n");
  }
  EXPECT_EQ(runs[0].steps, runs[1].steps);
  EXPECT_EQ(runs[0].out, runs[1].out);
}
