#include "KeyframedMotion.h"

#include <algorithm>
#include <cmath>

#include "KeyframeTrajectories.h"

Vex3_quarn KeyframedMotion::PositionAtTime(const KeyframeTrajectories& tr, uint32_t v, double T) {
  const VertexTrack& track = tr.tracks[v];
  const int32_t last = tr.keyframeCount - 1;
  double whole = std::floor(T);
  if (!(whole < last)) return KeyframeTrajectories::PositionAt(track, std::max(last, 0));
  if (whole < 0) whole = 0;
  const int32_t k = int32_t(whole);
  const float f = float(std::clamp(T - whole, 0.0, 1.0));
  return KeyframeTrajectories::PositionAt(track, k) * (1 - f) +
         KeyframeTrajectories::PositionAt(track, k + 1) * f;
}

bool KeyframedMotion::Motion(int32_t triangle, TriangleMotion* m) const {
  uint32_t idx[3];
  if (!tr_.TriangleVertices(triangle, idx)) return false;
  std::sort(idx, idx + 3);
  for (int i = 0; i < 3; i++) {
    if (idx[i] >= tr_.tracks.size()) return false;
    m->a[i] = PositionAtTime(tr_, idx[i], t0_);
    m->b[i] = PositionAtTime(tr_, idx[i], t1_);
  }
  return true;
}

bool KeyframeBox(const KeyframeTrajectories& tr, int32_t triangle, AABB* box) {
  uint32_t idx[3];
  if (!tr.TriangleVertices(triangle, idx)) return false;
  for (uint32_t v : idx) {
    if (v >= tr.tracks.size()) return false;
    for (int32_t k = 0; k < tr.keyframeCount; k++)
      box->Extend(KeyframeTrajectories::PositionAt(tr.tracks[v], k));
  }
  return true;
}
