#include "PathTruth.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>

#include "Format.h"
#include "WorkLayout.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

PPC Turned(const PPC& key, float pan, float tilt) {
  PPC c = key;
  if (pan != 0) c.Pan(pan);
  if (tilt != 0) c.Tilt(tilt);
  return c;
}

// Flags every id the last render saw; ids beyond the scene are skipped.
void FlagSeen(const PathTruthScene& s) {
  std::vector<int32_t>& flags = *s.flags;
  std::fill(flags.begin(), flags.end(), 0);
  const size_t n = flags.size();
  for (size_t i = 0; i < s.pixelCount; i++) {
    const int32_t id = s.ids[i];
    if (id >= 0 && size_t(id) < n) flags[size_t(id)] = 1;
  }
}

// Walks the path: renders each camera, flags what it saw, hands the view
// to `emit`. Cameras are made one segment at a time.
template <typename Emit>
int WalkPath(const PathTruthScene& s, const std::vector<PPC>& keys,
             const std::vector<int>& segments, int maxViews, Emit emit) {
  const PPC saved = *s.viewCamera;
  int f = 0;
  for (size_t k = 0; k + 1 < keys.size() && k < segments.size(); k++) {
    const std::vector<PPC> cams = keys[k].Interpolate(keys[k + 1], segments[k]);
    for (const PPC& cam : cams) {
      if (maxViews >= 0 && f >= maxViews) break;
      *s.viewCamera = cam;
      Clock::time_point t0 = Clock::now();
      s.render();
      const double rendered = Since(t0);
      t0 = Clock::now();
      FlagSeen(s);
      const double saveSeconds = emit(f);
      if (s.timing != nullptr) {
        s.timing->render += rendered;
        s.timing->flags += Since(t0) - saveSeconds;
        s.timing->save += saveSeconds;
        s.timing->views++;
      }
      f++;
    }
  }
  *s.viewCamera = saved;
  return f;
}

}  // namespace

const std::vector<int> kPathTruthSegments = {200, 100, 100, 100, 100, 100, 100, 200};
const std::vector<int> kForestTruthSegments = {400, 300, 300, 300, 300, 400};

std::vector<PPC> PathTruthKeys(const PPC& view) {
  PPC zoomed = view;
  zoomed.Zoom(3.5f);
  std::vector<PPC> keys = {view, zoomed};
  const float turns[5][2] = {{-5, 5}, {5, 5}, {5, -5}, {-5, -5}, {-5, 5}};
  for (const auto& t : turns) keys.push_back(Turned(zoomed, t[0], t[1]));
  keys.push_back(zoomed);
  keys.push_back(view);
  return keys;
}

std::vector<PPC> ForestTruthKeys(const PPC& view) {
  PPC k1 = view;
  k1.Zoom(3.5f);
  k1.Tilt(-2);
  std::vector<PPC> keys = {view, k1};
  const float turns[5][2] = {{-10, 0}, {-10, 6}, {0, 6}, {10, 6}, {10, 0}};
  for (const auto& t : turns) keys.push_back(Turned(k1, t[0], t[1]));
  return keys;
}

std::vector<PPC> ExpandPath(const std::vector<PPC>& keys, const std::vector<int>& segments) {
  std::vector<PPC> path;
  for (size_t k = 0; k + 1 < keys.size() && k < segments.size(); k++) {
    const std::vector<PPC> cams = keys[k].Interpolate(keys[k + 1], segments[k]);
    path.insert(path.end(), cams.begin(), cams.end());
  }
  return path;
}

int CameraPathTruth(const PathTruthScene& s, const std::string& path,
                    const std::string& imageFolder, int maxViews) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "w"),
                                                      &std::fclose);
  if (!file) {
    *s.out << "\"ASL_truth\": could not create " << path << "; nothing rendered" << std::endl;
    return -1;
  }
  // One buffer for every line: grown once, never freed per view.
  std::string line;
  char digits[16];
  auto append = [&](long long v) {
    const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, v);
    line.append(digits, r.ptr);
  };
  return WalkPath(s, PathTruthKeys(*s.viewCamera), kPathTruthSegments, maxViews, [&](int f) {
    line.clear();
    append(f);
    line.push_back(':');
    const std::vector<int32_t>& flags = *s.flags;
    for (size_t id = 0; id < flags.size(); id++)
      if (flags[id] == 1) {
        append(static_cast<long long>(id));
        line.push_back(',');
      }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), file.get());
    const Clock::time_point t0 = Clock::now();
    s.saveFrame(layout::Frame(imageFolder, f));
    return Since(t0);
  });
}

int ForestPathTruth(const PathTruthScene& s, const std::string& path, int maxViews) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                      &std::fclose);
  if (!file) {
    *s.out << "\"ASL_truth\": could not create " << path << "; nothing rendered" << std::endl;
    return -1;
  }
  std::vector<int32_t> record;
  record.reserve(s.flags->size() + 1);
  return WalkPath(s, ForestTruthKeys(*s.viewCamera), kForestTruthSegments, maxViews, [&](int) {
    record.assign(1, 0);
    const std::vector<int32_t>& flags = *s.flags;
    for (size_t id = 0; id < flags.size(); id++)
      if (flags[id] == 1) record.push_back(int32_t(id));
    record[0] = int32_t(record.size() - 1);
    std::fwrite(record.data(), sizeof(int32_t), record.size(), file.get());
    *s.out << record[0] << std::endl;
    return 0.0;
  });
}
