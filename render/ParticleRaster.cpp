// Point sets drawn as spheres by casting one ray per cell inside each
// sphere's window box.
#include <algorithm>
#include <cmath>

#include "AABB.h"
#include "PPC.h"
#include "SoftwareRaster.h"

ScreenBox SphereScreenBox(const Vex3_quarn& centre, float r, const Projector& proj) {
  const Vex3_quarn offsets[6] = {{r, 0, 0}, {-r, 0, 0}, {0, r, 0},
                                 {0, -r, 0}, {0, 0, r}, {0, 0, -r}};
  double lo[3] = {kFloatMaxD, kFloatMaxD, kFloatMaxD};
  double hi[3] = {-kFloatMaxD, -kFloatMaxD, -kFloatMaxD};
  for (const Vex3_quarn& o : offsets) {
    double w[3] = {0, 0, 0};
    proj.Project(centre + o, &w[0], &w[1], &w[2]);
    for (int k = 0; k < 3; k++) {
      lo[k] = std::min(lo[k], w[k]);
      hi[k] = std::max(hi[k], w[k]);
    }
  }
  // One pixel of margin so the box never clips the sphere's outline.
  return {lo[0] - 1, lo[1] - 1, lo[2], hi[0] + 1, hi[1] + 1, hi[2]};
}

double RaySphere(const Vex3_quarn& origin, const Vex3_quarn& direction, const Vex3_quarn& centre,
                 float r, double tMin) {
  const Vex3_quarnd d(direction);
  const Vex3_quarnd oc = Vex3_quarnd(centre) - Vex3_quarnd(origin);
  const double qa = d.Dot(d);
  const double qb = -2.0 * d.Dot(oc);
  const double qc = oc.Dot(oc) - double(r) * double(r);
  if (qa == 0) return kNoHit;
  double disc = qb * qb - 4.0 * qa * qc;
  if (disc < 0) return kNoHit;
  // A grazing ray: one double root.
  if (disc < 1e-10) disc = 0;
  const double s = std::sqrt(disc);
  const double t1 = (-qb - s) / (2.0 * qa);
  const double t2 = (-qb + s) / (2.0 * qa);
  if (tMin < t1) return t1;
  if (tMin <= t2) return t2;  // the origin is inside the sphere
  return kNoHit;
}

void FillPixelRays(PPC& camera, std::vector<float>* pixelRays) {
  const size_t n = size_t(camera.w) * size_t(camera.h) * 3;
  if (pixelRays->size() != n) pixelRays->assign(n, 0.0f);
  camera.ComputePixelRays(pixelRays);
}

void MotionColours(const std::vector<Vex3_quarn>& points, const std::vector<Vex3_quarn>* next,
                   std::vector<Vex3_quarn>* colours) {
  if (colours->size() != points.size()) colours->assign(points.size(), Vex3_quarn());
  if (next == nullptr) return;
  const size_t n = std::min(points.size(), next->size());
  for (size_t i = 0; i < n; i++) {
    const Vex3_quarn d = (*next)[i] - points[i];
    const float len = d.Length();
    const Vex3_quarn u = d.Normalized();
    float bright = 0.4f + 0.3f * (len - 1.0f) / 19.0f;
    if (len > 20) bright = 0.7f;
    if (len < 1) bright = 0.4f;
    (*colours)[i] = Vex3_quarn((u.x + 1) / 2, (u.y + 1) / 2, (u.z + 1) / 2) * bright;
  }
}

uint32_t PackColour(float r, float g, float b) {
  auto channel = [](float c) -> uint32_t {
    const float v = c * 255.0f;
    if (!(v > 0)) return 0;
    if (v >= 255.0f) return 255;
    return uint32_t(int(v));
  };
  return channel(r) | (channel(g) << 8) | (channel(b) << 16) | 0xFF000000u;
}

namespace {

// Colour of a point without its own colour: a blend by height.
Vex3_quarn HeightColour(float y) {
  const Vex3_quarn low(0.2784314f, 0.5294118f, 0.7019608f);
  const Vex3_quarn high(0.67058825f, 0.21568628f, 0.21568628f);
  if (y < 1) return low;
  if (y > 8) return high;
  const float g = (y - 1) / 7;
  return low * (1 - g) + high * g;
}

enum class Shading { kFootage, kMaskView };

// Shared body of the two window-resolution particle rasters.
void ParticleRasterImpl(const PointSetView& ps, uint32_t* colour, int32_t* ids, float* depth,
                        PPC& camera, std::vector<float>* pixelRays, float r, Shading shading,
                        std::ostream& log) {
  FillPixelRays(camera, pixelRays);
  const Projector proj = camera.MakeProjector();
  const int w = camera.w, h = camera.h;
  const float* rays = pixelRays->data();
  for (int32_t j = 0; j < ps.count; j++) {
    if (j % 10000 == 0) log << "\r " << j << "/" << ps.count << " " << std::flush;
    const bool masked = ps.mask != nullptr && ps.mask[j] == 0;
    if (masked && shading == Shading::kFootage) continue;
    const Vex3_quarn& p = ps.points[j];
    const Vex3_quarn pc = ps.colours != nullptr ? ps.colours[j] : HeightColour(p.y);
    const ScreenBox box = SphereScreenBox(p, r, proj);
    const double cx = (box.xmin + box.xmax) / 2, cy = (box.ymin + box.ymax) / 2;
    const double rho = (box.xmax - box.xmin) / 2;
    const double kEnd = std::min(box.xmax, double(w - 1));
    const double lEnd = std::min(box.ymax, double(h - 1));
    for (int k = int(std::max(box.xmin, 0.0)); kEnd > k + 0.5; k++) {
      for (int l = int(std::max(box.ymin, 0.0)); lEnd > l + 0.5; l++) {
        const size_t index = size_t(k) + size_t(l) * size_t(w);
        const float* ray = rays + index * 3;
        const double t = RaySphere(camera.eye, Vex3_quarn(ray[0], ray[1], ray[2]), p, r, 0);
        if (t == kNoHit) continue;
        if (depth[index] != 0 && !(t < depth[index])) continue;
        depth[index] = float(t);
        const double dx = k + 0.5 - cx, dy = l + 0.5 - cy;
        double s = 1 - std::sqrt(dx * dx + dy * dy) / rho;
        if (s < 0.2) s = 0.2;
        if (shading == Shading::kFootage) {
          const float u = float(std::min(1.4 * s, 1.4));
          colour[index] = PackColour(pc.x * u, pc.y * u, pc.z * u);
        } else if (masked) {
          colour[index] = 0xFF0000FFu;
        } else {
          const float u = float(s);
          colour[index] = PackColour(pc.x * u, pc.y * u, pc.z * u);
        }
        ids[index] = j;
      }
    }
  }
}

}  // namespace

void ParticleRaster(const PointSetView& points, uint32_t* colour, int32_t* ids, float* depth,
                    PPC& camera, std::vector<float>* pixelRays, float r, std::ostream& log) {
  ParticleRasterImpl(points, colour, ids, depth, camera, pixelRays, r, Shading::kFootage, log);
}

void ParticleMaskView(const PointSetView& points, uint32_t* colour, int32_t* ids, float* depth,
                      PPC& camera, std::vector<float>* pixelRays, float r, std::ostream& log) {
  ParticleRasterImpl(points, colour, ids, depth, camera, pixelRays, r, Shading::kMaskView, log);
}

void ParticleIdsFine(const PointSetView& ps, int32_t* ids, float* depth, const PPC& camera,
                     float r, int rowBegin, int rowEnd, std::ostream& log) {
  const Projector proj = camera.MakeProjector();
  const int fw = camera.w * kParticleFine, fh = camera.h * kParticleFine;
  for (int32_t j = 0; j < ps.count; j++) {
    if (j % 10000 == 0) log << "\r " << j << "/" << ps.count << " " << std::flush;
    if (ps.mask != nullptr && ps.mask[j] == 0) continue;
    const Vex3_quarn& p = ps.points[j];
    const ScreenBox box = SphereScreenBox(p, r, proj);
    const double kEnd = std::min(box.xmax * kParticleFine, double(fw - 1));
    const double lEnd = std::min(box.ymax * kParticleFine, double(fh - 1));
    // The band only limits which rows are written; the row sequence is the
    // one of the whole grid.
    int l = int(std::max(box.ymin * kParticleFine, 0.0));
    if (l < rowBegin) l = rowBegin;
    for (; lEnd > l + 0.5 && l < rowEnd; l++) {
      for (int k = int(std::max(box.xmin * kParticleFine, 0.0)); kEnd > k + 0.5; k++) {
        double px = 0, py = 0, pz = 0;
        if (!proj.UnProject((k + 0.5) / kParticleFine, (l + 0.5) / kParticleFine, 0.5, &px, &py,
                            &pz))
          continue;
        const Vex3_quarn ray =
            Vex3_quarn(Vex3_quarnd(px - camera.eye.x, py - camera.eye.y, pz - camera.eye.z))
                .Normalized();
        const double t = RaySphere(camera.eye, ray, p, r, 0);
        if (t == kNoHit) continue;
        const size_t index = size_t(k) + size_t(l - rowBegin) * size_t(fw);
        if (depth[index] != 0 && !(t < depth[index])) continue;
        depth[index] = float(t);
        ids[index] = j;
      }
    }
  }
}
