#include "Liveness.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "Format.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "WorkLayout.h"

std::string LivenessPath(const std::string& dataPath) { return layout::LivenessFile(dataPath); }

std::vector<int32_t> ComputeLastStates(const ObjLoader& baseMesh,
                                       const std::vector<const ObjLoader*>& states,
                                       int32_t stateCount) {
  const int32_t n = std::max(baseMesh.triangleCount, 0);
  std::vector<int32_t> last(size_t(n), 0);
  // Only states actually loaded can be asked.
  const int32_t count = std::min(stateCount, int32_t(states.size()));
  for (int32_t i = 0; i < count; i++) {
    const ObjLoader* state = states[size_t(i)];
    if (state == nullptr) continue;
    for (int32_t t = 0; t < n; t++)
      if (state->Exists(t)) last[size_t(t)] = i;
  }
  return last;
}

namespace {

// One integer per triangle, any whitespace between. False, with the
// reason, for a short file or a non-number.
bool ReadValues(std::istream& in, int32_t n, std::vector<int32_t>* values, std::string* why) {
  values->assign(size_t(n), 0);
  for (int32_t t = 0; t < n; t++) {
    if (!(in >> (*values)[size_t(t)])) {
      bool atEnd = in.eof();
      *why = atEnd ? Format("it holds %d values for %d triangles", t, n)
                   : Format("value %d is not a number", t + 1);
      return false;
    }
  }
  return true;
}

}  // namespace

void LoadOrComputeLiveness(const ObjLoader& baseMesh,
                           const std::vector<const ObjLoader*>& states, int32_t stateCount,
                           const std::string& dataPath, std::vector<int32_t>* liveness,
                           std::ostream& err) {
  const int32_t n = std::max(baseMesh.triangleCount, 0);
  const std::string path = LivenessPath(dataPath);
  if (std::ifstream in{path}) {
    std::string why;
    if (ReadValues(in, n, liveness, &why)) return;
    err << "WARNING: " << path << ": " << why
              << "; computing liveness from the loaded states" << std::endl;
  }
  *liveness = ComputeLastStates(baseMesh, states, stateCount);
  for (int32_t& v : *liveness) v += 1;
  if (std::FILE* f = std::fopen(path.c_str(), "w")) {
    for (int32_t v : *liveness) std::fprintf(f, "%d\n", v);
    std::fclose(f);
  }
}

void ReadLastStates(KeyframeTrajectories& kt, const std::string* path, std::ostream& err) {
  const int32_t n = kt.keyframeCount;
  const int32_t count = kt.triangleCount;
  const int32_t lastKey = std::max(n - 1, 0);
  kt.lastKeyframe.assign(size_t(count), lastKey);
  if (path == nullptr) return;
  std::ifstream in(*path);
  if (!in) {
    err << "WARNING: cannot open liveness file " << *path
              << "; every triangle lives to the last keyframe" << std::endl;
    return;
  }
  for (int32_t t = 0; t < count; t++) {
    long long v = 0;
    if (!(in >> v)) {
      err << "WARNING: " << *path << ": "
                << (in.eof() ? Format("it holds %d values for %d triangles", t, count)
                             : Format("value %d is not a number", t + 1))
                << "; the rest live to the last keyframe" << std::endl;
      return;
    }
    // v - 1 as an unsigned 32-bit number: 0 and negative values wrap
    // beyond every keyframe.
    const long long last = v - 1;
    kt.lastKeyframe[size_t(t)] = last >= 0 && last < n ? int32_t(last) : lastKey;
  }
}

namespace {
void WriteRecordLine(std::FILE* f, int32_t id, uint32_t idx[3]) {
  std::sort(idx, idx + 3);
  std::fprintf(f, "TID %d:%u,%u,%u\n", id, idx[0], idx[1], idx[2]);
}
}  // namespace

void WriteDegenerateRecord(const ObjLoader& baseMesh, const std::vector<int32_t>& drawFlags,
                           const std::string& path) {
  if (drawFlags.empty()) return;
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return;
  const int32_t n = std::min(baseMesh.triangleCount, int32_t(drawFlags.size()));
  uint32_t idx[3];
  for (int32_t t = 0; t < n; t++) {
    // A triangle the mesh does not hold has no vertex numbers to show.
    if (drawFlags[size_t(t)] == 0 && baseMesh.TriangleVertices(t, idx)) WriteRecordLine(f, t, idx);
  }
  std::fclose(f);
}

void WriteDyingRecord(const ObjLoader& first, const ObjLoader& second, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return;
  uint32_t idx[3];
  for (int32_t g = 0; g < first.groupCount && size_t(g) < first.groupTriCount.size(); g++) {
    for (int32_t k = 0; k < first.groupTriCount[size_t(g)]; k++) {
      const int32_t t = first.IdOf(g, k);
      if (t < 0 || second.Exists(t)) continue;
      if (!first.TriangleVertices(t, idx)) continue;
      WriteRecordLine(f, t, idx);
    }
  }
  std::fclose(f);
}
