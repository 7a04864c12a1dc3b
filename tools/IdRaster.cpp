#include "IdRaster.h"

#include <algorithm>
#include <cmath>

namespace {
struct Projected {
  float u, v, s;  // pixel position and inverse depth
  bool ok;
};

Projected Project(const PPC& c, float scale, const Vex3_quarn& p) {
  Vex3_quarn q = c.invM * (p - c.eye);
  // q.z is the depth in units of the focal length: near distance / f.
  const float nearLimit = c.zNear / std::max(c.FocalLength(), 1e-6f);
  if (!(q.z > nearLimit)) return {0, 0, 0, false};
  return {q.x / q.z * scale, q.y / q.z * scale, 1.0f / q.z, true};
}
}  // namespace

IdImage RasterIds(const PPC& camera, float scale, const std::vector<Vex3_quarn>& positions,
                  const std::vector<uint32_t>& triangles, const std::vector<int32_t>* alive) {
  IdImage img;
  img.w = int(camera.w * scale);
  img.h = int(camera.h * scale);
  img.id.assign(size_t(img.w) * img.h, -1);
  img.invDepth.assign(img.id.size(), 0.0f);
  std::vector<Projected> proj(positions.size());
  for (size_t i = 0; i < positions.size(); i++) proj[i] = Project(camera, scale, positions[i]);

  const int n = int(triangles.size() / 3);
  for (int t = 0; t < n; t++) {
    if (alive && !(*alive)[t]) continue;
    const Projected& a = proj[triangles[3 * t]];
    const Projected& b = proj[triangles[3 * t + 1]];
    const Projected& c = proj[triangles[3 * t + 2]];
    if (!a.ok || !b.ok || !c.ok) continue;
    const float area = (b.u - a.u) * (c.v - a.v) - (c.u - a.u) * (b.v - a.v);
    if (std::fabs(area) < 1e-12f) continue;
    const int x0 = std::max(0, int(std::floor(std::min({a.u, b.u, c.u}))));
    const int x1 = std::min(img.w - 1, int(std::ceil(std::max({a.u, b.u, c.u}))));
    const int y0 = std::max(0, int(std::floor(std::min({a.v, b.v, c.v}))));
    const int y1 = std::min(img.h - 1, int(std::ceil(std::max({a.v, b.v, c.v}))));
    for (int y = y0; y <= y1; y++)
      for (int x = x0; x <= x1; x++) {
        const float px = x + 0.5f, py = y + 0.5f;
        // Barycentric weights; the sign of the area takes either winding.
        const float w0 = ((b.u - px) * (c.v - py) - (c.u - px) * (b.v - py)) / area;
        const float w1 = ((c.u - px) * (a.v - py) - (a.u - px) * (c.v - py)) / area;
        const float w2 = 1.0f - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        const float s = w0 * a.s + w1 * b.s + w2 * c.s;
        const size_t k = size_t(y) * img.w + x;
        if (s > img.invDepth[k]) {
          img.invDepth[k] = s;
          img.id[k] = t;
        }
      }
  }
  return img;
}

IdImage RasterPoints(const PPC& camera, float scale, const std::vector<Vex3_quarn>& points) {
  IdImage img;
  img.w = int(camera.w * scale);
  img.h = int(camera.h * scale);
  img.id.assign(size_t(img.w) * img.h, -1);
  img.invDepth.assign(img.id.size(), 0.0f);
  for (size_t i = 0; i < points.size(); i++) {
    Projected p = Project(camera, scale, points[i]);
    if (!p.ok || p.u < 0 || p.v < 0 || p.u >= img.w || p.v >= img.h) continue;
    const size_t k = size_t(p.v) * img.w + size_t(p.u);
    if (p.s > img.invDepth[k]) {
      img.invDepth[k] = p.s;
      img.id[k] = int32_t(i);
    }
  }
  return img;
}

std::vector<int32_t> SeenFlags(const IdImage& image, int n) {
  std::vector<int32_t> flags(size_t(n), 0);
  AddSeen(image, &flags);
  return flags;
}

void AddSeen(const IdImage& image, std::vector<int32_t>* flags) {
  for (int32_t id : image.id)
    if (id >= 0 && size_t(id) < flags->size()) (*flags)[id] = 1;
}

uint32_t PackRGBA(float r, float g, float b) {
  auto byte = [](float c) { return uint32_t(std::clamp(c, 0.0f, 1.0f) * 255.0f); };
  return byte(r) | byte(g) << 8 | byte(b) << 16 | 0xff000000u;
}

std::vector<uint32_t> ShadeImage(const IdImage& image, const std::vector<Vex3_quarn>& positions,
                                 const std::vector<uint32_t>& triangles,
                                 const std::vector<Vex3_quarn>& triangleColors) {
  const uint32_t sky = 130 | 203 << 8 | 250u << 16 | 0xff000000u;
  const Vex3_quarn light = Vex3_quarn(-1, -2, 4).Normalized();
  std::vector<uint32_t> out(image.id.size(), sky);
  for (int y = 0; y < image.h; y++)
    for (int x = 0; x < image.w; x++) {
      const int32_t t = image.id[size_t(y) * image.w + x];
      if (t < 0) continue;
      const Vex3_quarn& p0 = positions[triangles[3 * t]];
      Vex3_quarn n = (positions[triangles[3 * t + 1]] - p0)
                         .Cross(positions[triangles[3 * t + 2]] - p0)
                         .Normalized();
      const float f = 0.4f + 0.6f * std::min(std::fabs(n.Dot(light)), 1.0f);
      const Vex3_quarn c = triangleColors[size_t(t)] * f;
      // Rows from the bottom, as GL reads them back.
      out[size_t(image.h - 1 - y) * image.w + x] = PackRGBA(c.x, c.y, c.z);
    }
  return out;
}
