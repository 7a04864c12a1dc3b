// The sub-interval run: the scene's interval cut into 40 steps, each
// computed on its own with per-step outputs, and the union over the steps.
#include <algorithm>
#include <limits>

#include "Format.h"
#include "Frustum.h"
#include "IntervalRuns.h"
#include "IntervalTable.h"
#include "ObjLoader.h"
#include "SampleLocationBuffer.h"

bool ReadStepBounds(std::istream& in, std::ostream& err, int* first, int* last) {
  int a = 0, b = 0;
  if (in >> a >> b) {
    *first = a;
    *last = b;
    return true;
  }
  err << "Step bounds must be two integers; nothing is computed." << std::endl;
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  return false;
}

int SubIntervalRun(const IntervalRunScene& scene, const std::string& name, IntervalWork* work) {
  std::ostream& out = *scene.out;
  SampleLocationBuffer& buffer = *scene.buffer;
  if (!buffer.camera || !scene.first || !scene.second || !scene.liveFlags || !scene.unionSet)
    return 0;
  const int32_t n = scene.triangleCount;
  Frustum frustum = scene.frustum ? *scene.frustum : Frustum::FromMatrices(buffer.camera->Matrices());
  std::vector<int32_t>& live = *scene.liveFlags;
  if (live.size() < size_t(n)) live.resize(size_t(n), 0);
  VisibleSet& unionSet = *scene.unionSet;
  unionSet.assign(size_t(n), 0);

  // Culling over both states: only live triangles are tested; the others
  // keep their work flag.
  std::vector<int32_t> workFlags(size_t(n), 1);
  {
    std::vector<int32_t> tested(std::max<size_t>(size_t(n), size_t(scene.first->IdCount())), 0);
    std::copy(live.begin(), live.begin() + n, tested.begin());
    CullTriangles(frustum, *scene.first, scene.second, tested.data(), out);
    for (int32_t i = 0; i < n; i++)
      if (live[size_t(i)] != 0 && tested[size_t(i)] == 0) workFlags[size_t(i)] = 0;
  }

  ObjLoader mesh1, mesh2;
  mesh1.CopyState(*scene.first);
  mesh2.CopyState(*scene.first);

  out << "Give start and end factor pos" << std::endl;
  int first = 0, last = -1;
  if (!ReadStepBounds(*scene.in, *scene.err, &first, &last)) return 0;

  IntervalWork total;
  int steps = 0;
  bool raysCurrent = false;
  // Steps before the interval do not exist; they are skipped.
  for (int i = std::max(first, 0); i <= last && i < kSubIntervalSteps; i++) {
    buffer.Reset();
    const double t0 = double(i) / kSubIntervalSteps, t1 = double(i + 1) / kSubIntervalSteps;
    std::unique_ptr<MotionSource> keyframed;
    if (scene.keyframedMotion) keyframed = scene.keyframedMotion(t0, t1);
    mesh1.Interpolate(*scene.first, *scene.second, t0);
    mesh2.Interpolate(*scene.first, *scene.second, t1);
    MeshMotion meshMotion(mesh1, mesh2);
    const MotionSource& motion = keyframed ? *keyframed : meshMotion;
    TriangleIntervalProcessor processor(buffer, motion, *scene.err, !raysCurrent);
    raysCurrent = true;  // Reset keeps the centre samples and their rays
    for (int32_t t = 0; t < n; t++) {
      if (t % 100000 == 0) out << "\r" << t << "/" << n << std::flush;
      if (workFlags[size_t(t)] == 1) processor.ProcessTriangleOverInterval(t);
    }
    processor.Flush();
    out << "\n";

    // From here on the liveness flags hold this step's visible set.
    std::fill(live.begin(), live.end(), 0);
    buffer.CollectTimelineTriangles(live.data(), n);
    int32_t visible = WriteIdList(live.data(), n, Format("ASL_Visibility/%s_%d.txt", name.c_str(), i));
    for (int32_t t = 0; t < n; t++)
      if (live[size_t(t)] == 1) unionSet[size_t(t)] = 1;
    out << visible << " triangles visible out of " << n << "\n";

    out << "Begin Saving canvas to ";
    std::unique_ptr<TriangleIntervalTable> table = BuildIntervalTable(buffer, n);
    std::string path = Format("VisibilityTable/%s_%d.bin", name.c_str(), i);
    out << path << "\n";
    WriteIntervalTable(*table, path);
    table.reset();
    out << "Done saving canvas" << std::endl;

    const IntervalWork& w = processor.work();
    total.evaluations += w.evaluations;
    total.intervals += w.intervals;
    total.trianglesDone += w.trianglesDone;
    steps++;
  }

  WriteIdList(unionSet.data(), n, Format("ASL_Visibility/%s_Full.txt", name.c_str()));
  const std::vector<int32_t>* ids = nullptr;
  if (scene.first->triangleId.size() > 0) ids = &scene.first->triangleId[0];
  WriteVisibleSet(unionSet, Format("ASL_Visibility/%s_visibleSet.bin", name.c_str()).c_str(),
                  scene.dataset, ids);
  if (work) *work = total;
  return steps;
}
