// Coverage intervals of a moving triangle at one sample ray, and the ray's
// distance to a triangle.
//
// With the eye at the origin and vertices v0, v1, v2, a ray r meets the
// triangle's plane with barycentric weights (r.(v1 x v2), r.(v2 x v0),
// r.(v0 x v1)) / r.N, N = (v1 - v0) x (v2 - v0), at distance
// det(v0, v1, v2) / r.N. With linear motion each numerator is a quadratic
// in time whose zeros are exactly the crossings of the swept edge opposite
// that vertex, so one set of per-ray dot products serves both the crossing
// times and the inside tests.
#include <cmath>
#include <utility>

#include "CoverageIntervals.h"

namespace {

// Points this far outside an edge, as a fraction of the triangle's extent
// across it, still count as inside (so points on an edge are inside).
constexpr double kInsideSlack = 1e-3;
// The coverage pieces lie between exact crossing times, so within a piece
// the ray is inside or outside throughout and its middle decides without
// slack; only rounding is allowed for. The wide slack there would hand a
// piece to a triangle the ray has just left through an edge (the
// neighbour across that edge then loses the overlap by plane distance).
constexpr double kPieceSlack = 1e-9;

// The hit test shared by every form. q: the three barycentric numerators,
// nn: |N|^2, det: det(v0, v1, v2), all eye-relative.
inline bool Decide(const double q[3], double nn, double det, bool insideTest, double* distance,
                   double slack = kInsideSlack) {
  if (nn < 1e-20) return false;  // degenerate: no normal (|N| < 1e-10)
  double g = q[0] + q[1] + q[2];  // r . N
  // A ray parallel to the plane has no meaningful distance; the triangle
  // cannot be seen along it, so it is no hit, both for coverage and for the
  // nearer-triangle comparison. Only rounding counts as parallel
  // (|r . n| < 1e-12): a wider band (1e-5 was tried) lets rays pass
  // through the rim of a closed surface, seen nearly edge-on, and hit its
  // back side.
  if (g * g < 1e-24 * nn) return false;
  double d = det / g;
  // The plane met behind the eye (or at it) is not seen through the
  // sample, whatever culling let through.
  if (!(d > 0)) return false;
  if (insideTest) {
    double inv = 1.0 / g;
    for (int i = 0; i < 3; i++)
      if (q[i] * inv < -slack) return false;
  }
  if (distance) *distance = d;
  return true;
}

// Ends of edge e (lower vertex first) and the vertex opposite it.
constexpr int kEdgeEnds[3][2] = {{0, 1}, {1, 2}, {0, 2}};
constexpr int kEdgeOpposite[3] = {2, 0, 1};

inline double Quad(const double c[3], double t) { return c[0] + t * (c[1] + t * c[2]); }

inline Vex3_quarnd QuadV(const Vex3_quarnd c[3], double t) {
  return c[0] + (c[1] + c[2] * t) * t;
}

inline double Cubic(const double c[4], double t) {
  return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
}

// Times in (0, 1) at which the cubic det(t) changes sign: the triangle's
// plane sweeps through the eye, and a ray's hit may move from in front of
// the eye to behind it without crossing an edge.
int CubicSignChanges(const double c[4], double out[3]) {
  // Bernstein form on [0, 1]: one sign throughout means no root.
  double b0 = c[0], b1 = c[0] + c[1] / 3, b2 = c[0] + (2 * c[1] + c[2]) / 3,
         b3 = c[0] + c[1] + c[2] + c[3];
  if ((b0 > 0 && b1 > 0 && b2 > 0 && b3 > 0) || (b0 < 0 && b1 < 0 && b2 < 0 && b3 < 0)) return 0;
  // Split [0, 1] at the turning points, bisect each monotone piece.
  double cuts[4] = {0, 0, 0, 1};
  int nc = 1;
  double dr[2];
  double da = 3 * c[3], db = 2 * c[2], dc = c[1];
  double s = std::fmax(std::fabs(da), std::fmax(std::fabs(db), std::fabs(dc)));
  if (s > 0) {
    int k = SolveQuadratic(da / s, db / s, dc / s, dr);
    if (k == 2 && dr[0] > dr[1]) std::swap(dr[0], dr[1]);
    for (int i = 0; i < k; i++)
      if (dr[i] > 0 && dr[i] < 1) cuts[nc++] = dr[i];
  }
  cuts[nc++] = 1;
  int n = 0;
  for (int i = 0; i + 1 < nc; i++) {
    double lo = cuts[i], hi = cuts[i + 1];
    double flo = Cubic(c, lo), fhi = Cubic(c, hi);
    if (!((flo < 0 && fhi > 0) || (flo > 0 && fhi < 0))) continue;
    for (int it = 0; it < 60 && hi - lo > 1e-15; it++) {
      double mid = 0.5 * (lo + hi), fm = Cubic(c, mid);
      if ((fm < 0) == (flo < 0)) {
        lo = mid;
        flo = fm;
      } else {
        hi = mid;
      }
    }
    out[n++] = 0.5 * (lo + hi);
  }
  return n;
}

}  // namespace

void PositionsAt(const TriangleMotion& m, double t, Vex3_quarnd v[3]) {
  for (int i = 0; i < 3; i++) {
    Vex3_quarnd a(m.a[i]), b(m.b[i]);
    v[i] = a + (b - a) * t;
  }
}

void PrepareMovingPlane(const TriangleMotion& motion, const Vex3_quarnd& eye, MovingTriangle* tri) {
  MovingTriangle& T = *tri;
  for (int i = 0; i < 3; i++) {
    Vex3_quarnd a(motion.a[i]), b(motion.b[i]);
    T.p[i] = a - eye;
    T.d[i] = b - a;
  }
  for (int i = 0; i < 3; i++) {
    int j = (i + 1) % 3, k = (i + 2) % 3;
    T.bary[i][0] = T.p[j].Cross(T.p[k]);
    T.bary[i][1] = T.p[j].Cross(T.d[k]) + T.d[j].Cross(T.p[k]);
    T.bary[i][2] = T.d[j].Cross(T.d[k]);
  }
  for (int k = 0; k < 3; k++) T.normal[k] = T.bary[0][k] + T.bary[1][k] + T.bary[2][k];
  const Vex3_quarnd* b0 = T.bary[0];
  T.det[0] = T.p[0].Dot(b0[0]);
  T.det[1] = T.p[0].Dot(b0[1]) + T.d[0].Dot(b0[0]);
  T.det[2] = T.p[0].Dot(b0[2]) + T.d[0].Dot(b0[1]);
  T.det[3] = T.d[0].Dot(b0[2]);
}

void PrepareMovingTriangle(const TriangleMotion& motion, const Vex3_quarnd& eye,
                           MovingTriangle* tri) {
  MovingTriangle& T = *tri;
  PrepareMovingPlane(motion, eye, tri);
  T.eyeEventCount = CubicSignChanges(T.det, T.eyeEvents);
  for (int e = 0; e < 3; e++) {
    const int lo = kEdgeEnds[e][0], hi = kEdgeEnds[e][1];
    PrepareSweptEdge(T.p[lo], T.p[hi], T.p[lo] + T.d[lo], T.p[hi] + T.d[hi], &T.edges[e]);
  }
}

int CoverageTimes(const MovingTriangle& T, const Vex3_quarnd& r, CoverageSpan* spans) {
  // Per-ray coefficients of the three barycentric numerators.
  double q[3][3];
  for (int i = 0; i < 3; i++)
    for (int k = 0; k < 3; k++) q[i][k] = r.Dot(T.bary[i][k]);

  // Events: the span ends, the eye passages and every edge crossing.
  double ev[2 + 3 + 6];
  int n = 0;
  ev[n++] = 0;
  ev[n++] = 1;
  for (int i = 0; i < T.eyeEventCount; i++) ev[n++] = T.eyeEvents[i];
  for (int e = 0; e < 3; e++) {
    // The barycentric numerator of the vertex opposite the edge is its
    // crossing function, up to the sign the orientation gives.
    n += EdgeCrossings(T.edges[e], r, q[kEdgeOpposite[e]], ev + n);
  }
  for (int i = 1; i < n; i++) {
    double v = ev[i];
    int j = i - 1;
    for (; j >= 0 && ev[j] > v; j--) ev[j + 1] = ev[j];
    ev[j + 1] = v;
  }

  // One inside test per piece; consecutive covered pieces form one span.
  int count = 0;
  bool open = false;
  double start = 0, end = 0;
  auto emit = [&]() {
    double s = RoundToMicro(start), e = RoundToMicro(end);
    if (s < e && count < kCoverageSlots) spans[count++] = {s, e};
  };
  for (int i = 0; i + 1 < n; i++) {
    double ta = ev[i], tb = ev[i + 1];
    if (!(ta < tb)) continue;
    double m = 0.5 * (ta + tb);
    double qm[3] = {Quad(q[0], m), Quad(q[1], m), Quad(q[2], m)};
    Vex3_quarnd N = QuadV(T.normal, m);
    bool hit = Decide(qm, N.Dot(N), Cubic(T.det, m), true, nullptr, kPieceSlack);
    if (hit) {
      if (!open) start = ta;
      open = true;
      end = tb;
    } else if (open) {
      emit();
      open = false;
    }
  }
  if (open) emit();
  return count;
}

int CoverageIntervals(const MovingTriangle& tri, const Vex3_quarnd& ray, uint32_t triangle,
                      CoverageInterval* slots) {
  CoverageSpan spans[kCoverageSlots];
  const int n = CoverageTimes(tri, ray, spans);
  for (int i = 0; i < n; i++) {
    slots[i].triangleId = triangle;
    slots[i].start = spans[i].start;
    slots[i].end = spans[i].end;
  }
  return n;
}

bool RayDistanceAt(const Vex3_quarnd& eye, const Vex3_quarnd& r, const Vex3_quarnd v[3],
                   bool insideTest, double* distance) {
  Vex3_quarnd p[3] = {v[0] - eye, v[1] - eye, v[2] - eye};
  Vex3_quarnd c[3] = {p[1].Cross(p[2]), p[2].Cross(p[0]), p[0].Cross(p[1])};
  Vex3_quarnd N = c[0] + c[1] + c[2];
  double q[3] = {r.Dot(c[0]), r.Dot(c[1]), r.Dot(c[2])};
  return Decide(q, N.Dot(N), p[0].Dot(c[0]), insideTest, distance);
}

bool RayDistanceAt(const MovingTriangle& T, const Vex3_quarnd& r, double t, bool insideTest,
                   double* distance) {
  double q[3];
  for (int i = 0; i < 3; i++) q[i] = r.Dot(QuadV(T.bary[i], t));
  Vex3_quarnd N = QuadV(T.normal, t);
  return Decide(q, N.Dot(N), Cubic(T.det, t), insideTest, distance);
}
