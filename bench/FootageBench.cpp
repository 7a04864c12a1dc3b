// "Evaluate Error 2013" at scale: `bench_footage [quads per side] [frames]
// [folder]` evaluates a stored set (every other triangle) of a rolling
// sheet of 2 x n x n triangles (default n = 708, about 1,000,000) along
// the first frames of the evaluation path at 1280 x 720 and prints the
// time per frame split into raster, TIFF write and counting.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "BenchSupport.h"
#include "Footage.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "Surfaces.h"
#include "VisibleSet.h"

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 708;
  const int frames = argc > 2 ? std::atoi(argv[2]) : 40;
  const std::string folder = argc > 3 ? argv[3] : "/tmp/bench_footage";
  if (n < 1 || frames < 1 ||
      std::system(("mkdir -p '" + folder + "/Views' '" + folder + "/FootageVisibility' '" + folder +
                   "/Images/Diff'")
                      .c_str()) != 0 ||
      chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "cannot prepare %s\n", folder.c_str());
    return 1;
  }
  ObjLoader mesh;
  RollingSheet(n, &mesh);

  PPC view(55, 1280, 720);
  view.PositionAndOrient({0, -9000, 9000}, {0, 1, -1}, {0, 0, 1});
  view.SaveToFile("Views/bench_view.ppc");
  std::vector<int32_t> half(size_t(mesh.IdCount()), 0);
  for (size_t i = 0; i < half.size(); i += 2) half[i] = 1;
  WriteVisibleSet(half, "FootageVisibility/bench_set.bin", std::cout, std::cerr);

  DatasetRow row = FindDataset(dataset::kForest);
  FootageView& v = row.footage.views[0];
  v.camera = "bench_view.ppc";
  v.footageSet[0] = {layout::Folder::kFootage, "bench_set.bin"};
  v.evaluationSet[0] = FileRef();
  v.evaluationFolder[0] = "Diff";
  std::vector<int32_t> flags(half.size(), 1);
  VisibleSet visible;
  PPC camera = view;
  SampleLocationBuffer buffer(view.w, view.h);
  FootageTiming timing;
  std::ostringstream out, err;
  FootageScene s;
  s.row = &row;
  s.dataset = dataset::kForest;
  s.mesh = &mesh;
  s.flags = &flags;
  s.visible = &visible;
  s.viewCamera = &camera;
  s.sampleBuffer = [&]() -> SampleLocationBuffer& {
    buffer.SetCamera(camera);
    return buffer;
  };
  s.timing = &timing;
  s.frameLimit = frames;
  s.out = &out;
  s.err = &err;
  std::printf("%d triangles, %d frames at 1280 x 720\n", mesh.triangleCount, frames);
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  EvaluateFootageError(s);
  const double wall = Seconds(t0), cpu = CpuSeconds() - c0;
  const double f = std::max(timing.frames, 1);
  std::printf("  per frame: raster %.3f s, TIFF write %.3f s, counting %.4f s; whole %.3f s wall "
              "(%.3f s processor, including the set, camera and culling)\n",
              timing.raster / f, timing.write / f, timing.count / f, wall / f, cpu / f);
  std::printf("  peak memory %.0f MB\n", PeakMB());
  return std::system(("rm -rf '" + folder + "'").c_str()) == 0 ? 0 : 1;
}
