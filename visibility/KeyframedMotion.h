// Triangle motion from the keyframed vertex trajectories: the positions at
// two trajectory times, each the linear blend of keyframes floor(T) and
// floor(T) + 1 (at or beyond the last keyframe, the last one).
#pragma once

#include "AABB.h"
#include "TriangleMotionSource.h"

class KeyframeTrajectories;

class KeyframedMotion : public MotionSource {
 public:
  KeyframedMotion(const KeyframeTrajectories& trajectories, double t0, double t1)
      : tr_(trajectories), t0_(t0), t1_(t1) {}
  bool Motion(int32_t triangle, TriangleMotion* motion) const override;

  // Position of vertex v at trajectory time T.
  static Vex3_quarn PositionAtTime(const KeyframeTrajectories& tr, uint32_t v, double T);

 private:
  const KeyframeTrajectories& tr_;
  double t0_, t1_;
};

// Box of a triangle's vertices over every keyframe; false when the
// trajectories do not hold the triangle.
bool KeyframeBox(const KeyframeTrajectories& tr, int32_t triangle, AABB* box);
