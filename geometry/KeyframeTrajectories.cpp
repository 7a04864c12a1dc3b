#include "KeyframeTrajectories.h"

#include <algorithm>
#include <cmath>

#include "ObjLoader.h"

std::unique_ptr<KeyframeTrajectories> KeyframeTrajectories::Build(int32_t K,
                                                                  const ObjLoader& mesh) {
  auto kt = std::make_unique<KeyframeTrajectories>();
  K = std::max(K, 0);
  kt->sourceMesh = &mesh;
  kt->keyframeCount = K;
  kt->vertexCount = int32_t(mesh.positions.size());
  kt->tracks.resize(size_t(kt->vertexCount));
  for (VertexTrack& track : kt->tracks) {
    track.count = K;
    track.positions.assign(size_t(K), Vex3_quarn());
  }
  kt->groupTriangles = mesh.groupTriangles;
  kt->groupCount = mesh.groupCount;
  kt->groupLiveCounts.assign(size_t(std::max(mesh.groupCount, 0)),
                             std::vector<int32_t>(size_t(K), 0));
  kt->triangleCounts.assign(size_t(K), 0);
  kt->triangleCount = std::max(mesh.triangleCount, 0);
  kt->triangleId = mesh.triangleId;
  kt->groupOfTriangle = mesh.groupOfTriangle;
  kt->indexInGroup = mesh.indexInGroup;
  // Until the liveness file and the cleanup mask say otherwise, every
  // triangle lives to the end and is good.
  kt->lastKeyframe.assign(size_t(kt->triangleCount), std::max(K - 1, 0));
  kt->goodTriangles.assign(size_t(kt->triangleCount), 1);
  kt->steps.resize(size_t(kt->triangleCount));
  if (K > 0) kt->StoreKeyframe(mesh, 0);
  return kt;
}

void KeyframeTrajectories::StoreKeyframe(const ObjLoader& mesh, int32_t k) {
  if (k < 0 || k >= keyframeCount) return;
  const size_t n = std::min(tracks.size(), mesh.positions.size());
  for (size_t v = 0; v < n; v++)
    if (size_t(k) < tracks[v].positions.size()) tracks[v].positions[size_t(k)] = mesh.positions[v];
  triangleCounts[size_t(k)] = mesh.triangleCount;
  const size_t groups = std::min(groupLiveCounts.size(), mesh.groupTriCount.size());
  for (size_t g = 0; g < groups && g < size_t(std::max(mesh.groupCount, 0)); g++)
    groupLiveCounts[g][size_t(k)] = mesh.groupTriCount[g];
}

Vex3_quarn KeyframeTrajectories::PositionAt(const VertexTrack& track, int32_t k) {
  const int32_t count = std::min(track.count, int32_t(track.positions.size()));
  if (count <= 0) return Vex3_quarn();
  if (track.keyIndex.empty()) return track.positions[size_t(std::clamp(k, 0, count - 1))];
  const int32_t keys = std::min(count, int32_t(track.keyIndex.size()));
  int32_t i = 0;
  while (i < keys && !(k < track.keyIndex[size_t(i)])) i++;
  // Before the first key or at/after the last one there is nothing to mix
  // with: the nearest stored key is the position.
  if (i == 0) return track.positions[0];
  if (i == keys) return track.positions[size_t(keys - 1)];
  const double k0 = track.keyIndex[size_t(i - 1)], k1 = track.keyIndex[size_t(i)];
  const double f = (k - k0) / (k1 - k0);
  const Vex3_quarn& a = track.positions[size_t(i - 1)];
  const Vex3_quarn& b = track.positions[size_t(i)];
  return Vex3_quarn(Vex3_quarnd(a) * (1 - f) + Vex3_quarnd(b) * f);
}

void KeyframeTrajectories::BuildSteps(std::ostream& out) {
  steps.assign(size_t(triangleCount), {});
  int64_t total = 0;
  for (int32_t t = 0; t < triangleCount; t++) {
    const int32_t last = t < int32_t(lastKeyframe.size()) ? lastKeyframe[size_t(t)] : 0;
    auto& s = steps[size_t(t)];
    for (int32_t k = 0; k < last; k++) s.push_back({k, k + 1});
    total += int64_t(s.size());
  }
  const double average = triangleCount > 0 ? double(total) / triangleCount : 0.0;
  out << "Done smoothing the interval, average interval count is " << average << std::endl;
}

bool KeyframeTrajectories::TriangleVertices(int32_t t, uint32_t idx[3]) const {
  if (t < 0 || t >= triangleCount || keyframeCount <= 0) return false;
  int32_t g = 0, k = t;  // without id tables the id indexes the first group
  if (!groupOfTriangle.empty()) {
    if (size_t(t) >= groupOfTriangle.size() || size_t(t) >= indexInGroup.size()) return false;
    g = groupOfTriangle[size_t(t)];
    k = indexInGroup[size_t(t)];
  }
  if (g < 0 || g >= groupCount || size_t(g) >= groupLiveCounts.size() ||
      size_t(g) >= groupTriangles.size())
    return false;
  if (k < 0 || k >= groupLiveCounts[size_t(g)][0] ||
      size_t(k) >= groupTriangles[size_t(g)].size() / 3)
    return false;
  const uint32_t* tri = groupTriangles[size_t(g)].data() + 3 * size_t(k);
  for (int i = 0; i < 3; i++) idx[i] = tri[i];
  return true;
}

bool KeyframeTrajectories::PlacePositions(double x, ObjLoader* target, const int32_t* flags,
                                          std::ostream& err) {
  // Keyframe trunc(x) + 1 must exist.
  if (!(x >= 0 && x < double(keyframeCount) - 1)) {
    err << "ERROR: PlacePositions: time " << x << " is outside [0, "
              << keyframeCount - 1 << ") of the keyframes; positions left unchanged"
              << std::endl;
    return false;
  }
  if (target == nullptr || target->positions.size() < size_t(vertexCount)) {
    err << "ERROR: PlacePositions: the target mesh has fewer vertices than the "
                 "trajectories; positions left unchanged"
              << std::endl;
    return false;
  }
  visitMarks.assign(size_t(vertexCount), 0);
  uint32_t idx[3];
  for (int32_t t = 0; t < triangleCount; t++) {
    if (flags != nullptr && flags[t] == 0) continue;
    if (!TriangleVertices(t, idx)) continue;
    for (uint32_t v : idx)
      if (v < uint32_t(vertexCount)) visitMarks[v] = 1;
  }
  const int32_t k = int32_t(x);
  const double f = x - k;
  const float wa = float(1.0 - f), wb = float(f);
  for (int32_t v = 0; v < vertexCount; v++) {
    if (!visitMarks[size_t(v)]) continue;
    const VertexTrack& track = tracks[size_t(v)];
    target->positions[size_t(v)] = PositionAt(track, k) * wa + PositionAt(track, k + 1) * wb;
  }
  // The target's own counts: a mesh sharing the array keeps its live set.
  target->groupTriCount.MakeUnique();
  const size_t groups = std::min({groupLiveCounts.size(), target->groupTriCount.size(),
                                  size_t(std::max(target->groupCount, 0))});
  for (size_t g = 0; g < groups; g++) target->groupTriCount[g] = groupLiveCounts[g][size_t(k + 1)];
  int32_t live = 0;
  for (size_t g = 0; g < size_t(std::max(target->groupCount, 0)) && g < target->groupTriCount.size(); g++)
    live += target->groupTriCount[g];
  target->triangleCount = live;
  return true;
}
