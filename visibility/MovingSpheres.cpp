// Ray distances, coverage intervals, window boxes and timeline order of
// moving spheres.
#include "MovingSpheres.h"

#include <algorithm>
#include <cmath>

#include "CoverageIntervals.h"

int SolveQuadraticSorted(double qa, double qb, double qc, double roots[2]) {
  if (qa < 0) {
    qa = -qa;
    qb = -qb;
    qc = -qc;
  }
  if (qa == 0) {
    if (qb == 0) return 0;
    roots[0] = -qc / qb;
    return 1;
  }
  const double d = qb * qb - 4 * qa * qc;
  if (d < 0) return 0;
  if (d < 1e-10) {
    roots[0] = -qb / (2 * qa);
    return 1;
  }
  // Without cancellation: q and qb share their sign.
  const double q = -0.5 * (qb + std::copysign(std::sqrt(d), qb));
  double r0 = q / qa, r1 = q != 0 ? qc / q : -r0;
  if (r0 > r1) std::swap(r0, r1);
  roots[0] = r0;
  roots[1] = r1;
  return 2;
}

double SphereRayDistance(const Vex3_quarnd& eye, const Vex3_quarnd& dir, double nearDistance,
                         const Vex3_quarnd& centre, double r) {
  const Vex3_quarnd oc = centre - eye;
  double s[2];
  const int n = SolveQuadraticSorted(dir.Dot(dir), -2 * dir.Dot(oc), oc.Dot(oc) - r * r, s);
  if (n == 0) return kSphereNoHit;
  const double s1 = s[0], s2 = n == 2 ? s[1] : s[0];
  if (nearDistance < s1) return s1;
  if (n == 2 && s1 <= nearDistance && nearDistance <= s2) return s2;
  return kSphereNoHit;
}

namespace {

// Insertion sort of a few values.
void SortSmall(double* v, int n) {
  for (int i = 1; i < n; i++)
    for (int j = i; j > 0 && v[j] < v[j - 1]; j--) std::swap(v[j], v[j - 1]);
}

// The motion of one sphere over a step, relative to the eye.
struct SphereMotion {
  Vex3_quarnd p0, delta;
  double deltaSq = 0, p0Sq = 0, p0Delta = 0;
};

SphereMotion Prepare(const Vex3_quarnd& eye, const Vex3_quarnd& c0, const Vex3_quarnd& c1) {
  SphereMotion m;
  m.p0 = c0 - eye;
  m.delta = c1 - c0;
  m.deltaSq = m.delta.Dot(m.delta);
  m.p0Sq = m.p0.Dot(m.p0);
  m.p0Delta = m.p0.Dot(m.delta);
  return m;
}

bool HitsAt(const SphereMotion& m, const Vex3_quarnd& dir, double nearDistance, double r,
            double u) {
  const Vex3_quarnd zero(0, 0, 0);
  return SphereRayDistance(zero, dir, nearDistance, m.p0 + m.delta * u, r) < kSphereNoHit;
}

int Emit(const Vex3_quarnd& eye, const Vex3_quarnd& dir, double nearDistance,
         const SphereMotion& m, double r, int k, uint32_t id, double u1, double u2,
         CoverageInterval* slots, int count) {
  if (count >= kSphereSlots) return count;
  const double start = RoundToMicro(k + u1), end = RoundToMicro(k + u2);
  if (!(start < end)) return count;
  CoverageInterval& c = slots[count];
  c.triangleId = id;
  c.start = start;
  c.end = end;
  c.next = c.previous = nullptr;
  const Vex3_quarnd e0 = eye + m.p0;
  c.startDistance = SphereRayDistance(eye, dir, nearDistance, e0 + m.delta * u1, r);
  c.endDistance = SphereRayDistance(eye, dir, nearDistance, e0 + m.delta * u2, r);
  return count + 1;
}

int Coverage(const Vex3_quarnd& eye, const Vex3_quarnd& dir, double nearDistance,
             const SphereMotion& m, double r, int k, uint32_t id, CoverageInterval* slots) {
  if (m.deltaSq < kRestingSquared) {
    const Vex3_quarnd zero(0, 0, 0);
    if (SphereRayDistance(zero, dir, nearDistance, m.p0 + m.delta * 0.5, r) == kSphereNoHit)
      return 0;
    return Emit(eye, dir, nearDistance, m, r, k, id, 0, 1, slots, 0);
  }
  // |p(u)|^2 - (d.p(u))^2 = r^2: the centre at distance r from the line.
  const double dp = dir.Dot(m.p0), dd = dir.Dot(m.delta);
  const double qa = m.deltaSq - dd * dd;
  const double qb = 2 * (m.p0Delta - dp * dd);
  const double qc = m.p0Sq - dp * dp - r * r;
  double u1 = 0, u2 = 1;
  if (qa <= 1e-12 * m.deltaSq) {
    // Moving along the line: at one distance from it throughout.
    if (!(qc < 0)) return 0;
  } else {
    // Scaled to a leading 1, so the tangent test sees relative terms.
    double u[2];
    if (SolveQuadraticSorted(1, qb / qa, qc / qa, u) < 2) return 0;
    if (u[1] <= 0 || u[0] >= 1) return 0;
    u1 = std::max(u[0], 0.0);
    u2 = std::min(u[1], 1.0);
  }
  // Wholly beyond the near distance at both ends (the centre's distance
  // along the ray is linear in u): the line test is the hit test.
  if (std::min(dp + dd * u1, dp + dd * u2) - r > nearDistance)
    return Emit(eye, dir, nearDistance, m, r, k, id, u1, u2, slots, 0);

  // Otherwise the hit also needs the sphere beyond the near point: cut
  // where the sphere passes the near point or its centre passes the near
  // distance, and keep the pieces that hit at their middle.
  double cuts[6] = {u1};
  int n = 1;
  const Vex3_quarnd q = m.p0 - dir * nearDistance;
  double w[2];
  const int c = SolveQuadraticSorted(m.deltaSq, 2 * q.Dot(m.delta), q.Dot(q) - r * r, w);
  for (int i = 0; i < c; i++)
    if (w[i] > u1 && w[i] < u2) cuts[n++] = w[i];
  if (dd != 0) {
    const double v = (nearDistance - dp) / dd;
    if (v > u1 && v < u2) cuts[n++] = v;
  }
  cuts[n++] = u2;
  SortSmall(cuts, n);
  int count = 0;
  double open = -1;
  for (int i = 0; i + 1 < n; i++) {
    if (!(cuts[i] < cuts[i + 1])) continue;
    const bool hit = HitsAt(m, dir, nearDistance, r, 0.5 * (cuts[i] + cuts[i + 1]));
    if (hit && open < 0) open = cuts[i];
    if (!hit && open >= 0) {
      count = Emit(eye, dir, nearDistance, m, r, k, id, open, cuts[i], slots, count);
      open = -1;
    }
  }
  if (open >= 0) count = Emit(eye, dir, nearDistance, m, r, k, id, open, u2, slots, count);
  return count;
}

// Where a sphere lies against the eye's plane.
enum class Side { kBehind, kAcross, kFront };

// Clip w is affine in the point; its gradient is the view axis scaled.
struct ViewAxis {
  Vex3_quarnd axis;  // unit, pointing into the view
  double scale = 0;  // clip w per unit along it
};

ViewAxis AxisOf(const Projector& proj, const Vex3_quarnd& eye) {
  const double w0 = proj.ClipW(eye.x, eye.y, eye.z);
  const Vex3_quarnd g(proj.ClipW(eye.x + 1, eye.y, eye.z) - w0,
                      proj.ClipW(eye.x, eye.y + 1, eye.z) - w0,
                      proj.ClipW(eye.x, eye.y, eye.z + 1) - w0);
  ViewAxis a;
  a.scale = g.Length();
  a.axis = a.scale > 0 ? g / a.scale : Vex3_quarnd(0, 0, 0);
  return a;
}

// Window-space bounds of one sphere; kAcross when it reaches the eye's
// plane (or the eye lies inside it), where projections bound nothing.
Side SphereBounds(const Projector& proj, const Vex3_quarnd& eye, const ViewAxis& axis,
                  const Vex3_quarnd& p, double r, double lo[2], double hi[2]) {
  const Vex3_quarnd pe = p - eye;
  const double depth = pe.Dot(axis.axis);
  if (depth <= -r) return Side::kBehind;
  const double D = pe.Length();
  if (depth <= r || D <= r) return Side::kAcross;
  // The silhouette circle, and an octagon around it in its plane.
  const Vex3_quarnd w = pe / D;
  const Vex3_quarnd m = eye + w * (D - r * r / D);
  const double rho = std::sqrt(std::max(r * r - (r * r / D) * (r * r / D), 0.0));
  const Vex3_quarnd helper = std::fabs(w.x) < 0.6 ? Vex3_quarnd(1, 0, 0) : Vex3_quarnd(0, 1, 0);
  const Vex3_quarnd u = w.Cross(helper).Normalized(), v = w.Cross(u);
  constexpr int kSides = 8;
  const double R = rho / std::cos(M_PI / kSides) * (1 + 1e-9);
  lo[0] = lo[1] = 1e300;
  hi[0] = hi[1] = -1e300;
  for (int i = 0; i < kSides; i++) {
    const double a = 2 * M_PI * i / kSides;
    const Vex3_quarnd c = m + u * (R * std::cos(a)) + v * (R * std::sin(a));
    if (!(proj.ClipW(c.x, c.y, c.z) > 0)) return Side::kAcross;
    double x = 0, y = 0, z = 0;
    if (!proj.Project(c.x, c.y, c.z, &x, &y, &z)) return Side::kAcross;
    lo[0] = std::min(lo[0], x);
    lo[1] = std::min(lo[1], y);
    hi[0] = std::max(hi[0], x);
    hi[1] = std::max(hi[1], y);
  }
  return Side::kFront;
}

bool ClipBox(const double lo[2], const double hi[2], int32_t width, int32_t height,
             PixelBox* box) {
  if (width <= 0 || height <= 0) return false;
  if (hi[0] < 0 || hi[1] < 0 || lo[0] >= width || lo[1] >= height) return false;
  box->col0 = int32_t(std::max(std::floor(lo[0]), 0.0));
  box->row0 = int32_t(std::max(std::floor(lo[1]), 0.0));
  box->col1 = int32_t(std::min(std::floor(hi[0]), double(width - 1)));
  box->row1 = int32_t(std::min(std::floor(hi[1]), double(height - 1)));
  return box->col0 <= box->col1 && box->row0 <= box->row1;
}

bool WholeWindow(int32_t width, int32_t height, PixelBox* box) {
  *box = {0, 0, width - 1, height - 1};
  return width > 0 && height > 0;
}

}  // namespace

int SphereCoverage(const Vex3_quarnd& eye, const Vex3_quarnd& dir, double nearDistance,
                   const Vex3_quarnd& c0, const Vex3_quarnd& c1, double r, int k, uint32_t id,
                   CoverageInterval* slots) {
  return Coverage(eye, dir, nearDistance, Prepare(eye, c0, c1), r, k, id, slots);
}

bool SphereWindowBox(const Projector& proj, const Vex3_quarnd& eye, const Vex3_quarnd& p, double r,
                     int32_t width, int32_t height, PixelBox* box) {
  double lo[2], hi[2];
  switch (SphereBounds(proj, eye, AxisOf(proj, eye), p, r, lo, hi)) {
    case Side::kBehind: return false;
    case Side::kAcross: return WholeWindow(width, height, box);
    case Side::kFront: break;
  }
  return ClipBox(lo, hi, width, height, box);
}

bool MovingSphereWindowBox(const Projector& proj, const Vex3_quarnd& eye, const Vex3_quarnd& c0,
                           const Vex3_quarnd& c1, double r, int32_t width, int32_t height,
                           PixelBox* box) {
  const ViewAxis axis = AxisOf(proj, eye);
  double lo0[2], hi0[2], lo1[2], hi1[2];
  const Side s0 = SphereBounds(proj, eye, axis, c0, r, lo0, hi0);
  const Side s1 = SphereBounds(proj, eye, axis, c1, r, lo1, hi1);
  if (s0 == Side::kBehind && s1 == Side::kBehind) return false;
  // The swept spheres form the convex hull of the two ends; a hull that
  // reaches the eye's plane bounds nothing on the screen.
  if (s0 != Side::kFront || s1 != Side::kFront) return WholeWindow(width, height, box);
  const double lo[2] = {std::min(lo0[0], lo1[0]), std::min(lo0[1], lo1[1])};
  const double hi[2] = {std::max(hi0[0], hi1[0]), std::max(hi0[1], hi1[1])};
  return ClipBox(lo, hi, width, height, box);
}

Vex3_quarnd SphereStep::CentreAt(uint32_t id, double t) const {
  const Vex3_quarnd a(from[id]), b(to[id]);
  return a + (b - a) * (t - k);
}

int PolynomialRootsIn(const double* c, int degree, double lo, double hi, double* roots) {
  double size = 0;
  for (int i = 0; i <= degree; i++) size = std::max(size, std::fabs(c[i]));
  while (degree > 0 && std::fabs(c[degree]) <= 1e-14 * size) degree--;
  if (degree <= 0 || !(lo < hi)) return 0;
  auto eval = [&](double t) {
    double v = 0;
    for (int i = degree; i >= 0; i--) v = v * t + c[i];
    return v;
  };
  // Pieces between the derivative's roots are monotone.
  double d[4];
  for (int i = 1; i <= degree; i++) d[i - 1] = i * c[i];
  double ends[6];
  int m = 0;
  ends[m++] = lo;
  m += PolynomialRootsIn(d, degree - 1, lo, hi, ends + m);
  ends[m++] = hi;
  int n = 0;
  for (int i = 0; i + 1 < m; i++) {
    double a = ends[i], b = ends[i + 1];
    double fa = eval(a), fb = eval(b);
    if (fa == 0 && i > 0) {
      if (n == 0 || roots[n - 1] != a) roots[n++] = a;
      continue;
    }
    if (!((fa < 0 && fb > 0) || (fa > 0 && fb < 0))) continue;
    for (int it = 0; it < 80 && b - a > 1e-13; it++) {
      const double mid = 0.5 * (a + b), fm = eval(mid);
      if ((fm < 0) == (fa < 0)) {
        a = mid;
        fa = fm;
      } else {
        b = mid;
      }
    }
    roots[n++] = 0.5 * (a + b);
  }
  return n;
}

double SphereDepthComparator::Distance(const double ray[3], uint32_t id, double t) const {
  if (id >= uint32_t(step_.count)) return kSphereNoHit;
  return SphereRayDistance(eye_, Vex3_quarnd(ray[0], ray[1], ray[2]), near_,
                           step_.CentreAt(id, t), step_.radius);
}

bool SphereDepthComparator::ExistingNearer(const double ray[3], uint32_t newSphere,
                                           uint32_t existingSphere, double t) const {
  return Distance(ray, newSphere, t) - Distance(ray, existingSphere, t) > 0;
}

namespace {

// Power-basis products of polynomials of degree <= 2.
void Mul(const double a[3], const double b[3], double out[5]) {
  std::fill(out, out + 5, 0.0);
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) out[i + j] += a[i] * b[j];
}

}  // namespace

OverlapOrder SphereDepthComparator::Order(const double ray[3], uint32_t newSphere,
                                          uint32_t existingSphere, double lo, double hi) const {
  OverlapOrder order;
  order.existingNearer = ExistingNearer(ray, newSphere, existingSphere, 0.5 * (lo + hi));
  if (newSphere >= uint32_t(step_.count) || existingSphere >= uint32_t(step_.count)) return order;
  const Vex3_quarnd d(ray[0], ray[1], ray[2]);
  const double r = step_.radius;
  // Along the ray each sphere lies at b(t) -+ sqrt(D(t)): b linear, D
  // quadratic in the step's local time.
  struct Form {
    double b[2], D[3];
  } f[2];
  const uint32_t ids[2] = {newSphere, existingSphere};
  double bLo[2], bHi[2];
  const double t0 = lo - step_.k, t1 = hi - step_.k;
  for (int i = 0; i < 2; i++) {
    const Vex3_quarnd p0 = Vex3_quarnd(step_.from[ids[i]]) - eye_;
    const Vex3_quarnd dl = Vex3_quarnd(step_.to[ids[i]]) - Vex3_quarnd(step_.from[ids[i]]);
    f[i].b[0] = d.Dot(p0);
    f[i].b[1] = d.Dot(dl);
    f[i].D[0] = f[i].b[0] * f[i].b[0] - p0.Dot(p0) + r * r;
    f[i].D[1] = 2 * f[i].b[0] * f[i].b[1] - 2 * p0.Dot(dl);
    f[i].D[2] = f[i].b[1] * f[i].b[1] - dl.Dot(dl);
    const double e0 = f[i].b[0] + f[i].b[1] * t0, e1 = f[i].b[0] + f[i].b[1] * t1;
    bLo[i] = std::min(e0, e1) - r;
    bHi[i] = std::max(e0, e1) + r;
  }
  // Distances that cannot meet over the overlap: no swap.
  if (bHi[0] < bLo[1] || bHi[1] < bLo[0]) return order;
  // Equal distances satisfy (Da + Db - L^2)^2 = 4 Da Db with L = ba - bb,
  // whichever roots the two take; the order can change only there.
  const double L[3] = {f[0].b[0] - f[1].b[0], f[0].b[1] - f[1].b[1], 0};
  double L2[5], S[3], S2[5], DD[5], Q[5];
  Mul(L, L, L2);
  for (int i = 0; i < 3; i++) S[i] = f[0].D[i] + f[1].D[i] - L2[i];
  Mul(S, S, S2);
  Mul(f[0].D, f[1].D, DD);
  for (int i = 0; i < 5; i++) Q[i] = S2[i] - 4 * DD[i];
  double roots[8];
  const int n = PolynomialRootsIn(Q, 4, t0, t1, roots);
  // The sign of the difference at the middle of every piece between those
  // moments, and at a few fixed points (a double root of Q, where both
  // spheres meet the ray alike, does not cut the pieces).
  auto sign = [&](double t) {
    const double a = Distance(ray, newSphere, t), b = Distance(ray, existingSphere, t);
    const double tol = 1e-9 * (1 + std::fabs(b));
    return a - b > tol ? 1 : a - b < -tol ? -1 : 0;
  };
  double ends[10];
  ends[0] = t0;
  std::copy(roots, roots + n, ends + 1);
  ends[n + 1] = t1;
  double probes[16];
  int m = 0;
  for (int i = 0; i <= n; i++)
    if (ends[i] < ends[i + 1]) probes[m++] = 0.5 * (ends[i] + ends[i + 1]);
  for (double f : {0.05, 0.5, 0.95}) probes[m++] = t0 + f * (t1 - t0);
  SortSmall(probes, m);
  int first = 0;
  double at = t0;
  for (int i = 0; i < m; i++) {
    const int sg = sign(step_.k + probes[i]);
    if (sg == 0) continue;
    if (first == 0) {
      first = sg;
      at = probes[i];
      order.existingNearer = sg > 0;
      continue;
    }
    if (sg == first) {
      at = probes[i];
      continue;
    }
    // The order changes between `at` and this probe: where the difference
    // changes sign (or a distance jumps as the near point enters a sphere).
    double a = at, b = probes[i];
    for (int it = 0; it < 60 && b - a > 1e-10; it++) {
      const double mid = 0.5 * (a + b);
      const int sm = sign(step_.k + mid);
      if (sm == first)
        a = mid;
      else
        b = mid;
    }
    const double t = RoundToMicro(step_.k + 0.5 * (a + b));
    if (t >= hi) return order;
    if (t > lo) {
      order.swap = t;
      return order;
    }
    // A change that rounds onto the start: the overlap begins in the new
    // order.
    first = sg;
    at = probes[i];
    order.existingNearer = sg > 0;
  }
  return order;
}

void InsertSphereInterval(SuperPixel& timeline, const CoverageInterval& interval,
                          const SphereDepthComparator& depth, std::ostream& err) {
  if (!timeline.finalised && !(interval.start < interval.end)) return;
  InsertInterval(timeline, interval, depth, err);
}
