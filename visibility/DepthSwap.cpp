// The first sign change of a quintic on an interval, isolated in the
// Bernstein basis: where all Bernstein coefficients of a piece share one
// sign the polynomial has no root there; otherwise the piece is halved
// (de Casteljau) until it is shorter than the time resolution.
#include "DepthSwap.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDegree = 5;
constexpr double kResolution = 1e-8;  // time span a swap is located within

struct Bernstein {
  double b[kDegree + 1];
};

int Sign(double v, double noise) { return v > noise ? 1 : v < -noise ? -1 : 0; }

// Coefficients without a strict common sign: a root may lie in the piece.
bool MayChangeSign(const Bernstein& p, double noise) {
  bool pos = false, neg = false;
  for (double v : p.b) {
    pos |= v > noise;
    neg |= v < -noise;
  }
  return pos && neg;
}

void Split(const Bernstein& p, Bernstein* left, Bernstein* right) {
  double w[kDegree + 1];
  std::copy(p.b, p.b + kDegree + 1, w);
  for (int k = 0; k <= kDegree; k++) {
    left->b[k] = w[0];
    right->b[kDegree - k] = w[kDegree - k];
    for (int i = 0; i < kDegree - k; i++) w[i] = 0.5 * (w[i] + w[i + 1]);
  }
}

// Leftmost sign change of p over [lo, hi] within (from, to), or -1.
// `budget` bounds the pieces visited, so noise cannot make the search run
// long.
struct Search {
  double from, to, noise, resolution;
  int budget;
};
double Leftmost(const Bernstein& p, double lo, double hi, Search* q) {
  if (hi <= q->from || lo >= q->to || --q->budget < 0 || !MayChangeSign(p, q->noise)) return -1;
  if (hi - lo < q->resolution) {
    // The ends of the piece are its values there.
    const int s0 = Sign(p.b[0], q->noise), s1 = Sign(p.b[kDegree], q->noise);
    const double mid = 0.5 * (lo + hi);
    return s0 * s1 < 0 && mid > q->from && mid < q->to ? mid : -1;
  }
  Bernstein l, r;
  Split(p, &l, &r);
  const double mid = 0.5 * (lo + hi);
  const double t = Leftmost(l, lo, mid, q);
  return t >= 0 ? t : Leftmost(r, mid, hi, q);
}

}  // namespace

double FirstDepthSwap(const MovingTriangle& a, const MovingTriangle& b, const Vex3_quarnd& r,
                      double lo, double hi) {
  if (!(hi > lo)) return -1;
  double ga[3], gb[3];
  for (int k = 0; k < 3; k++) {
    ga[k] = r.Dot(a.normal[k]);
    gb[k] = r.Dot(b.normal[k]);
  }
  // h in the power basis, and the size of its terms for the noise floor.
  double h[kDegree + 1] = {}, size = 0;
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 3; j++) {
      h[i + j] += a.det[i] * gb[j] - b.det[i] * ga[j];
      size += std::fabs(a.det[i] * gb[j]) + std::fabs(b.det[i] * ga[j]);
    }
  // Shift to s in [0, 1]: t = lo + w s (Taylor shift, then scaling).
  const double w = hi - lo;
  for (int k = 0; k < kDegree; k++)
    for (int i = kDegree - 1; i >= k; i--) h[i] += lo * h[i + 1];
  double scale = 1;
  for (int k = 0; k <= kDegree; k++) {
    h[k] *= scale;
    scale *= w;
  }
  // Power to Bernstein: b_i = sum_j C(i, j) / C(n, j) a_j.
  static const double kChoose[kDegree + 1][kDegree + 1] = {
      {1}, {1, 1}, {1, 2, 1}, {1, 3, 3, 1}, {1, 4, 6, 4, 1}, {1, 5, 10, 10, 5, 1}};
  Bernstein p;
  for (int i = 0; i <= kDegree; i++) {
    p.b[i] = 0;
    for (int j = 0; j <= i; j++) p.b[i] += kChoose[i][j] / kChoose[kDegree][j] * h[j];
  }
  // Differences at rounding level are equal depths, not a swap. Swaps that
  // would round onto an end of the overlap change nothing.
  Search q;
  q.noise = 1e-12 * size;
  q.from = 5e-7 / w;
  q.to = 1 - 5e-7 / w;
  q.resolution = kResolution / w;
  q.budget = 4000;
  const double s = Leftmost(p, 0, 1, &q);
  if (s < 0) return -1;
  const double t = RoundToMicro(lo + w * s);
  return t > lo && t < hi ? t : -1;
}
