// Times at which a sample ray crosses the surface swept by a moving edge.
#include <cmath>
#include <cstdint>

#include "CoverageIntervals.h"

namespace {

// A ray through an end point of the edge lies on the border of the u range;
// a little slack keeps such crossings from falling through both neighbouring
// edges. An extra event costs one more inside test, a lost one a wrong piece.
constexpr double kUSlack = 1e-7;
// The crossing quadratic of a ray counts as vanishing below this fraction
// of its coefficients' scale (a unit ray times |c[k]|): rounding only.
constexpr double kVanishing = 1e-13;

bool InUnitRange(double v) { return v >= -kUSlack && v <= 1 + kUSlack; }

double MaxAbs3(double a, double b, double c) {
  double m = std::fabs(a);
  if (std::fabs(b) > m) m = std::fabs(b);
  if (std::fabs(c) > m) m = std::fabs(c);
  return m;
}

// Edge ends at time t.
void EdgeAt(const SweptEdge& e, double t, Vex3_quarnd* p0, Vex3_quarnd* d) {
  *p0 = e.a0 + e.e0 * t;
  *d = (e.a1 + e.e1 * t) - *p0;
}

// Position along the edge at time t of the point the ray passes through:
// (P0 + u D) parallel to r, solved in the plane perpendicular to D x r.
bool BilinearU(const SweptEdge& e, const Vex3_quarnd& r, double t, double* u) {
  Vex3_quarnd p0, d;
  EdgeAt(e, t, &p0, &d);
  Vex3_quarnd dr = d.Cross(r);
  double dd = dr.Dot(dr);
  // Ray parallel to the edge at that moment: it cannot pass through it.
  if (!(dd > 1e-24 * d.Dot(d))) return false;
  *u = -(p0.Cross(r)).Dot(dr) / dd;
  return true;
}

int AddIfValid(double t, double u, double* out, int n) {
  if (t >= 0 && t <= 1 && InUnitRange(u)) out[n++] = t;
  return n;
}

// The swept surface is a plane: intersect the ray with it and find when the
// edge passes the hit point X, from n . ((P0(t) - X) x D(t)) = 0.
int PlanarCrossings(const SweptEdge& e, const Vex3_quarnd& r, double out[2]) {
  double g = r.Dot(e.n);
  if (std::fabs(g) < 1e-12) return 0;  // ray parallel to the plane
  Vex3_quarnd x = r * (e.k / g);
  Vex3_quarnd a = e.a0 - x;
  double qa = e.qa, qb = a.Dot(e.wb) + e.qbConst, qc = a.Dot(e.wc);
  // Relative thresholds: scale the equation so its largest coefficient is 1.
  double s = MaxAbs3(qa, qb, qc);
  if (s > 0) {
    qa /= s;
    qb /= s;
    qc /= s;
  }
  auto uAt = [&](double t, double* u) {
    Vex3_quarnd p0, d;
    EdgeAt(e, t, &p0, &d);
    double dd = d.Dot(d);
    if (!(dd > 0)) return false;
    *u = (x - p0).Dot(d) / dd;
    return true;
  };
  int n = 0;
  if (std::fabs(qa) >= 1e-10) {
    double roots[2];
    int c = SolveQuadratic(qa, qb, qc, roots);
    for (int i = 0; i < c; i++) {
      double u;
      if (uAt(roots[i], &u)) n = AddIfValid(roots[i], u, out, n);
    }
    return n;
  }
  if (std::fabs(qb) >= 1e-10) {
    double t = -qc / qb, u;
    if (uAt(t, &u)) n = AddIfValid(t, u, out, n);
    return n;
  }
  // Both leading coefficients vanish: solve a0 + t e0 + u D0 = X on the
  // first coordinate pair that is well conditioned and gives a solution.
  Vex3_quarnd d0 = e.a1 - e.a0, rhs = x - e.a0;
  double scale = e.e0.Length() * d0.Length();
  const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
  for (const auto& p : pairs) {
    double m00 = e.e0[p[0]], m01 = d0[p[0]], m10 = e.e0[p[1]], m11 = d0[p[1]];
    double det = m00 * m11 - m01 * m10;
    if (!(std::fabs(det) > 1e-5 * scale)) continue;
    double t = (rhs[p[0]] * m11 - m01 * rhs[p[1]]) / det;
    double u = (m00 * rhs[p[1]] - rhs[p[0]] * m10) / det;
    if (t >= 0 && t <= 1 && InUnitRange(u)) {
      out[n++] = t;
      break;
    }
  }
  return n;
}

}  // namespace

int SolveQuadratic(double qa, double qb, double qc, double roots[2]) {
  if (qa != 0) {
    double d = qb * qb - 4 * qa * qc;
    if (d < 0) return 0;
    // Only an exact double root counts once. Merging roots closer than a
    // fixed band (1e-10 on d was tried) lost the brief coverage between two
    // crossings of one edge; a second, nearly equal root costs one more
    // inside test.
    if (d == 0) {
      roots[0] = -qb / (2 * qa);
      return 1;
    }
    // q/qa and qc/q are the two roots without the cancellation of
    // -qb + sqrt(d) when qb dominates.
    double sd = std::sqrt(d);
    double q = -0.5 * (qb + std::copysign(sd, qb));
    double big = q / qa, small = qc / q;
    if (qb >= 0) {  // big is (-qb - sd) / (2 qa)
      roots[0] = small;
      roots[1] = big;
    } else {  // big is (sd - qb) / (2 qa)
      roots[0] = big;
      roots[1] = small;
    }
    return 2;
  }
  if (qb != 0) {
    roots[0] = -qc / qb;
    return 1;
  }
  return 0;
}

double RoundToMicro(double t) {
  // 64-bit count, so a time beyond 2147 s cannot overflow the truncation.
  int64_t n = int64_t(t / 1e-6);
  if ((t - double(n) * 1e-6) / 1e-6 > 0.5) n++;
  return double(n) * 1e-6;
}

void PrepareSweptEdge(const Vex3_quarnd& a0, const Vex3_quarnd& a1, const Vex3_quarnd& b0,
                      const Vex3_quarnd& b1, SweptEdge* edge) {
  SweptEdge& e = *edge;
  e.a0 = a0;
  e.a1 = a1;
  e.e0 = b0 - a0;
  e.e1 = b1 - a1;
  e.c[0] = a0.Cross(a1);
  e.c[1] = a0.Cross(e.e1) + e.e0.Cross(a1);
  e.c[2] = e.e0.Cross(e.e1);
  e.scale = e.c[0].Length() + e.c[1].Length() + e.c[2].Length();

  // Coplanarity of the four end positions: triple product of the three
  // normalised difference vectors from the first.
  Vex3_quarnd d1 = (a1 - a0).Normalized(), d2 = (b0 - a0).Normalized(),
              d3 = (b1 - a0).Normalized();
  e.planar = std::fabs(d1.Dot(d2.Cross(d3))) < 1e-4;
  e.degenerate = false;
  if (!e.planar) return;

  // Plane normal from the best conditioned pair of difference vectors.
  Vex3_quarnd cands[3] = {d1.Cross(d2), d1.Cross(d3), d2.Cross(d3)};
  Vex3_quarnd best = cands[0];
  for (const auto& c : cands)
    if (c.Dot(c) > best.Dot(best)) best = c;
  if (best.Length() < 1e-9) {
    // All four on one line (or one point): the edge sweeps no area.
    e.degenerate = true;
    return;
  }
  e.n = best.Normalized();
  e.k = e.n.Dot((a0 + a1 + b0 + b1) * 0.25);
  Vex3_quarnd d0 = a1 - a0, dd = e.e1 - e.e0;
  e.qa = e.n.Dot(e.e0.Cross(dd));
  e.qbConst = e.n.Dot(e.e0.Cross(d0));
  e.wb = dd.Cross(e.n);
  e.wc = d0.Cross(e.n);
}

int EdgeCrossings(const SweptEdge& e, const Vex3_quarnd& r, const double* q, double t[2]) {
  if (e.degenerate) return 0;
  // The ray lies in the plane through the eye and the edge at time t
  // exactly when r . (P0(t) x P1(t)) = 0, a quadratic in t. This holds for
  // every swept surface, flat or not, unless the quadratic vanishes for
  // this ray: the ray lies in a flat sweep's plane and that plane passes
  // through the eye. Only then is the crossing found within the plane.
  // (Solving every nearly flat sweep in an approximating plane put the
  // crossings of such edges off by up to a ten-thousandth of the span, and
  // the two triangles of the edge both lost the time in between.)
  double qa, qb, qc;
  if (q) {
    qc = q[0];
    qb = q[1];
    qa = q[2];
  } else {
    qc = r.Dot(e.c[0]);
    qb = r.Dot(e.c[1]);
    qa = r.Dot(e.c[2]);
  }
  double s = MaxAbs3(qa, qb, qc);
  if (!(s > kVanishing * e.scale)) return e.planar ? PlanarCrossings(e, r, t) : 0;
  // The quadratic in Bernstein form over [0, 1]: coefficients of one sign,
  // clear of zero by far more than rounding can move a computed root, mean
  // no root in [0, 1], and the solve below would find none there either.
  const double b0 = qc, b1 = qc + 0.5 * qb, b2 = qa + qb + qc, clear = 1e-9 * s;
  if ((b0 > clear && b1 > clear && b2 > clear) || (b0 < -clear && b1 < -clear && b2 < -clear))
    return 0;
  double roots[2];
  int c = SolveQuadratic(qa / s, qb / s, qc / s, roots);
  int n = 0;
  for (int i = 0; i < c; i++) {
    double u;
    if (roots[i] >= 0 && roots[i] <= 1 && BilinearU(e, r, roots[i], &u))
      n = AddIfValid(roots[i], u, t, n);
  }
  return n;
}

int SweptEdgeCrossings(const Vex3_quarnd& a0, const Vex3_quarnd& a1, const Vex3_quarnd& b0,
                       const Vex3_quarnd& b1, const Vex3_quarnd& ray, double t[2]) {
  SweptEdge e;
  PrepareSweptEdge(a0, a1, b0, b1, &e);
  return EdgeCrossings(e, ray, nullptr, t);
}
