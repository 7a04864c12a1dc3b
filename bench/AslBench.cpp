// ASL and its supersampled reference on a large scene: times of the three
// ASL passes, samples added, the factor-32 reference (time and peak
// memory) and the triangle raster's throughput.
//
//   bench_asl [state.obj camera.ppc]
//
// Without arguments a scene of about 1,000,000 small triangles in a
// 1280 x 720 view is generated in memory. The camera file is read as a path
// (no folder prefix).
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "AslReference.h"
#include "AslRun.h"
#include "BenchSupport.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SoftwareRaster.h"

namespace {

// About n small triangles spread through the view frustum, one to a few
// pixels each, so most are near or below pixel size.
void GenerateScene(ObjLoader& mesh, const PPC& cam, int n) {
  uint32_t s = 20240601u;
  auto rnd = [&]() {
    s = s * 1664525u + 1013904223u;
    return float(s >> 8) / 16777216.0f;
  };
  const float f = cam.FocalLength();
  std::vector<uint32_t> list;
  for (int i = 0; i < n; i++) {
    const float d = 1.3f * cam.zNear + rnd() * 4 * cam.zNear;
    const float u = (rnd() - 0.5f) * cam.w, v = (rnd() - 0.5f) * cam.h;
    const Vex3_quarn c(u * d / f, v * d / f, -d);
    const float size = (0.3f + 2.5f * rnd()) * d / f;  // pixels at that depth
    for (int k = 0; k < 3; k++) {
      list.push_back(uint32_t(mesh.positions.size()));
      mesh.positions.push_back(
          c + Vex3_quarn((rnd() - 0.5f) * size, (rnd() - 0.5f) * size, (rnd() - 0.5f) * size));
    }
  }
  mesh.vertexCount = int32_t(mesh.positions.size());
  mesh.groupCount = 1;
  mesh.triangleCount = n;
  mesh.groupTriangles.Assign({list});
  mesh.groupTriCount.Assign({n});
  mesh.groupMaterial.Assign({1});
  mesh.AssignIds(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  PPC cam(55, 1280, 720);
  ObjLoader mesh;
  mesh.shadingMode = shading::kFlat;
  if (argc >= 3) {
    if (!mesh.Load(argv[1], nullptr) || !cam.LoadFromFile(argv[2])) {
      std::cerr << "cannot read " << argv[1] << " or " << argv[2] << std::endl;
      return 1;
    }
    cam.Resize(1280, 720);
  } else {
    GenerateScene(mesh, cam, 1000000);
  }
  cam.SetGLAndCache();
  const int32_t n = mesh.IdCount();
  std::printf("scene: %d triangles, view %d x %d\n", n, cam.w, cam.h);
  std::ostringstream quiet;

  // Triangle raster throughput at factor 1.
  {
    std::vector<int32_t> ids(size_t(cam.w) * cam.h, -1);
    std::vector<float> depth(ids.size(), 2.0f);
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = CpuSeconds();
    TriangleRaster(mesh, ids.data(), cam, depth.data(), 1, nullptr, quiet);
    const double t = Seconds(t0), c = CpuSeconds() - c0;
    std::printf("triangle raster, factor 1: %.3f s (%.3f s processor), %.2f M triangles/s\n", t,
                c, n / t / 1e6);
  }

  // Factor-32 reference in bands.
  double referenceSeconds = 0;
  std::vector<int32_t> reference(size_t(n), 1);
  {
    std::vector<int32_t>& flags = reference;
    VisibleSet unionSet;
    const double before = PeakMB();
    const double c0 = CpuSeconds();
    const ReferenceReport r =
        AslReference(mesh, cam, 32, flags, &unionSet, "bench_reference_32.bin", quiet);
    referenceSeconds = r.seconds;
    std::printf(
        "reference, factor 32: %.2f s (%.2f s processor), %d visible, band buffers %.0f MB, "
        "peak memory %.0f MB (%.0f MB before)\n",
        r.seconds, CpuSeconds() - c0, r.visible, r.bandBytes / 1048576.0, PeakMB(), before);
    std::remove("bench_reference_32.bin");
  }

  // The plain ASL run: buffer at the view's size, culling, three passes.
  {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = CpuSeconds();
    SampleLocationBuffer buffer(cam.w, cam.h);
    buffer.SetCamera(cam);
    std::vector<int32_t> flags(size_t(n), 1);
    VisibleSet visible(size_t(n), 0);
    AslRunContext run;
    run.buffer = &buffer;
    run.mesh = &mesh;
    run.flags = &flags;
    run.visible = &visible;
    run.out = &quiet;
    const AslRunReport r = AslPlainRun(run, "bench_asl.bin", "");
    const double total = Seconds(t0), cpu = CpuSeconds() - c0;
    std::remove("bench_asl.bin");
    std::printf(
        "ASL plain run: %.2f s in all, %.2f s processor (centre pass %.2f s, placement %.2f s, "
        "final pass %.2f s)\n",
        total, cpu, r.centreSeconds, r.placementSeconds, r.finalSeconds);
    std::printf("ASL: %lld samples added, %d visible (%d from pixel centres alone), culled %d\n",
                static_cast<long long>(r.samplesAdded), r.visible, r.centreVisible, r.culled);
    std::printf("ASL time / reference time: %.3f\n", total / referenceSeconds);
    // Against the reference: triangles it finds that ASL misses, and the
    // other way round.
    int32_t inReference = 0, missed = 0, extra = 0;
    for (int32_t i = 0; i < n; i++) {
      const bool ref = reference[size_t(i)] == 1, asl = visible[size_t(i)] == 1;
      inReference += ref;
      missed += ref && !asl;
      extra += asl && !ref;
    }
    std::printf("ASL against the reference: %d of %d missed (%.3f %%), %d not in it\n", missed,
                inReference, inReference > 0 ? 100.0 * missed / inReference : 0.0, extra);
    std::printf("peak memory of the process: %.0f MB\n", PeakMB());
  }
  return 0;
}
