#include "DatasetReplays.h"

#include <fstream>

#include "Format.h"
#include "ObjLoader.h"
#include "WorkLayout.h"

namespace {

// A camera path's steps: the union set, then step i's id list shown at
// step i of the path, logged as "i:" and its ids.
int PathReplay(const DatasetReplayScene& s, const std::string& pattern, const std::string& unionSet,
               const std::string& logPath) {
  if (!std::ifstream(unionSet)) {
    *s.err << "ERROR: cannot read visible set " << unionSet << std::endl;
    return -1;
  }
  // One state stands still: only a scene of two moves between them.
  const std::vector<ObjLoader>& states = *s.states;
  ObjLoader* drawn = states.size() >= 2 && s.drawn ? s.drawn() : nullptr;
  std::vector<int32_t>& set = *s.visible;
  set.assign(s.flags->size(), 0);
  *s.out << ReadVisibleSet(set, unionSet, true, *s.out, *s.err) << " triangles visible along the path" << std::endl;
  std::ofstream log;
  if (!logPath.empty()) {
    log.open(logPath);
    if (!log) *s.err << "ERROR: cannot write file: " << logPath << std::endl;
  }
  // With the moving camera the second state is the scene as the path's end
  // sees it: the steps move the scene between the two states instead.
  s.view.setMode(render_mode::kShaded);
  int shown = 0;
  for (int i = 0; i < kReplaySteps; i++) {
    const std::string list = Format(pattern.c_str(), i);
    if (ReadIdList(list, &set, *s.err) < 0) break;
    if (drawn != nullptr)
      drawn->InterpolatePositions(states[0], states[1], double(i) / (kReplaySteps - 1));
    s.showOnly(set);
    s.view.redraw();
    if (log) WriteVisibilityLine(log, std::to_string(i), set.data(), int32_t(set.size()));
    *s.out << "Done with " << i << "/" << kReplaySteps << std::endl;
    shown++;
  }
  s.showAll();
  return shown;
}

// A stored set (the city's two-end reference) drawn while the states move.
int CityReplay(const DatasetReplayScene& s, const std::string& path) {
  if (s.states->size() < 2) {
    *s.out << "\"Play Visible triangles\": refused: the replay moves the scene between two "
              "states and it has "
           << s.states->size() << "; set it up with \"Switch Moving/Static Cam\" on" << std::endl;
    return -1;
  }
  if (!std::ifstream(path)) {
    *s.err << "ERROR: cannot read visible set " << path << "; run \"control\" first" << std::endl;
    return -1;
  }
  ObjLoader* drawn = s.drawn ? s.drawn() : nullptr;
  if (drawn == nullptr) return -1;
  std::vector<int32_t>& set = *s.visible;
  set.assign(s.flags->size(), 0);
  *s.out << ReadVisibleSet(set, path, true, *s.out, *s.err) << " loaded" << std::endl;
  s.showOnly(set);
  s.view.setMode(render_mode::kShaded);
  const std::string folder = layout::ImageFolder("GFB_result");
  for (int f = 0; f < kCityReplayFrames; f++) {
    drawn->InterpolatePositions((*s.states)[0], (*s.states)[1], double(f) / kCityReplayFrames);
    s.view.redrawAndSave(layout::Frame(folder, f));
    *s.out << "Done with state " << double(f) / kCityReplayFrames << "/1" << std::endl;
  }
  s.showAll();
  return kCityReplayFrames;
}

}  // namespace

int DatasetReplay(const DatasetReplayScene& s) {
  const ReplayMember& r = s.row->replay;
  switch (r.form) {
    case ReplayForm::kPathLists:
      return PathReplay(s, r.steps.Path(), r.set.Path(), r.log.Empty() ? "" : r.log.Path());
    case ReplayForm::kStateMotion:
      return CityReplay(s, r.set.Path());
    default:
      *s.out << "\"Play Visible triangles\": no stored replay for this scene" << std::endl;
      return -1;
  }
}
