// The point scenes: "Water Flow" (a fountain whose drops rise, fall back
// and start again, over a still pool) and "Fusion" (two clouds of points
// that meet and merge into one swirling cloud). The loader multiplies every
// coordinate by 100, so the files hold world units / 100.
#include <algorithm>
#include <cmath>

#include "Format.h"
#include "GenContext.h"
#include "IdRaster.h"
#include "MeshText.h"
#include "Scenes.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

constexpr float kFileScale = 100;

std::vector<Vex3_quarn> Fountain(int frame) {
  std::vector<Vex3_quarn> p;
  const int drops = 5000, pool = 1200;
  const float period = 30, g = 0.06f;
  for (int i = 0; i < drops; i++) {
    const float phase = Hash01(3 * i + 1), dir = 2 * float(M_PI) * Hash01(3 * i + 2);
    const float speed = 0.08f + 0.1f * Hash01(3 * i + 3), up = 0.8f + 0.25f * Hash01(5 * i + 7);
    const float age = std::fmod(frame / period + phase, 1.0f) * period;
    p.push_back({speed * age * std::cos(dir), speed * age * std::sin(dir),
                 std::max(0.0f, up * age - 0.5f * g * age * age)});
  }
  for (int i = 0; i < pool; i++) {
    const float r = 6 * std::sqrt(Hash01(7 * i + 11)), a = 2 * float(M_PI) * Hash01(7 * i + 12);
    p.push_back({r * std::cos(a), r * std::sin(a), 0.1f * std::sin(r * 2 - frame * 0.4f)});
  }
  return p;
}

std::vector<Vex3_quarn> Clouds(int frame, int frames) {
  std::vector<Vex3_quarn> p;
  const int each = 3000;
  const float t = float(frame) / (frames - 1);
  for (int c = 0; c < 2; c++) {
    const float side = c ? 1.0f : -1.0f;
    for (int i = 0; i < each; i++) {
      const uint32_t k = 4 * (c * each + i);
      // A point of a ball of radius 6, swirled about z as the clouds meet.
      const float u = Hash01(k + 1) * 2 - 1, a = 2 * float(M_PI) * Hash01(k + 2);
      const float r = 6 * std::cbrt(Hash01(k + 3)), s = std::sqrt(1 - u * u);
      Vex3_quarn q(r * s * std::cos(a), r * s * std::sin(a), r * u);
      const float swirl = 2.5f * t * t * (1 - r / 8);
      q = {q.x * std::cos(swirl) - q.y * std::sin(swirl), q.x * std::sin(swirl) + q.y * std::cos(swirl), q.z};
      p.push_back(q + Vex3_quarn(side * 14 * (1 - t) * (1 - t), side * 3 * t * (1 - t), 0));
    }
  }
  return p;
}

void SeenPoints(GenContext& ctx, const std::string& rel, const PPC& camera,
                const std::vector<Vex3_quarn>& points) {
  std::vector<int32_t> flags(points.size(), 0);
  AddSeen(RasterPoints(camera, 1.0f, points), &flags);
  ctx.SaveVisibleSet(rel, flags);
}

// Stand-in result images of a point scene: points as small dots, and the
// error image with the points a coarse splat missed in red.
void PointImages(GenContext& ctx, const std::string& dir, const PPC& camera,
                 const std::vector<Vex3_quarn>& points) {
  const IdImage fine = RasterPoints(camera, 0.5f, points);
  std::vector<int32_t> coarse(points.size(), 0);
  AddSeen(RasterPoints(camera, 0.125f, points), &coarse);
  const uint32_t sky = 130 | 203 << 8 | 250u << 16 | 0xff000000u;
  std::vector<uint32_t> full(fine.id.size(), sky), error(fine.id.size(), 0xffffffffu);
  std::vector<uint32_t> step2 = full, step2Error = error;
  for (int y = 0; y < fine.h; y++)
    for (int x = 0; x < fine.w; x++) {
      const int32_t id = fine.id[size_t(y) * fine.w + x];
      if (id < 0) continue;
      const size_t k = size_t(fine.h - 1 - y) * fine.w + x;
      const float shade = std::min(1.0f, 0.3f + 8 * fine.invDepth[size_t(y) * fine.w + x]);
      const uint32_t c = PackRGBA(0.1f * shade, 0.35f * shade, 0.9f * shade);
      full[k] = error[k] = c;
      step2[k] = coarse[id] ? c : sky;
      step2Error[k] = coarse[id] ? c : 0xff0000ffu;
    }
  ctx.SaveTiff(dir + "Step2.tif", step2, fine.w, fine.h);
  ctx.SaveTiff(dir + "Step2_error.tif", step2Error, fine.w, fine.h);
  ctx.SaveTiff(dir + "31X31.tif", full, fine.w, fine.h);
  ctx.SaveTiff(dir + "31X31_error.tif", error, fine.w, fine.h);
}

}  // namespace

void GeneratePointScenes(GenContext& ctx) {
  for (int f = 0; f < kWaterFlowStates; f++) {
    const std::string rel = layout::StateFile(layout::GeometryFile("WaterFlow/state"), f);
    ctx.Check(WritePointObj(ctx.Path(rel), Fountain(f), kFileScale), rel);
  }
  for (int f = 0; f < kFusionStates; f++) {
    const std::string rel = layout::StateFile(layout::GeometryFile("Fusion/state"), f);
    ctx.Check(WritePointObj(ctx.Path(rel), Clouds(f, kFusionStates), kFileScale), rel);
  }
  const int water = int(Fountain(0).size()), fusion = int(Clouds(0, kFusionStates).size());
  ctx.Record("Water Flow", water, water);
  ctx.Record("Fusion", fusion, fusion);

  const PPC waterView = LookAt({0, -22, 9}, {0, 0, 3.5f}, {0, 0, 1}, 1, 1000);
  const PPC fusionView = LookAt({0, -46, 14}, {0, 0, 0}, {0, 0, 1}, 1, 1000);
  ctx.SaveCamera(layout::FinalView("Waterflow.ppc"), waterView);
  ctx.SaveCamera("Fusion_default.ppc", LookAt({10, -44, 20}, {0, 0, 0}, {0, 0, 1}, 1, 1000));
  ctx.SaveCamera(layout::FinalView("Fusion.ppc"), fusionView);
  // The sets Scene Setup reads into the draw flags: points seen in the
  // drawn state (file 030 and file 006).
  SeenPoints(ctx, In(Folder::kFootage, "Water/Waterflow_asl_control_32.bin"), waterView,
             Fountain(30));
  SeenPoints(ctx, In(Folder::kFootage, "Fusion/Fusion_asl_control_32.bin"), fusionView,
             Clouds(6, kFusionStates));
  PointImages(ctx, In(Folder::kProcess, "Water/"), waterView, Fountain(30));
  PointImages(ctx, In(Folder::kProcess, "Fusion/"), fusionView, Clouds(6, kFusionStates));
}
