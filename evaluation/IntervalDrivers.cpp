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

void FullIntervalRun(const IntervalRunScene& scene, VisibleSet* result, IntervalWork* work) {
  VisibleSet own;
  VisibleSet& visible = result ? *result : own;
  if (!WholeIntervalVisibility(scene, &visible, work)) return;
  std::ostream& out = *scene.out;
  const auto started = std::chrono::steady_clock::now();
  {
    std::ofstream line(layout::kEndStateLine);
    if (line) WriteVisibilityLine(line, "0", visible.data(), scene.triangleCount);
  }
  IntervalStatistics st = CountTimelineIntervals(*scene.buffer);
  out << "Maxmum interval number is " << st.maxIntervals << "\n";
  out << "Total interval number is " << st.totalIntervals << " ditributed in "
      << st.samplesWithTimeline << " pixels\n";
  out << "Begin Saving canvas" << std::endl;
  WriteTable(scene, layout::kWholeRunTable);
  out << "Done saving canvas" << std::endl;
  if (work)
    work->writeSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void IntervalTrial(const IntervalRunScene& scene) {
  std::ofstream dump(layout::kTrialDump);
  TrialTimelines(scene, &dump);
}
