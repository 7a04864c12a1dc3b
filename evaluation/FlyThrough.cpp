#include "FlyThrough.h"

std::vector<PPC> KeyCameras(const PPC& view, const KeyScheme& s) {
  PPC k1 = view;
  k1.Zoom(s.zoom);
  k1.Tilt(s.tilt1);
  auto turned = [&k1](float pan, float tilt) {
    PPC k = k1;
    k.Pan(pan);
    if (tilt != 0) k.Tilt(tilt);
    return k;
  };
  return {view,
          k1,
          turned(-s.pan, 0),
          turned(-s.pan, s.tilt),
          turned(0, s.tilt),
          turned(s.pan, s.tilt),
          turned(s.pan, 0),
          k1,
          view};
}

int FlyThrough::FrameCount() const {
  int n = 0;
  for (size_t s = 0; s < frames.size() && s + 1 < keys.size(); s++) n += frames[s] > 0 ? frames[s] : 0;
  return n;
}

FlyThrough FootagePath(const PPC& view, const KeyScheme& scheme) {
  return {KeyCameras(view, scheme), {300, 200, 200, 200, 200, 200, 200, 300}};
}

FlyThrough EvaluationPath(const PPC& view, const KeyScheme& scheme) {
  std::vector<PPC> keys = KeyCameras(view, scheme);
  keys.pop_back();
  return {keys, std::vector<int>(7, 150)};
}
