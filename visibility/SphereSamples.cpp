// Spheres against the samples of the buffer: the interval run's insertion
// over one step, and ASL's placement and depth resolution.
#include <algorithm>
#include <cmath>

#include "CoverageIntervals.h"
#include "MovingSpheres.h"
#include "SampleLocationBuffer.h"

namespace {

Vex3_quarnd RayOf(const SampleLocation& s) { return Vex3_quarnd(s.ray[0], s.ray[1], s.ray[2]); }

}  // namespace

SphereStepWork InsertStepIntervals(SampleLocationBuffer& buffer, const SphereStep& step,
                                   const int32_t* flags, std::ostream& out, std::ostream& err) {
  SphereStepWork work;
  if (!buffer.camera) return work;
  const Projector proj = buffer.camera->MakeProjector();
  const Vex3_quarnd eye = proj.RayOrigin(Vex3_quarnd(buffer.camera->eye));
  SphereDepthComparator depth(step, eye);
  CoverageInterval slots[kSphereSlots];
  for (int32_t j = 0; j < step.count; j++) {
    if (j % 10000 == 0) out << "\r" << j << "/" << step.count << " nodes processed" << std::flush;
    if (flags != nullptr && flags[j] == 0) continue;
    const Vex3_quarnd c0(step.from[j]), c1(step.to[j]);
    PixelBox box;
    if (!MovingSphereWindowBox(proj, eye, c0, c1, step.radius, buffer.width, buffer.height, &box))
      continue;
    for (int32_t row = box.row0; row <= box.row1; row++) {
      for (int32_t col = box.col0; col <= box.col1; col++) {
        PixelSamples& pixel = buffer.Pixel(col, row);
        for (int32_t i = 0; i < pixel.count; i++) {
          SampleLocation& s = pixel.samples[size_t(i)];
          work.sampleTests++;
          const int n = SphereCoverage(eye, RayOf(s), s.nearDistance, c0, c1, step.radius, step.k,
                                       uint32_t(j), slots);
          if (n == 0) continue;
          work.intervals += n;
          if (!s.listTimeline) {
            s.listTimeline = std::make_unique<SuperPixel>(s.x, s.y, s.w);
            std::copy(s.ray, s.ray + 3, s.listTimeline->ray);
          }
          depth.SetNear(s.nearDistance);
          for (int c = 0; c < n; c++) InsertSphereInterval(*s.listTimeline, slots[c], depth, err);
        }
      }
    }
  }
  out << "\r" << step.count << "/" << step.count << " nodes processed" << std::flush;
  return work;
}

std::vector<Vex3_quarnd> CornerRayGrid(const Projector& proj, const Vex3_quarnd& eye,
                                       int32_t width, int32_t height) {
  std::vector<Vex3_quarnd> rays(size_t(width + 1) * size_t(height + 1));
  for (int32_t j = 0; j <= height; j++)
    for (int32_t i = 0; i <= width; i++) {
      double x = 0, y = 0, z = 0;
      Vex3_quarnd d(0, 0, 0);
      if (proj.UnProject(i, j, 0.5, &x, &y, &z)) d = (Vex3_quarnd(x, y, z) - eye).Normalized();
      rays[size_t(j) * size_t(width + 1) + size_t(i)] = d;
    }
  return rays;
}

int32_t PlaceSamplesForSphere(SampleLocationBuffer& buffer, const Projector& proj,
                              const Vex3_quarnd& eye, const std::vector<Vex3_quarnd>& cornerRays,
                              const Vex3_quarnd& centre, double r) {
  const int32_t W = buffer.width, H = buffer.height;
  if (cornerRays.size() != size_t(W + 1) * size_t(H + 1) || !buffer.camera) return 0;
  const Vex3_quarnd pe = centre - eye;
  const double D = pe.Length();
  if (!(D > r)) return 0;  // the eye inside the sphere: no silhouette
  // The silhouette: the circle where the cone from the eye touches the
  // sphere, in the plane at h along the view line, radius rho.
  const Vex3_quarnd w = pe / D;
  const double h = D - r * r / D;
  const Vex3_quarnd m = w * h;
  const double rho2 = std::max(r * r - (r * r / D) * (r * r / D), 0.0);
  PixelBox box;
  if (!SphereWindowBox(proj, eye, centre, r, W, H, &box)) return 0;
  const double r2 = r * r;
  int32_t added = 0;
  for (int32_t j = box.row0; j <= box.row1; j++) {
    for (int32_t k = box.col0; k <= box.col1; k++) {
      PixelSamples& pixel = buffer.Pixel(k, j);
      bool covered = false;
      for (int32_t s = 0; s < pixel.count && !covered; s++) {
        const SampleLocation& sl = pixel.samples[size_t(s)];
        const double along = RayOf(sl).Dot(pe);
        covered = pe.Dot(pe) - along * along < r2;
      }
      if (covered) continue;
      // Corner rays on the silhouette plane, in the order (k, j), (k, j+1),
      // (k+1, j+1), (k+1, j).
      const int32_t ci[4][2] = {{k, j}, {k, j + 1}, {k + 1, j + 1}, {k + 1, j}};
      Vex3_quarnd P[4];
      bool onPlane = true;
      for (int c = 0; c < 4 && onPlane; c++) {
        const Vex3_quarnd& d = cornerRays[size_t(ci[c][1]) * size_t(W + 1) + size_t(ci[c][0])];
        const double g = d.Dot(w);
        onPlane = g > 1e-12;
        if (onPlane) P[c] = d * (h / g);
      }
      if (!onPlane) continue;
      Vex3_quarnd sum(0, 0, 0);
      int n = 0;
      for (int c = 0; c < 4; c++) {
        const Vex3_quarnd q = P[c] - m;
        if (q.Dot(q) < rho2) {
          sum += P[c];
          n++;
        }
      }
      const Vex3_quarnd mid = (P[0] + P[1] + P[2] + P[3]) * 0.25;
      for (int c = 0; c < 4; c++) {
        const Vex3_quarnd& a = P[c];
        const Vex3_quarnd e = P[(c + 1) % 4] - a;
        // |a + s e - pe|^2 = r^2: on the plane, the silhouette itself.
        const Vex3_quarnd f = a - pe;
        double s[2];
        const int roots = SolveQuadraticSorted(e.Dot(e), 2 * e.Dot(f), f.Dot(f) - r2, s);
        int inside = 0;
        Vex3_quarnd x[2];
        for (int i = 0; i < roots; i++)
          if (s[i] >= 0 && s[i] <= 1) x[inside++] = a + e * s[i];
        for (int i = 0; i < inside; i++) sum += x[i];
        n += inside;
        if (inside == 2) {
          // The middle of the arc between the crossings on the pixel's side
          // of this side.
          const Vex3_quarnd chord = (x[0] + x[1]) * 0.5;
          Vex3_quarnd u = (chord - m).Normalized();
          if (u.Dot(u) == 0) u = (mid - chord).Normalized();
          const double rho = std::sqrt(rho2);
          Vex3_quarnd arc = m + u * rho;
          if ((arc - chord).Dot(mid - chord) < 0) arc = m - u * rho;
          sum += arc;
          n++;
        }
      }
      Vex3_quarnd point;
      if (n > 0) {
        point = sum / double(n);
      } else {
        // Nothing of the outline meets the pixel's corners or sides: the
        // silhouette lies within the pixel or misses it; its centre tells.
        const Vex3_quarnd cw = eye + m;
        double x = 0, y = 0, z = 0;
        if (!proj.Project(cw.x, cw.y, cw.z, &x, &y, &z)) continue;
        if (!(x >= k && x < k + 1 && y >= j && y < j + 1)) continue;
        point = m;
      }
      const Vex3_quarnd pw = eye + point;
      double x = 0, y = 0, z = 0;
      if (!proj.Project(pw.x, pw.y, pw.z, &x, &y, &z)) continue;
      // The mean lies in the pixel; float narrowing must not move it out.
      const float fx = std::min(std::max(float(x), float(k)), std::nextafter(float(k + 1), 0.0f));
      const float fy = std::min(std::max(float(y), float(j)), std::nextafter(float(j + 1), 0.0f));
      buffer.AddSample(pixel, fx, fy);
      ComputeSampleRay(proj, buffer.camera->eye, &pixel.samples[size_t(pixel.count - 1)]);
      added++;
    }
  }
  return added;
}

void ClearSphereDepths(SampleLocationBuffer& buffer) {
  for (PixelSamples& p : buffer.pixels)
    for (int32_t i = 0; i < p.count; i++) {
      SampleLocation& s = p.samples[size_t(i)];
      s.depth = kSphereNoHit;
      s.triangleId = -1;
      s.color = 0xff000000u;
      s.marked = 0;
    }
}

void ResolveSphereAtSamples(SampleLocationBuffer& buffer, const Projector& proj,
                            const Vex3_quarnd& eye, const Vex3_quarnd& centre, double r,
                            int32_t id) {
  PixelBox box;
  if (!SphereWindowBox(proj, eye, centre, r, buffer.width, buffer.height, &box)) return;
  for (int32_t j = box.row0; j <= box.row1; j++)
    for (int32_t k = box.col0; k <= box.col1; k++) {
      PixelSamples& pixel = buffer.Pixel(k, j);
      for (int32_t i = 0; i < pixel.count; i++) {
        SampleLocation& s = pixel.samples[size_t(i)];
        const double d = SphereRayDistance(eye, RayOf(s), s.nearDistance, centre, r);
        // Equal distances keep the sphere resolved first.
        if (d < s.depth) {
          s.depth = d;
          s.triangleId = id;
          s.color = uint32_t(id);
        }
      }
    }
}
