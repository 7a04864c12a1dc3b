// The camera-path truth ("ASL_truth") on the measurement scene of a working
// directory written with "make-workdir --large" (Geometry/Large/state000.obj
// seen through Views/Large_default.ppc): the workbench's own run, views
// rendered through its view window, with the time per view split into the
// item buffer (identifier drawing and read-back), its decoding, the shaded
// frame, the flags and the line, and the TIFF write.
//
//   xvfb-run -a -s "-screen 0 2560x1440x24" build/bench/bench_path_truth <dir> [views]
//
// The run writes <dir>/ASL_Visibility/RTI_truth_1000.txt and
// <dir>/Images/Truth/<f>.tif like the button.
#include <FL/Fl.H>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "BenchSupport.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "PathTruth.h"
#include "Scene.h"
#include "WorkLayout.h"

int main(int argc, char** argv) {
  if (argc < 2 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: bench_path_truth <working directory> [views]\n");
    return 1;
  }
  const int views = argc > 2 ? std::atoi(argv[2]) : 1000;
  Scene scene;
  std::ostringstream quiet;
  scene.output = &quiet;
  scene.loaded.states = std::vector<ObjLoader>(1);
  const std::string file = layout::StateFile(layout::kLargeStates, 0);
  auto t0 = std::chrono::steady_clock::now();
  if (!scene.loaded.states[0].Load(file, nullptr)) {
    std::fprintf(stderr, "cannot load %s (make-workdir --large)\n", file.c_str());
    return 1;
  }
  std::printf("loaded %s in %.2f s: %d triangles\n", file.c_str(), Seconds(t0),
              scene.loaded.states[0].IdCount());
  scene.loaded.baseMesh = scene.loaded.drawMesh = &scene.loaded.states[0];
  scene.loaded.stateCount = 1;
  scene.loaded.triangleCount = scene.loaded.states[0].IdCount();
  scene.loaded.dataset = dataset::kTrianglePair;
  scene.views.viewCamera->Load(layout::kLargeCamera);
  scene.views.viewWindow->camera = scene.views.viewCamera.get();
  scene.views.viewWindow->show();
  for (int i = 0; i < 100 && !scene.views.viewWindow->visible(); i++) Fl::wait(0.05);
  // The first draw compiles the programs.
  scene.views.viewWindow->renderMode = render_mode::kItemBuffer;
  scene.RedrawView();

  PathTruthTiming timing;
  scene.views.truthTiming = &timing;
  scene.views.truthViews = views;
  t0 = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  scene.TruthRun();
  const double wall = Seconds(t0), used = CpuSeconds() - cpu;
  const int n = timing.views > 0 ? timing.views : 1;
  const TruthPassTimes& p = scene.views.truthTimes;
  std::printf("%d views in %.1f s (%.3f s per view; process CPU %.3f s per view)\n", timing.views,
              wall, wall / n, used / n);
  std::printf("per view: item buffer %.3f s, decode %.3f s, shaded frame %.3f s, draw overhead "
              "%.3f s, flags and line %.3f s, TIFF write %.3f s\n",
              p.itemBuffer / n, p.decode / n, p.shaded / n,
              (timing.render - p.itemBuffer - p.decode - p.shaded) / n, timing.flags / n,
              timing.save / n);
  std::printf("peak memory %.0f MB\n", PeakMB());

  // The views cut to what they can see give the item buffers of the whole
  // scene drawn.
  const PPC start = *scene.views.viewCamera;
  const std::vector<PPC> path = ExpandPath(PathTruthKeys(start), kPathTruthSegments);
  for (int f : {0, 150, 450, 900}) {
    *scene.views.viewCamera = path[size_t(f)];
    scene.views.truthDraw = true;
    scene.RedrawView();
    const std::vector<int32_t> cut = scene.buffers.itemBuffer;
    scene.views.truthDraw = false;
    scene.views.viewWindow->renderMode = render_mode::kItemBuffer;
    scene.RedrawView();
    size_t differ = 0, seen = 0;
    for (size_t i = 0; i < cut.size(); i++) {
      differ += cut[i] != scene.buffers.itemBuffer[i];
      seen += cut[i] >= 0;
    }
    std::printf("view %d: %zu pixels of triangles, %zu differ from the uncut drawing\n", f, seen,
                differ);
  }
  *scene.views.viewCamera = start;
  scene.views.truthScratch.reset();
  return 0;
}
