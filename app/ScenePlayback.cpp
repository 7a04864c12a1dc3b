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
  v.setMode = [&s](int mode) { s.views.viewWindow->renderMode = mode; };
  v.redraw = [&s] { s.RedrawView(); };
  v.redrawAndSave = [&s](const std::string& path) { s.RedrawAndSave(path); };
  return v;
}

// Mode 10001 draws the moving copy for as long as the playback runs: the
// copy is made once the request is accepted, and forgotten at the end.
struct PlaybackStateGuard {
  Scene& scene;
  explicit PlaybackStateGuard(Scene& s) : scene(s) {}
  ~PlaybackStateGuard() { scene.views.playbackState = nullptr; }
  ObjLoader* Prepare() { return scene.views.playbackState = scene.PlaybackMesh(); }
};

}  // namespace

void Scene::RedrawAndSave(const std::string& path) {
  views.pendingFrame = path;
  RedrawView();
  if (!views.pendingFrame.empty()) {
    // The window did not draw (not shown): there is no frame to write.
    *errors << "ERROR: " << path << " not written: the view window did not draw" << std::endl;
    views.pendingFrame.clear();
  }
}

ObjLoader* Scene::PlaybackMesh() {
  if (loaded.baseMesh == nullptr) return nullptr;
  bool isState = loaded.drawMesh == nullptr || loaded.drawMesh == loaded.baseMesh;
  for (const ObjLoader& s : loaded.states) isState = isState || loaded.drawMesh == &s;
  if (!isState) return loaded.drawMesh;
  auto m = std::make_unique<ObjLoader>();
  m->ShareTopology(*loaded.baseMesh);
  // The colours stay those of the first state.
  m->colorScheme = loaded.baseMesh->colorScheme;
  m->lightDir = loaded.baseMesh->lightDir;
  m->normals = loaded.baseMesh->normals;
  m->vertexColors = loaded.baseMesh->vertexColors;
  m->triangleColors = loaded.baseMesh->triangleColors;
  m->groupColor = loaded.baseMesh->groupColor;
  m->texCoords = loaded.baseMesh->texCoords;
  m->baseHeights = loaded.baseMesh->baseHeights;
  loaded.ownDrawMesh = std::move(m);
  loaded.drawMesh = loaded.ownDrawMesh.get();
  return loaded.drawMesh;
}

void Scene::Play() {
  if (loaded.PointScene() && loaded.particleDrawState && !loaded.particleStates.empty()) {
    PointPlayback p;
    p.stateCount = loaded.stateCount;
    p.states = &loaded.particleStates;
    p.drawn = loaded.particleDrawState.get();
    p.pointIds = [this](size_t* pixels) -> const int32_t* {
      *pixels = std::min(buffers.pointIdBuffer.size(),
                         size_t(views.viewWindow->w) * size_t(views.viewWindow->h));
      return buffers.pointIdBuffer.data();
    };
    p.visibleFlags = &buffers.visibleFlags;
    p.interpolation = &loaded.interpolation;
    p.currentState = &views.currentState;
    p.frameSteps = &views.frameSteps;
    p.view = ViewOf(*this);
    p.imageFolder = layout::kTruthFrames;
    p.logPath = layout::kPointPlaybackLog;
    p.out = output;
    p.err = errors;
    PlayPoints(p);
    return;
  }
  if (loaded.baseMesh == nullptr || loaded.states.empty()) {
    *output << "\"Play\": no scene is set up; choose a scene and press \"Scene Setup\" first"
            << std::endl;
    return;
  }
  PlaybackStateGuard guard(*this);
  MeshPlayback p;
  p.stateCount = loaded.stateCount;
  p.states = &loaded.states;
  p.drawn = [this, &guard] {
    SampleBuffer(1);
    settings.frustumCulling = 0;
    return guard.Prepare();
  };
  p.interpolation = &loaded.interpolation;
  p.currentState = &views.currentState;
  p.frameSteps = &views.frameSteps;
  p.view = ViewOf(*this);
  p.imageFolder = layout::kTruthFrames;
  p.logPath = layout::kMeshPlaybackLog;
  p.out = output;
  p.err = errors;
  PlayMeshes(p);
}

void Scene::ReplayTable(const std::string& tablePath) {
  if (!AslSceneReady("Play Visible triangles")) return;
  if (loaded.baseMesh == nullptr || loaded.states.empty()) {
    *output << "\"Play Visible triangles\": the scene has no triangle states" << std::endl;
    return;
  }
  ReplayScene r;
  r.stateCount = loaded.stateCount;
  r.movingCamera = settings.movingCamera != 0;
  r.states = &loaded.states;
  r.drawn = [this] {
    SampleBuffer(1);
    return PlaybackMesh();
  };
  // Only the record of this scene's vertices and triangles may place them.
  KeyframeTrajectories* record = loaded.trajectories.get();
  if (settings.holdTrajectory && record != nullptr &&
      record->triangleCount == loaded.baseMesh->IdCount() &&
      record->vertexCount == loaded.baseMesh->vertexCount)
    r.trajectories = record;
  r.visible = &buffers.runVisibleSet;
  r.view = ViewOf(*this);
  r.logPath = layout::kReplayLog;
  r.out = output;
  r.err = errors;
  ReplayIntervalTable(r, tablePath);
}

void Scene::PlayVisibleTriangles() {
  const DatasetRow& row = FindDataset(loaded.dataset);
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
  if (loaded.states.empty()) {
    *output << "\"Play Visible triangles\": the scene has no triangle states" << std::endl;
    return;
  }
  PlaybackStateGuard guard(*this);
  DatasetReplayScene r;
  r.row = &row;
  r.states = &loaded.states;
  r.drawn = [&guard] { return guard.Prepare(); };
  r.flags = &buffers.drawFlags;
  r.visible = &buffers.runVisibleSet;
  r.view = ViewOf(*this);
  r.showOnly = [this](const std::vector<int32_t>& mask) { ShowOnlyMasked(mask); };
  r.showAll = [this] { ShowFullLists(); };
  r.out = output;
  r.err = errors;
  if (DatasetReplay(r) >= 0) RedrawView();
}

void Scene::SwitchTriangleLists() {
  if (!loaded.alternativeLists.held || loaded.drawMesh == nullptr) return;
  // A pair kept for another mesh would index past this one's groups.
  if (loaded.alternativeLists.groupCount != loaded.drawMesh->groupCount) {
    *output << "\"SWITCH!\": the kept lists have " << loaded.alternativeLists.groupCount
            << " groups, the drawn mesh " << loaded.drawMesh->groupCount << "; nothing exchanged"
            << std::endl;
    return;
  }
  ExchangeLists();
  RedrawView();
}

void Scene::ExchangeLists() {
  std::swap(loaded.drawMesh->groupTriangles, loaded.alternativeLists.triangles);
  std::swap(loaded.drawMesh->groupTriCount, loaded.alternativeLists.counts);
  std::swap(loaded.drawMesh->triangleCount, loaded.alternativeLists.triangleCount);
  loaded.alternativeLists.keepsFull = !loaded.alternativeLists.keepsFull;
}

void Scene::ShowFullLists() {
  if (loaded.alternativeLists.held && loaded.alternativeLists.keepsFull &&
      loaded.drawMesh != nullptr &&
      loaded.alternativeLists.groupCount == loaded.drawMesh->groupCount)
    ExchangeLists();
}

void Scene::ShowOnlyMasked(const std::vector<int32_t>& mask) {
  if (loaded.drawMesh == nullptr || mask.size() < size_t(loaded.drawMesh->IdCount())) return;
  ShowFullLists();
  std::vector<std::vector<uint32_t>> lists;
  std::vector<int32_t> counts;
  loaded.drawMesh->VisibleSubset(mask.data(), &lists, &counts);
  loaded.alternativeLists.held = true;
  loaded.alternativeLists.keepsFull = true;
  loaded.alternativeLists.groupCount = loaded.drawMesh->groupCount;
  loaded.alternativeLists.triangles = loaded.drawMesh->groupTriangles;
  loaded.alternativeLists.counts = loaded.drawMesh->groupTriCount;
  loaded.alternativeLists.triangleCount = loaded.drawMesh->triangleCount;
  int32_t total = 0;
  for (int32_t c : counts) total += c;
  // Groups beyond the reduced lists keep empty entries so that every
  // group index stays valid.
  lists.resize(std::max(lists.size(), size_t(std::max(loaded.drawMesh->groupCount, 0))));
  counts.resize(lists.size(), 0);
  loaded.drawMesh->groupTriangles.Assign(std::move(lists));
  loaded.drawMesh->groupTriCount.Assign(std::move(counts));
  loaded.drawMesh->triangleCount = total;
}
