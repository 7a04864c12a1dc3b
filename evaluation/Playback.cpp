#include "Playback.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

#include "IntervalTable.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "SceneNumbers.h"
#include "WorkLayout.h"

namespace {

void Clear(std::vector<int32_t>* flags) {
  if (flags != nullptr) std::fill(flags->begin(), flags->end(), 0);
}

// Every id whose flag is 1, each followed by ",", then the end of line.
void WriteFlagged(std::ostream& log, const std::vector<int32_t>& flags) {
  for (size_t id = 0; id < flags.size(); id++)
    if (flags[id] == 1) log << id << ",";
  log << std::endl;
}

// Playback reads states[i + 1] for every interval i < stateCount - 1.
bool StatesMatch(const char* label, int stateCount, size_t loaded, std::ostream& out) {
  if (stateCount >= 2 && size_t(stateCount) == loaded) return true;
  out << "\"" << label << "\": refused: the scene has " << loaded
      << " loaded states and a state count of " << stateCount
      << "; it needs two or more states, as many as loaded" << std::endl;
  return false;
}

void Set(int* p, int v) {
  if (p != nullptr) *p = v;
}
void Set(double* p, double v) {
  if (p != nullptr) *p = v;
}

}  // namespace

int FramesPerInterval(int steps) {
  int n = 0;
  for (double s = 0; s < 1; s += 1.0 / steps) n++;
  return n;
}

int PlayPoints(const PointPlayback& p) {
  if (p.states == nullptr || p.drawn == nullptr) return -1;
  if (!StatesMatch("Play", p.stateCount, p.states->size(), *p.out)) return -1;
  const std::vector<ParticleSet>& states = *p.states;
  p.view.setMode(render_mode::kPointFootage);
  std::ofstream log(p.logPath);
  Set(p.currentState, 0);
  Set(p.interpolation, 0);
  Set(p.frameSteps, kPointFrameSteps);
  if (p.visibleFlags != nullptr) p.visibleFlags->assign(states[0].positions.size(), 0);
  Set(p.interpolation, 0.5);

  int n = 0;
  for (int c = 0; c + 1 < p.stateCount; c++) {
    for (double s = 0; s < 1; s += 1.0 / kPointFrameSteps) {
      *p.out << s << std::endl;
      Clear(p.visibleFlags);
      p.drawn->Interpolate(states[size_t(c)], states[size_t(c) + 1], s);
      p.view.redrawAndSave(layout::Frame(p.imageFolder, n));
      size_t pixels = 0;
      const int32_t* ids = p.pointIds ? p.pointIds(&pixels) : nullptr;
      if (p.visibleFlags != nullptr && ids != nullptr) {
        std::vector<int32_t>& flags = *p.visibleFlags;
        for (size_t i = 0; i < pixels; i++) {
          const int32_t id = ids[i];
          if (id >= 0 && size_t(id) < flags.size()) flags[size_t(id)] = 1;
        }
        log << "State " << s << ":";
        WriteFlagged(log, flags);
      }
      n++;
    }
  }
  const ParticleSet& last = states.back();
  p.drawn->Interpolate(last, last, 0);
  p.view.redrawAndSave(layout::Frame(p.imageFolder, n));
  return n + 1;
}

int PlayMeshes(const MeshPlayback& p) {
  if (p.states == nullptr || !p.drawn) return -1;
  if (!StatesMatch("Play", p.stateCount, p.states->size(), *p.out)) return -1;
  ObjLoader* drawn = p.drawn();
  if (drawn == nullptr) return -1;
  const std::vector<ObjLoader>& states = *p.states;
  // Kept as the other playbacks keep theirs; no line is written to it.
  std::ofstream log(p.logPath);
  Set(p.currentState, 0);
  Set(p.interpolation, 0);
  Set(p.frameSteps, kMeshFrameSteps);

  drawn->Interpolate(states[0], states[1], 0);
  p.view.redraw();
  Set(p.interpolation, 0.5);
  p.view.setMode(render_mode::kShaded);

  int n = 0;
  for (int i = 0; i + 1 < p.stateCount; i++) {
    for (double s = 0; s < 1; s += 1.0 / kMeshFrameSteps) {
      drawn->Interpolate(states[size_t(i)], states[size_t(i) + 1], s);
      p.view.redrawAndSave(layout::Frame(p.imageFolder, n));
      n++;
    }
  }
  return n;
}

int ReplayIntervalTable(const ReplayScene& r, const std::string& tablePath) {
  const char* label = "Play Visible triangles";
  if (r.states == nullptr || !r.drawn || r.visible == nullptr) return -1;
  if (!StatesMatch(label, r.stateCount, r.states->size(), *r.out)) return -1;
  if (r.trajectories != nullptr && r.trajectories->keyframeCount != r.stateCount) {
    *r.out << "\"" << label << "\": refused: the trajectories hold "
           << r.trajectories->keyframeCount << " keyframes and the scene " << r.stateCount
           << " states" << std::endl;
    return -1;
  }
  // The table is read before anything is drawn or logged.
  std::unique_ptr<TriangleIntervalTable> table = ReadIntervalTable(tablePath, kMaxTableTriangles, *r.err);
  if (!table) {
    *r.out << "\"" << label << "\": no interval table " << tablePath << "; nothing replayed"
           << std::endl;
    return -1;
  }
  VisibleSet& visible = *r.visible;
  if (size_t(table->triangleCount) != visible.size()) {
    *r.out << "\"" << label << "\": refused: " << tablePath << " holds "
           << table->triangleCount << " triangles, the scene " << visible.size() << std::endl;
    return -1;
  }
  ObjLoader* drawn = r.drawn();
  if (drawn == nullptr) return -1;
  r.view.setMode(render_mode::kGrass);
  std::ofstream log(r.logPath);
  const std::vector<ObjLoader>& states = *r.states;
  // Moments n / steps, counted rather than summed, so that every interval
  // gets the same number of frames.
  const int steps = r.movingCamera ? 500 : 200;
  const int frames = steps * (r.stateCount - 1);
  int n = 0;
  for (; n < frames; n++) {
    const double t = double(n) / steps;
    std::fill(visible.begin(), visible.end(), 0);
    MarkVisibleInWindow(*table, t - 0.5, t + 0.5, visible.data(), int32_t(visible.size()));
    if (r.trajectories != nullptr) {
      r.trajectories->PlacePositions(t, drawn, visible.data(), *r.err);
    } else {
      // Between the two states around t; beyond state 1 the first pair
      // would be extrapolated.
      const int k = std::min(int(std::floor(t)), r.stateCount - 2);
      drawn->Interpolate(states[size_t(k)], states[size_t(k) + 1], t - k);
    }
    log << t << ":";
    WriteFlagged(log, visible);
    r.view.redraw();
    *r.out << "Done with state " << t << "/" << r.stateCount - 1 << std::endl;
  }
  return n;
}
