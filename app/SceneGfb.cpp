// "GFB_DBG": the interval visibility runs on the loaded scene. Unpacks the
// Scene and dispatches by its dataset number (the sceneId after setup).
#include <fstream>
#include <iostream>

#include "Format.h"
#include "Frustum.h"
#include "IntervalRuns.h"
#include "KeyframeTrajectories.h"
#include "KeyframedMotion.h"
#include "ObjLoader.h"
#include "Scene.h"

namespace {

using namespace dataset;

// The city scene's output name: its view when one was chosen on the panel.
std::string CityName(int view, bool* chosen) {
  *chosen = view == 1 || view == 2;
  if (view == 1) return "Manhattan_downtown_visibility";
  if (view == 2) return "Manhattan_midtown_visibility";
  return "Manhattan_visibility";
}

}  // namespace

void Scene::GfbDbg() {
  if (!AslSceneReady("GFB_DBG")) return;
  if (sceneId == kPoints) {
    IntervalRunScene none;
    PointSceneRun(none);
    return;
  }
  if (states.empty()) {
    std::cout << "\"GFB_DBG\": the scene has no triangle states" << std::endl;
    return;
  }
  // The interval lies between the first two states. A scene loaded with one
  // state (the object-list scenes without their camera path, the terrain)
  // stands still over it.
  const ObjLoader* second = &states[0];
  if (states.size() >= 2 && states[1].positions.size() == states[0].positions.size())
    second = &states[1];
  else
    std::cout << "\"GFB_DBG\": the scene has one state; its triangles stand still over the "
                 "interval"
              << std::endl;

  SampleLocationBuffer& buffer = SampleBuffer(1);
  // Timelines left by a run on another scene name that scene's triangles:
  // they are dropped before this scene's run adds to the buffer.
  const std::string key = Format("%s|%d|%d|%d", dataPath.c_str(), firstStateNumber, stateCount,
                                 triangleCount);
  if (intervalTimelineScene != key) {
    if (!intervalTimelineScene.empty()) buffer.Reset();
    intervalTimelineScene = key;
  }
  if (!intervalRunLog) intervalRunLog = std::make_unique<std::ofstream>("ASL_Visibility/log2.txt");
  const Frustum frustum = Frustum::FromMatrices(buffer.camera->Matrices());

  IntervalRunScene run;
  run.buffer = &buffer;
  run.frustum = &frustum;
  run.first = &states[0];
  run.second = second;
  run.triangleCount = triangleCount;
  run.liveFlags = &drawFlags;
  run.unionSet = &runVisibleSet;
  run.dataset = sceneId;
  run.frustumCulling = frustumCulling != 0;
  run.runLog = intervalRunLog.get();
  run.in = input;
  KeyframeTrajectories* trajectories = GlobalTrajectories();
  // The record must be of this scene's vertices and triangles; another
  // scene's tracks would move other vertices.
  if (trajectories && (trajectories->triangleCount != baseMesh->IdCount() ||
                       trajectories->vertexCount != baseMesh->vertexCount))
    trajectories = nullptr;
  if (trajectories && holdTrajectory) {
    run.keyframedMotion = [trajectories](double t0, double t1) -> std::unique_ptr<MotionSource> {
      return std::make_unique<KeyframedMotion>(*trajectories, t0, t1);
    };
  }

  if (sceneId == kRti || sceneId == kRtiSubdivided) {
    IntervalTrial(run);
    return;
  }
  if (sceneId == kGrassField || sceneId == kForest || sceneId == kManhattan) {
    std::string name = sceneId == kGrassField ? "Grassfield_visibility" : "Forest_visibility";
    if (sceneId == kManhattan) {
      bool chosen = false;
      name = CityName(viewNumber, &chosen);
      std::cerr << (chosen ? "no haha!" : "haha!") << std::endl;
    }
    frustumCulling = 1;
    SubIntervalRun(run, name);
    return;
  }

  if (trajectories) {
    run.keyframeBox = [trajectories](int32_t t, AABB* box) {
      return KeyframeBox(*trajectories, t, box);
    };
  }
  // From here on positions come from the two states.
  run.keyframedMotion = nullptr;
  holdTrajectory = 0;
  VisibleSet result;
  FullIntervalRun(run, &result);
  // The replay of the result ("Play Visible triangles").
  PlayVisibleTriangles();
}
