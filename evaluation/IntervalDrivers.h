// The interval runs as experiment drivers: each runs its visibility method
// (IntervalRuns.h) and writes what it found: id lists, visible sets,
// interval tables, the end-state line and the trial dump. A file that
// cannot be written is named on the error stream.
#pragma once

#include <string>
#include <vector>

#include "IntervalRuns.h"

// Steps first..last of the 40 sub-intervals, each written as
// layout::StepIdList and layout::StepTable of `stem`; then the union as
// layout::UnionIdList and layout::UnionSet. `workFlags` are those of
// SubIntervalWorkFlags (computed here when null). Returns the number of
// steps run.
int SubIntervalRun(const IntervalRunScene& scene, const std::string& stem, int first, int last,
                   IntervalWork* work = nullptr, const std::vector<int32_t>* workFlags = nullptr);

// The whole interval at once; writes layout::kEndStateLine and
// layout::kWholeRunTable and reports interval statistics. `result`
// receives the visible set.
void FullIntervalRun(const IntervalRunScene& scene, VisibleSet* result,
                     IntervalWork* work = nullptr);

// The trial timelines, dumped to layout::kTrialDump.
void IntervalTrial(const IntervalRunScene& scene);
