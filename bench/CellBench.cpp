// "Subdivide Geometry" at scale: `bench_cells [quads per side] [folder]`
// cuts a rolling sheet of 2 x n x n triangles (default n = 708, about
// 1,000,000 triangles) seen at 45 degrees into its nine image cells and
// prints the time of the projection and of the subdivision.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "BenchSupport.h"
#include "CellSubdivision.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "PPCd.h"
#include "Surfaces.h"

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 708;
  const std::string folder = std::string(argc > 2 ? argv[2] : "/tmp") + "/";
  ObjLoader mesh;
  RollingSheet(n, &mesh);

  PPC view(55, 1280, 720);
  view.PositionAndOrient({0, -9000, 9000}, {0, 1, -1}, {0, 0, 1});
  PPCd cam;
  cam.a = Vex3_quarnd(view.a);
  cam.b = Vex3_quarnd(view.b);
  cam.corner = Vex3_quarnd(view.corner);
  cam.eye = Vex3_quarnd(view.eye);
  cam.w = view.w;
  cam.h = view.h;
  cam.zNear = 10;
  cam.zFar = 100000;
  cam.Rebuild();
  std::printf("%d triangles, %d vertices\n", mesh.triangleCount, mesh.vertexCount);

  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  std::vector<CellImagePoint> image(mesh.positions.size());
  for (size_t i = 0; i < image.size(); i++) {
    double u, v, s;
    if (cam.Project(Vex3_quarnd(mesh.positions[i]), &u, &v, &s)) image[i] = {float(u), float(v), true};
  }
  const double projected = Seconds(t0);
  std::ostringstream out, err;
  const std::vector<CellResult> cells = SubdivideIntoCells(mesh, image, CellGrid(), folder, out, err);
  std::printf("  projection %.3f s, whole subdivision %.3f s (%.3f s processor)\n", projected,
              Seconds(t0), CpuSeconds() - c0);
  int64_t written = 0;
  for (const CellResult& c : cells) written += c.triangles;
  std::printf("  %lld triangles written to the nine cells%s\n", (long long)written,
              err.str().empty() ? "" : "; some files could not be written");
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) {
      std::remove((folder + "RTI_" + std::to_string(r) + "_" + std::to_string(c) + ".bin").c_str());
      std::remove((folder + "RTI_triangleCorrespondency_" + std::to_string(r) + "_" +
                   std::to_string(c) + ".bin")
                      .c_str());
    }
  return 0;
}
