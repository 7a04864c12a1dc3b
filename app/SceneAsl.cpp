// "ASL", "ASL with Factor" and "ASL Control": unpack the Scene and run the
// still-frame visibility method or its supersampled reference.
#include <FL/Fl.H>

#include <iostream>

#include "AslReference.h"
#include "AslRun.h"
#include "Format.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "Scene.h"
#include "VisibleSetFrames.h"

namespace {

using namespace dataset;
// Largest sample buffer a factor run may create (pixels); beyond it the
// per-pixel records alone would not fit in memory.
constexpr double kMaxBufferPixels = 64.0 * 1024 * 1024;

bool IsTerrain(int id) { return id == kRti || id == kRtiSubdivided; }

// Name of the factor and plain run outputs; carries the view where the
// scene has two.
std::string AslSceneName(int sceneId, int view) {
  switch (sceneId) {
    case kForest: return "Forest_ASL_exp";
    case kGrassField: return view == 2 ? "Grass_ASL_exp_Lower" : "Grass_ASL_exp_Higher";
    case kManhattan: return view == 2 ? "Manhattan_ASL_exp_midtown" : "Manhattan_ASL_exp_downtown";
    case kWtc: return view == 1 ? "WTC_ASL_exp_Outside" : "WTC_ASL_exp_Reverse";
    default: return "Whoknowswhat";
  }
}

std::string TerrainAslPath(int view, int column, int row) {
  return view == 1 ? Format("ASL_Visibility/RTI_ASL_exp_90DegreeView_%d_%d.bin", column, row)
                   : Format("ASL_Visibility/RTI_ASL_exp_45DegreeView_%d_%d.bin", column, row);
}

}  // namespace

bool Scene::AslSceneReady(const char* label) {
  const bool points = sceneId == kPoints && triangleCount > 0;
  if ((baseMesh != nullptr && triangleCount > 0) || points) {
    if (drawFlags.size() < size_t(triangleCount)) drawFlags.resize(size_t(triangleCount), 1);
    if (runVisibleSet.size() != size_t(triangleCount))
      runVisibleSet.assign(size_t(triangleCount), 0);
    return true;
  }
  std::cout << "\"" << label
            << "\": no scene is set up; choose a scene and press \"Scene Setup\" first"
            << std::endl;
  return false;
}

SampleLocationBuffer& Scene::SampleBuffer(double factor) {
  if (!sampleBuffer) {
    sampleBuffer = std::make_unique<SampleLocationBuffer>(int32_t(viewCamera->w * factor),
                                                          int32_t(viewCamera->h * factor));
  }
  // The buffer keeps its size; its camera follows the view, so a run
  // always belongs to the view the window shows.
  sampleBuffer->SetCamera(*viewCamera);
  bufferEye = viewCamera->eye;
  return *sampleBuffer;
}

AslRunContext Scene::AslContext(SampleLocationBuffer& buffer) {
  AslRunContext run;
  run.buffer = &buffer;
  run.mesh = drawMesh != nullptr ? drawMesh : baseMesh;
  run.flags = &drawFlags;
  run.visible = &runVisibleSet;
  run.dataset = sceneId;
  return run;
}

void Scene::ShowVisibleSet() {
  viewWindow->renderMode = render_mode::kVisibleSet;
  RedrawView();
}

void Scene::Asl() {
  if (!AslSceneReady("ASL")) return;
  if (sceneId == kPoints) {
    std::cout << "\"ASL\": the point-scene form is not available in this build yet" << std::endl;
    return;
  }
  if (sceneId == kManhattan && viewNumber == 2) {
    // The panorama's stored sets, united.
    for (int i = 1; i <= 5; i++)
      ReadVisibleSet(runVisibleSet, Format("ASL_Visibility/Final/Manhattan/Midtown/%d.bin", i),
                     i == 1);
    ShowVisibleSet();
    return;
  }
  SampleLocationBuffer& buffer = SampleBuffer(1);
  const AslRunContext run = AslContext(buffer);
  if (IsTerrain(sceneId)) {
    AslTerrainRun(run, TerrainAslPath(viewNumber, cellColumn, cellRow), cellColumn, cellRow);
    ShowVisibleSet();
    return;
  }
  AslPlainRun(run, AslPlainPath(AslSceneName(sceneId, viewNumber)));
  ShowVisibleSet();
  WriteVisibleSetFrames(*run.mesh, runVisibleSet, *viewCamera, "Images/ASL/");
}

void Scene::AslWithFactor(double factor) {
  if (!AslSceneReady("ASL with Factor")) return;
  if (sceneId == kPoints) {
    std::cout << "\"ASL with Factor\": the point-scene form is not available in this build yet"
              << std::endl;
    return;
  }
  if (!(factor > 0) ||
      (!sampleBuffer && double(viewCamera->w) * viewCamera->h * factor * factor > kMaxBufferPixels)) {
    std::cout << "\"ASL with Factor\": factor " << factor
              << " refused (the sample buffer must have at least one and at most "
              << kMaxBufferPixels << " pixels)" << std::endl;
    return;
  }
  SampleLocationBuffer& buffer = SampleBuffer(factor);
  const AslRunContext run = AslContext(buffer);
  if (sceneId == kManhattan && viewNumber == 2) {
    AslPanoramaRun(run, "Final_views/Manhattan_midtown", viewCamera.get());
  } else if (IsTerrain(sceneId)) {
    AslTerrainRun(run, TerrainAslPath(viewNumber, cellColumn, cellRow), cellColumn, cellRow);
  } else {
    AslFactorRun(run, AslFactorPath(AslSceneName(sceneId, viewNumber), factor));
  }
  ShowVisibleSet();
}

void Scene::AslControl() {
  if (!AslSceneReady("ASL Control")) return;
  if (sceneId == kPoints) {
    AslPointControl();
    return;
  }
  const ObjLoader& mesh = drawMesh != nullptr ? *drawMesh : *baseMesh;
  switch (sceneId) {
    case kWtc:
      AslReference(mesh, *viewCamera, 32, drawFlags, &runVisibleSet,
                   viewNumber == 1 ? "ASL_Visibility/WTC_asl_Outside_control_32.bin"
                                   : "ASL_Visibility/WTC_asl_Reverse_control_32.bin");
      break;
    case kRti:
    case kRtiSubdivided: {
      // Each view starts from the flags the scene had, not from the set the
      // first view left in them.
      const std::vector<int32_t> flags = drawFlags;
      const char* views[2][2] = {
          {"Final_views/RTI_90Degree_view.ppc", "ASL_Visibility/RTI_asl_90Degree_control_32.bin"},
          {"Final_views/RTI_45Degree_view.ppc", "ASL_Visibility/RTI_asl_45Degree_control_32.bin"}};
      for (const auto& v : views) {
        PPC cam = *viewCamera;
        if (!cam.Load(v[0])) {
          std::cerr << "ERROR: could not read camera Views/" << v[0] << "; view skipped"
                    << std::endl;
          continue;
        }
        cam.Resize(viewCamera->w, viewCamera->h);
        drawFlags = flags;
        AslReference(mesh, cam, 32, drawFlags, &runVisibleSet, v[1]);
      }
      break;
    }
    case kGrassField:
      AslReference(mesh, *viewCamera, 32, drawFlags, &runVisibleSet,
                   viewNumber == 2 ? "ASL_Visibility/Grass_asl_lowerview_control_32.txt"
                                   : "ASL_Visibility/Grass_asl_Higherview_control_32.txt");
      RedrawView();  // drawFlags now hold only the visible triangles
      break;
    case kForest:
      AslReference(mesh, *viewCamera, 2, drawFlags, &runVisibleSet, "ASL_Visibility/Forest_2X.txt");
      WriteVisibleSetFrames(mesh, drawFlags, *viewCamera, "Images/Control/");
      break;
    default: {
      SampleLocationBuffer& buffer = SampleBuffer(1);
      CentreSampleReference(AslContext(buffer),
                            Format("ASL_Visibility/%s_control.txt",
                                   AslSceneName(sceneId, viewNumber).c_str()));
      WriteVisibleSetFrames(mesh, runVisibleSet, *viewCamera, "Images/Control/");
      break;
    }
  }
}

void Scene::AslPointControl() {
  std::cout << "Radius is " << radius << std::endl;
  if (!particleDrawState || particleDrawState->positions.empty()) {
    std::cout << "\"ASL Control\": no point set is loaded" << std::endl;
    return;
  }
  const ParticleSet& points = *particleDrawState;
  PointSetView view;
  view.count = int32_t(points.positions.size());
  view.points = points.positions.data();
  ParticleReference(view, *viewCamera, float(radius), drawFlags, &runVisibleSet,
                    "ASL_Visibility/Fusion_asl_control_32.bin");
}
