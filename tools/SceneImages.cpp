// The images the workbench reads: the two textures of "Easy Plane" (a grey
// height map and a colour map) and the two sky backdrops.
#include <algorithm>
#include <cmath>

#include "GenContext.h"
#include "GenMesh.h"
#include "IdRaster.h"
#include "Scenes.h"
#include "WorkLayout.h"

namespace {

// An image from a colour function of (x, y) in [0, 1]^2, y up.
template <typename F>
std::vector<uint32_t> Paint(int w, int h, F color) {
  std::vector<uint32_t> px(size_t(w) * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const Vex3_quarn c = color((x + 0.5f) / w, (y + 0.5f) / h);
      px[size_t(y) * w + x] = PackRGBA(c.x, c.y, c.z);
    }
  return px;
}

float Clouds(float x, float y) {
  float v = 0, amp = 0.5f, f = 3;
  for (int o = 0; o < 5; o++, amp *= 0.5f, f *= 2.1f)
    v += amp * std::sin(f * x * 6.1f + std::sin(f * y * 4.3f + o)) * std::cos(f * y * 5.7f + o);
  return v;
}

}  // namespace

void GenerateImages(GenContext& ctx) {
  // Height map: a few round hills; the length of the sampled colour gives
  // the height of the plane's vertices.
  ctx.SaveTiff(layout::kPlaneHeights, Paint(256, 256, [](float x, float y) {
                 float h = 0;
                 for (int k = 0; k < 6; k++) {
                   const float cx = Hash01(k), cy = Hash01(k + 50), r = 0.08f + 0.15f * Hash01(k + 90);
                   h += std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (r * r));
                 }
                 h = std::min(h, 1.0f);
                 return Vex3_quarn(h, h, h);
               }), 256, 256);
  ctx.SaveTiff(layout::kPlaneColours, Paint(256, 256, [](float x, float y) {
                 const bool check = (int(x * 8) + int(y * 8)) % 2 == 0;
                 const Vex3_quarn warm(0.95f, 0.6f * x + 0.3f, 0.2f), cool(0.2f, 0.5f + 0.4f * y, 0.9f);
                 return check ? warm : cool;
               }), 256, 256);
  ctx.SaveTiff(layout::kGrassBackdrop, Paint(1024, 512, [](float x, float y) {
                 const Vex3_quarn sky = Vex3_quarn(0.51f, 0.8f, 0.98f) * (0.8f + 0.2f * y);
                 const float c = std::clamp(Clouds(x, y) * 1.6f + 0.1f, 0.0f, 1.0f);
                 return sky * (1 - c) + Vex3_quarn(1, 1, 1) * c;
               }), 1024, 512);
  ctx.SaveTiff(layout::kCityBackdrop, Paint(1024, 512, [](float x, float y) {
                 // Evening sky over a far skyline silhouette.
                 const float skyline = 0.18f + 0.12f * Hash01(uint32_t(x * 64)) * (Hash01(uint32_t(x * 16) + 99) > 0.3f);
                 if (y < skyline) return Vex3_quarn(0.18f, 0.2f, 0.26f);
                 return Vex3_quarn(0.95f, 0.7f, 0.5f) * (1 - y) + Vex3_quarn(0.35f, 0.5f, 0.85f) * y;
               }), 1024, 512);
}
