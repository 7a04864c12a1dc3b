// The interval runs as experiment drivers: each runs its visibility method
// (IntervalRuns.h) and writes what it found: id lists, visible sets,
// interval tables, the end-state line and the trial dump. A file that
// cannot be written is named on the error stream.
#pragma once

#include <string>
#include <vector>

#include "IntervalRuns.h"
#include "WorkLayout.h"

// Steps first..last of the 40 sub-intervals, each written as
// layout::StepIdList and layout::StepTable of `stem`; then the union as
// layout::UnionIdList and layout::UnionSet. `workFlags` are those of
// SubIntervalWorkFlags (computed here when null). Returns the number of
// steps run.
int SubIntervalRun(const IntervalRunScene& scene, const std::string& stem, int first, int last,
                   IntervalWork* work = nullptr, const std::vector<int32_t>* workFlags = nullptr);

// Where the whole-interval run writes: the end-state line and the interval
// table (the button's files unless told otherwise).
struct WholeRunFiles {
  std::string endStateLine = layout::kEndStateLine;
  std::string table = layout::kWholeRunTable;
};

// The whole interval at once; writes the end-state line and the table and
// reports interval statistics. `result` receives the visible set.
void FullIntervalRun(const IntervalRunScene& scene, VisibleSet* result,
                     IntervalWork* work = nullptr, const WholeRunFiles& files = WholeRunFiles());

// The whole interval over a sequence of states, each moving linearly to
// the next: with two states exactly FullIntervalRun; with more, the
// interval between each pair is computed on its own (the buffer is reset
// between them, the liveness flags restored) and the tables joined, times
// in state units (state i at time i). `result` receives the union.
void StatesIntervalRun(const IntervalRunScene& scene, const std::vector<const ObjLoader*>& states,
                       VisibleSet* result, IntervalWork* work = nullptr,
                       const WholeRunFiles& files = WholeRunFiles());

// The trial timelines, dumped to layout::kTrialDump.
void IntervalTrial(const IntervalRunScene& scene);
