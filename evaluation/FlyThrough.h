// Fly-throughs around a prepared view: key cameras derived from the view
// by a zoom and pans and tilts, and the camera sequence that interpolates
// between consecutive keys (each segment including both of its ends).
#pragma once

#include <vector>

#include "PPC.h"

// k1 = k0 zoomed by `zoom` and tilted by `tilt1`; k2 = k1 panned by -pan;
// k3 = k1 panned by -pan and tilted by `tilt`; k4 = k1 tilted by `tilt`;
// k5 = k1 panned by pan and tilted by `tilt`; k6 = k1 panned by pan;
// k7 = k1; k8 = k0. Angles in degrees.
struct KeyScheme {
  float zoom = 3.5f;
  float tilt1 = -10;
  float pan = 12;
  float tilt = 15;
};

// The nine keys k0 ... k8, k0 being `view`.
std::vector<PPC> KeyCameras(const PPC& view, const KeyScheme& scheme);

// Segment i interpolates key i to key i + 1 in frames[i] cameras; there
// are frames.size() segments (at most one fewer than the keys).
struct FlyThrough {
  std::vector<PPC> keys;
  std::vector<int> frames;
  int FrameCount() const;
  // Calls fn(frameNumber, camera) for every camera in order; stops early
  // when fn returns false. Returns the frames visited.
  template <typename Fn>
  int ForEach(Fn&& fn) const {
    int c = 0;
    for (size_t s = 0; s < frames.size() && s + 1 < keys.size(); s++)
      for (const PPC& camera : keys[s].Interpolate(keys[s + 1], frames[s]))
        if (!fn(c++, camera)) return c;
    return c;
  }
};

// The footage of a view: all nine keys, 300 frames for the first and the
// last segment and 200 for the six others (1800 frames).
FlyThrough FootagePath(const PPC& view, const KeyScheme& scheme);
// The error evaluation of a view: keys k0 ... k7 and 150 frames per
// segment (1050 frames).
FlyThrough EvaluationPath(const PPC& view, const KeyScheme& scheme);
