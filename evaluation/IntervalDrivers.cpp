#include "IntervalDrivers.h"

#include <chrono>
#include <fstream>

#include "IntervalTable.h"
#include "ObjLoader.h"
#include "SampleLocationBuffer.h"
#include "WorkLayout.h"

namespace {

// The buffer's timelines as an interval table, written to `path`.
void WriteTable(const IntervalRunScene& scene, const std::string& path) {
  if (!WriteIntervalTable(MergeTimelines(*scene.buffer, scene.triangleCount), path))
    *scene.err << "ERROR: could not write the interval table " << path << std::endl;
}

}  // namespace

int SubIntervalRun(const IntervalRunScene& scene, const std::string& stem, int first, int last,
                   IntervalWork* work, const std::vector<int32_t>* workFlags) {
  std::vector<int32_t> own;
  if (workFlags == nullptr) {
    own = SubIntervalWorkFlags(scene);
    workFlags = &own;
  }
  if (workFlags->empty()) return 0;
  std::ostream& out = *scene.out;
  const int32_t n = scene.triangleCount;
  const int steps = SubIntervalSteps(
      scene, *workFlags, first, last,
      [&](int step, const std::vector<int32_t>& visible) {
        const int32_t count = WriteIdList(visible.data(), n, layout::StepIdList(stem, step));
        out << count << " triangles visible out of " << n << "\n";
        out << "Begin Saving canvas to ";
        const std::string path = layout::StepTable(stem, step);
        out << path << "\n";
        WriteTable(scene, path);
        out << "Done saving canvas" << std::endl;
      },
      work);
  const VisibleSet& unionSet = *scene.unionSet;
  WriteIdList(unionSet.data(), n, layout::UnionIdList(stem));
  const std::vector<int32_t>* ids = nullptr;
  if (scene.first->triangleId.size() > 0) ids = &scene.first->triangleId[0];
  WriteVisibleSet(unionSet, layout::UnionSet(stem).c_str(), out, *scene.err, scene.setIds, ids);
  return steps;
}

void FullIntervalRun(const IntervalRunScene& scene, VisibleSet* result, IntervalWork* work,
                     const WholeRunFiles& files) {
  VisibleSet own;
  VisibleSet& visible = result ? *result : own;
  if (!WholeIntervalVisibility(scene, &visible, work)) return;
  std::ostream& out = *scene.out;
  const auto started = std::chrono::steady_clock::now();
  {
    std::ofstream line(files.endStateLine);
    if (line) WriteVisibilityLine(line, "0", visible.data(), scene.triangleCount);
  }
  IntervalStatistics st = CountTimelineIntervals(*scene.buffer);
  out << "Maxmum interval number is " << st.maxIntervals << "\n";
  out << "Total interval number is " << st.totalIntervals << " ditributed in "
      << st.samplesWithTimeline << " pixels\n";
  out << "Begin Saving canvas" << std::endl;
  WriteTable(scene, files.table);
  out << "Done saving canvas" << std::endl;
  if (work)
    work->writeSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void StatesIntervalRun(const IntervalRunScene& scene, const std::vector<const ObjLoader*>& states,
                       VisibleSet* result, IntervalWork* work, const WholeRunFiles& files) {
  if (states.size() < 2 || !scene.liveFlags) return;
  if (states.size() == 2) {
    IntervalRunScene two = scene;
    two.first = states[0];
    two.second = states[1];
    FullIntervalRun(two, result, work, files);
    return;
  }
  std::ostream& out = *scene.out;
  const int32_t n = scene.triangleCount;
  const std::vector<int32_t> live = *scene.liveFlags;
  VisibleSet own;
  VisibleSet& visible = result ? *result : own;
  visible.assign(size_t(n), 0);
  // Each pair's table, its times moved to the pair's place in the sequence.
  std::vector<std::unique_ptr<TriangleIntervalTable>> tables;
  for (size_t i = 0; i + 1 < states.size(); i++) {
    out << "States " << i << " to " << i + 1 << std::endl;
    IntervalRunScene pair = scene;
    pair.first = states[i];
    pair.second = states[i + 1];
    *scene.liveFlags = live;  // culling of one pair must not drop a triangle from the next
    scene.buffer->Reset();
    VisibleSet pairVisible;
    IntervalWork pairWork;
    if (!WholeIntervalVisibility(pair, &pairVisible, &pairWork)) return;
    for (int32_t t = 0; t < n; t++)
      if (pairVisible[size_t(t)]) visible[size_t(t)] = 1;
    tables.push_back(BuildIntervalTable(*scene.buffer, n));
    if (work) {
      work->evaluations += pairWork.evaluations;
      work->intervals += pairWork.intervals;
      work->trianglesDone += pairWork.trianglesDone;
      work->threads = pairWork.threads;
      work->processSeconds += pairWork.processSeconds;
    }
  }
  {
    std::ofstream line(files.endStateLine);
    if (line) WriteVisibilityLine(line, "0", visible.data(), n);
  }
  out << "Begin Saving canvas" << std::endl;
  IntervalTableBuilder joined(n);
  for (const auto& table : tables)
    for (int32_t t = 0; t < n; t++)
      for (int32_t k = 0; k < table->counts[size_t(t)]; k++) joined.Count(uint32_t(t));
  joined.Allocate();
  for (size_t i = 0; i < tables.size(); i++) {
    for (int32_t t = 0; t < n; t++) {
      const TimeInterval* iv = tables[i]->Intervals(t);
      for (int32_t k = 0; k < tables[i]->counts[size_t(t)]; k++)
        joined.Append(uint32_t(t), iv[k].start + double(i), iv[k].end + double(i));
    }
  }
  // Intervals meeting at a state join, as within one pair.
  if (!WriteIntervalTable(*joined.Finish(), files.table))
    *scene.err << "ERROR: could not write the interval table " << files.table << std::endl;
  out << "Done saving canvas" << std::endl;
}

void IntervalTrial(const IntervalRunScene& scene) {
  std::ofstream dump(layout::kTrialDump);
  TrialTimelines(scene, &dump);
}
