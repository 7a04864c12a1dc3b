// "Play", "Play Visible triangles" and "SWITCH!": unpack the Scene for the
// playback drivers (evaluation/Playback.h).
#include <iostream>

#include "DatasetReplays.h"
#include "DatasetTable.h"
#include "FrameBuffer.h"
#include "KeyframeTrajectories.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Playback.h"
#include "Scene.h"
#include "TiffIO.h"
#include "WorkLayout.h"

namespace {

PlaybackView ViewOf(Scene& s) {
  PlaybackView v;
  v.setMode = [&s](int mode) { s.viewWindow->renderMode = mode; };
  v.redraw = [&s] { s.RedrawView(); };
  v.redrawAndSave = [&s](const std::string& path) { s.RedrawAndSave(path); };
  return v;
}

// Mode 10001 draws the moving copy for as long as the playback runs: the
// copy is made once the request is accepted, and forgotten at the end.
struct PlaybackStateGuard {
  Scene& scene;
  explicit PlaybackStateGuard(Scene& s) : scene(s) {}
  ~PlaybackStateGuard() { scene.playbackState = nullptr; }
  ObjLoader* Prepare() { return scene.playbackState = scene.PlaybackMesh(); }
};

}  // namespace

void Scene::RedrawAndSave(const std::string& path) {
  pendingFrame = path;
  RedrawView();
  if (!pendingFrame.empty()) {
    // The window did not draw (not shown): there is no frame to write.
    *errors << "ERROR: " << path << " not written: the view window did not draw" << std::endl;
    pendingFrame.clear();
  }
}

ObjLoader* Scene::PlaybackMesh() {
  if (baseMesh == nullptr) return nullptr;
  bool isState = drawMesh == nullptr || drawMesh == baseMesh;
  for (const ObjLoader& s : states) isState = isState || drawMesh == &s;
  if (!isState) return drawMesh;
  auto m = std::make_unique<ObjLoader>();
  m->ShareTopology(*baseMesh);
  // The colours stay those of the first state.
  m->colorScheme = baseMesh->colorScheme;
  m->lightDir = baseMesh->lightDir;
  m->normals = baseMesh->normals;
  m->vertexColors = baseMesh->vertexColors;
  m->triangleColors = baseMesh->triangleColors;
  m->groupColor = baseMesh->groupColor;
  m->texCoords = baseMesh->texCoords;
  m->baseHeights = baseMesh->baseHeights;
  ownDrawMesh = std::move(m);
  drawMesh = ownDrawMesh.get();
  return drawMesh;
}

void Scene::Play() {
  if (sceneId == dataset::kPoints && particleDrawState && !particleStates.empty()) {
    PointPlayback p;
    p.stateCount = stateCount;
    p.states = &particleStates;
    p.drawn = particleDrawState.get();
    p.pointIds = [this](size_t* pixels) -> const int32_t* {
      *pixels = std::min(pointIdBuffer.size(), size_t(viewWindow->w) * size_t(viewWindow->h));
      return pointIdBuffer.data();
    };
    p.visibleFlags = &visibleFlags;
    p.interpolation = &interpolation;
    p.currentState = &currentState;
    p.frameSteps = &frameSteps;
    p.view = ViewOf(*this);
    p.imageFolder = layout::kTruthFrames;
    p.logPath = layout::kPointPlaybackLog;
    p.out = output;
    p.err = errors;
    PlayPoints(p);
    return;
  }
  if (baseMesh == nullptr || states.empty()) {
    *output << "\"Play\": no scene is set up; choose a scene and press \"Scene Setup\" first"
            << std::endl;
    return;
  }
  PlaybackStateGuard guard(*this);
  MeshPlayback p;
  p.stateCount = stateCount;
  p.states = &states;
  p.drawn = [this, &guard] {
    SampleBuffer(1);
    frustumCulling = 0;
    return guard.Prepare();
  };
  p.interpolation = &interpolation;
  p.currentState = &currentState;
  p.frameSteps = &frameSteps;
  p.view = ViewOf(*this);
  p.imageFolder = layout::kTruthFrames;
  p.logPath = layout::kMeshPlaybackLog;
  p.out = output;
  p.err = errors;
  PlayMeshes(p);
}

void Scene::ReplayTable(const std::string& tablePath) {
  if (!AslSceneReady("Play Visible triangles")) return;
  if (baseMesh == nullptr || states.empty()) {
    *output << "\"Play Visible triangles\": the scene has no triangle states" << std::endl;
    return;
  }
  ReplayScene r;
  r.stateCount = stateCount;
  r.movingCamera = movingCamera != 0;
  r.states = &states;
  r.drawn = [this] {
    SampleBuffer(1);
    return PlaybackMesh();
  };
  // Only the record of this scene's vertices and triangles may place them.
  KeyframeTrajectories* record = trajectories.get();
  if (holdTrajectory && record != nullptr && record->triangleCount == baseMesh->IdCount() &&
      record->vertexCount == baseMesh->vertexCount)
    r.trajectories = record;
  r.visible = &runVisibleSet;
  r.view = ViewOf(*this);
  r.logPath = layout::kReplayLog;
  r.out = output;
  r.err = errors;
  ReplayIntervalTable(r, tablePath);
}

void Scene::PlayVisibleTriangles() {
  const DatasetRow& row = FindDataset(sceneId);
  switch (row.replay.form) {
    case ReplayForm::kPoints:
      PlayPointSceneReplay();  // ScenePointScenes.cpp
      return;
    case ReplayForm::kTable:
      ReplayTable(layout::ReplayTable(1));
      return;
    default:
      break;
  }
  if (!AslSceneReady("Play Visible triangles")) return;
  if (states.empty()) {
    *output << "\"Play Visible triangles\": the scene has no triangle states" << std::endl;
    return;
  }
  PlaybackStateGuard guard(*this);
  DatasetReplayScene r;
  r.row = &row;
  r.states = &states;
  r.drawn = [&guard] { return guard.Prepare(); };
  r.flags = &drawFlags;
  r.visible = &runVisibleSet;
  r.view = ViewOf(*this);
  r.showOnly = [this](const std::vector<int32_t>& mask) { ShowOnlyMasked(mask); };
  r.showAll = [this] { ShowFullLists(); };
  r.out = output;
  r.err = errors;
  if (DatasetReplay(r) >= 0) RedrawView();
}

void Scene::SwitchTriangleLists() {
  if (!alternativeLists.held || drawMesh == nullptr) return;
  // A pair kept for another mesh would index past this one's groups.
  if (alternativeLists.groupCount != drawMesh->groupCount) {
    *output << "\"SWITCH!\": the kept lists have " << alternativeLists.groupCount
            << " groups, the drawn mesh " << drawMesh->groupCount << "; nothing exchanged"
            << std::endl;
    return;
  }
  ExchangeLists();
  RedrawView();
}

void Scene::ExchangeLists() {
  std::swap(drawMesh->groupTriangles, alternativeLists.triangles);
  std::swap(drawMesh->groupTriCount, alternativeLists.counts);
  std::swap(drawMesh->triangleCount, alternativeLists.triangleCount);
  alternativeLists.keepsFull = !alternativeLists.keepsFull;
}

void Scene::ShowFullLists() {
  if (alternativeLists.held && alternativeLists.keepsFull && drawMesh != nullptr &&
      alternativeLists.groupCount == drawMesh->groupCount)
    ExchangeLists();
}

void Scene::ShowOnlyMasked(const std::vector<int32_t>& mask) {
  if (drawMesh == nullptr || mask.size() < size_t(drawMesh->IdCount())) return;
  ShowFullLists();
  std::vector<std::vector<uint32_t>> lists;
  std::vector<int32_t> counts;
  drawMesh->VisibleSubset(mask.data(), &lists, &counts);
  alternativeLists.held = true;
  alternativeLists.keepsFull = true;
  alternativeLists.groupCount = drawMesh->groupCount;
  alternativeLists.triangles = drawMesh->groupTriangles;
  alternativeLists.counts = drawMesh->groupTriCount;
  alternativeLists.triangleCount = drawMesh->triangleCount;
  int32_t total = 0;
  for (int32_t c : counts) total += c;
  // Groups beyond the reduced lists keep empty entries so that every
  // group index stays valid.
  lists.resize(std::max(lists.size(), size_t(std::max(drawMesh->groupCount, 0))));
  counts.resize(lists.size(), 0);
  drawMesh->groupTriangles.Assign(std::move(lists));
  drawMesh->groupTriCount.Assign(std::move(counts));
  drawMesh->triangleCount = total;
}
