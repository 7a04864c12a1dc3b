#include "ControlRuns.h"

#include <algorithm>
#include <fstream>

#include "AslRun.h"
#include "Frustum.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "WorkLayout.h"

namespace {

bool Ready(const ControlScene& s) {
  if (s.states == nullptr || s.states->size() < 2 || s.stateCount < 2 || !s.drawn ||
      s.flags == nullptr || s.flags->empty()) {
    *s.out << "\"control\": needs a scene of at least two states; choose one (a static scene "
              "with \"Switch Moving/Static Cam\" on) and press \"Scene Setup\" first"
           << std::endl;
    return false;
  }
  return true;
}

// The set as the two-end members log it: the triangle count, the number of
// set entries, then every set id on its own line.
void WriteSetLog(std::ostream& log, const VisibleSet& set) {
  int64_t n = 0;
  for (int32_t f : set) n += f != 0;
  log << set.size() << "\n" << n << "\n";
  for (size_t id = 0; id < set.size(); id++)
    if (set[id] != 0) log << id << "\n";
}

// The members with their own files: the item buffers of the first and the
// last state give the set; the sequence then shows only it while the scene
// moves from the first to the second state.
int TwoEndRun(const ControlScene& s, ObjLoader& drawn) {
  const ControlRunMember& m = s.row->controlRun;
  *s.out << "we're now in control!" << std::endl;
  s.sampleBuffer();
  std::ofstream log(m.log.Path());
  if (!log) *s.err << "ERROR: cannot write file: " << m.log.Path() << std::endl;
  const int steps = ControlFrameSteps(s.movingCamera);
  s.view.setMode(render_mode::kTid);
  s.setRenderingFactor(1);

  VisibleSet& set = *s.visible;
  set.assign(s.flags->size(), 0);
  for (int state : {0, 1}) {
    size_t n = 0;
    const int32_t* ids = s.itemBuffer(state, &n);
    for (size_t p = 0; ids != nullptr && p < n; p++)
      if (ids[p] >= 0 && size_t(ids[p]) < set.size()) set[size_t(ids[p])] = 1;
  }
  WriteSetLog(log, set);
  if (!m.set.Empty()) WriteVisibleSet(set, m.set.Path().c_str(), *s.out, *s.err, s.setIds);
  if (!m.frames) return 0;

  s.showOnly(set);
  s.view.setMode(render_mode::kShaded);
  const std::vector<ObjLoader>& states = *s.states;
  int frame = 0;
  for (double t = 0; t < 1; t += 1.0 / steps) {
    drawn.InterpolatePositions(states[0], states[1], t);
    s.view.redrawAndSave(layout::Frame(layout::ImageFolder("Control"), frame));
    *s.out << "Done with state " << t << "/" << s.stateCount - 1 << std::endl;
    frame++;
  }
  s.showAll();
  return frame;
}

// Any other scene: each interval's two ends sampled through the sample
// buffer (its final depth pass at the moment), the sets then shown
// interval by interval.
int SampleBufferRun(const ControlScene& s, ObjLoader& moment) {
  SampleLocationBuffer& buffer = s.sampleBuffer();
  const std::vector<ObjLoader>& states = *s.states;
  std::vector<int32_t>& flags = *s.flags;
  if (s.frustumCulling) {
    const Frustum frustum = Frustum::FromMatrices(buffer.camera->Matrices());
    CullTriangles(frustum, states[0], &states[1], flags, *s.out);
  }
  const int intervals = std::min(s.stateCount, int(states.size())) - 1;
  std::vector<VisibleSet> sets(static_cast<size_t>(intervals));
  std::vector<int32_t>& seen = *s.visibleFlags;
  for (int i = 0; i < intervals; i++) {
    seen.assign(flags.size(), 0);
    for (double t : {0.0, 1.0 - 0.001}) {
      moment.InterpolatePositions(states[size_t(i)], states[size_t(i) + 1], t);
      VisibleSet at(flags.size(), 0);
      AslRunContext run;
      run.buffer = &buffer;
      run.mesh = &moment;
      run.flags = &flags;
      run.visible = &at;
      run.setIds = s.setIds;
      run.out = s.out;
      run.err = s.err;
      buffer.Reset();
      AslPasses(run, GatherLiveTriangles(moment, flags.data(), int32_t(flags.size())), "");
      for (size_t id = 0; id < at.size(); id++)
        if (at[id]) seen[id] = 1;
    }
    sets[size_t(i)] = seen;
  }

  s.view.setMode(render_mode::kSuperPixelFootage);
  const std::string logPath = s.row->controlRun.log.Path();
  std::ofstream log(logPath);
  if (!log) *s.err << "ERROR: cannot write file: " << logPath << std::endl;
  int frame = 0;
  for (int i = 0; i < intervals; i++) {
    *s.visible = sets[size_t(i)];
    for (int k = 0; k < 100; k++) {
      const double x = i + k * kGenericControlStep;
      log << x << ":";
      for (size_t id = 0; id < s.visible->size(); id++)
        if ((*s.visible)[id]) log << id << ",";
      log << "\n";
      moment.InterpolatePositions(states[size_t(i)], states[size_t(i) + 1], x - i);
      s.view.redrawAndSave(layout::Frame(layout::ImageFolder("Control"), frame));
      *s.out << "Done with " << x << "/" << s.stateCount - 1 << std::endl;
      frame++;
    }
  }
  return frame;
}

}  // namespace

int ControlFrameSteps(bool movingCamera) { return movingCamera ? 500 : 200; }

int ControlRun(const ControlScene& s) {
  if (!Ready(s)) return -1;
  // The point scenes' run belongs to their own drivers.
  const ControlRunForm form = s.row->controlRun.form;
  if (form == ControlRunForm::kPoints) return -1;
  ObjLoader* drawn = s.drawn();
  if (drawn == nullptr) return -1;
  return form == ControlRunForm::kItemBuffers ? TwoEndRun(s, *drawn) : SampleBufferRun(s, *drawn);
}
