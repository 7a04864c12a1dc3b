// Exact coverage intervals of a moving triangle at one sample ray.
//
// A triangle's vertices move on straight lines over the span [0, 1]. The
// sample ray enters or leaves the triangle only when it crosses the surface
// swept by one of the three edges, so the crossing times cut the span into
// pieces of constant coverage and one inside test per piece decides.
//
// Everything here works in eye-relative double coordinates, prepared once
// per triangle (`MovingTriangle`), so that the per-sample work is a few dot
// products, three small quadratic solves and at most a handful of inside
// tests, with no allocation.
#pragma once

#include <cstdint>

#include "SuperPixel.h"
#include "Vex3.h"

// Vertex positions of one triangle at the two ends of a run's span, in
// ascending vertex-number order (so the normal's sign does not depend on
// the mesh's winding).
struct TriangleMotion {
  Vex3_quarn a[3];  // at span start (local time 0)
  Vex3_quarn b[3];  // at span end (local time 1)
};

// One time interval of coverage, already rounded to a multiple of 1e-6.
struct CoverageSpan {
  double start = 0, end = 0;
};

// Upper bound of spans one evaluation writes (the callers' slot count).
constexpr int kCoverageSlots = 10;

// qa t^2 + qb t + qc = 0. Returns 0, 1 (a double root, or linear) or 2
// roots; with two, the root (sqrt(d) - qb) / (2 qa) comes first. The roots are computed in the
// cancellation-free form, so a tiny qa does not destroy the smaller root.
int SolveQuadratic(double qa, double qb, double qc, double roots[2]);

// Nearest multiple of 1e-6 (a remainder of exactly one half rounds down).
double RoundToMicro(double t);

// The surface swept by one edge, prepared for many rays. Ends are taken
// relative to the eye.
struct SweptEdge {
  Vex3_quarnd a0, a1;  // edge ends at span start
  Vex3_quarnd e0, e1;  // displacement of each end over the span
  bool planar = false;  // the four end positions lie in one plane
  bool degenerate = false;  // they lie on one line: the surface has no area
  // Bilinear form: r . (P0(t) x P1(t)) = r.c[0] + r.c[1] t + r.c[2] t^2.
  Vex3_quarnd c[3];
  double scale = 0;  // |c[0]| + |c[1]| + |c[2]|
  // Planar form: plane normal, offset and the parts of the in-plane
  // quadratic that do not depend on the ray.
  Vex3_quarnd n;
  double k = 0, qa = 0, qbConst = 0;
  Vex3_quarnd wb, wc;
};

void PrepareSweptEdge(const Vex3_quarnd& a0, const Vex3_quarnd& a1, const Vex3_quarnd& b0,
                      const Vex3_quarnd& b1, SweptEdge* edge);
// Crossing times in [0, 1] of the ray (from the eye) with the prepared
// surface. `q` are the bilinear coefficients r.c[k] when the caller has
// them already, or null.
int EdgeCrossings(const SweptEdge& edge, const Vex3_quarnd& ray, const double* q, double t[2]);
// Both steps at once, for one ray: ends of the edge at start (a0, a1) and
// at end (b0, b1), relative to the eye.
int SweptEdgeCrossings(const Vex3_quarnd& a0, const Vex3_quarnd& a1, const Vex3_quarnd& b0,
                       const Vex3_quarnd& b1, const Vex3_quarnd& ray, double t[2]);

// A moving triangle prepared for many sample rays from one eye.
struct MovingTriangle {
  Vex3_quarnd p[3];  // eye-relative positions at span start
  Vex3_quarnd d[3];  // displacement over the span
  // (0,1), (1,2), (0,2): each edge from its lower vertex number, so the
  // two triangles of a shared edge compute its crossings identically.
  SweptEdge edges[3];
  // bary[i][k]: coefficient of t^k of v_j(t) x v_k(t), (i, j, k) cyclic.
  // r . bary[i](t) is the ray's barycentric weight of vertex i times
  // r . N(t), and the bilinear crossing function of the edge opposite i.
  Vex3_quarnd bary[3][3];
  Vex3_quarnd normal[3];  // N(t) = sum of bary[i](t), unnormalised
  double det[4] = {};    // det(v0, v1, v2)(t): the eye's side of the plane
  double eyeEvents[3] = {};  // times the plane passes through the eye
  int eyeEventCount = 0;
};

void PrepareMovingTriangle(const TriangleMotion& motion, const Vex3_quarnd& eye,
                           MovingTriangle* tri);
// Only what the distance along a ray needs (positions, barycentric
// numerators, normal, det): no edges, no eye passages.
void PrepareMovingPlane(const TriangleMotion& motion, const Vex3_quarnd& eye, MovingTriangle* tri);

// Coverage of the unit ray `ray` from the eye over [0, 1]: writes up to
// kCoverageSlots spans (sorted, disjoint, adjacent covered pieces joined)
// and returns their number. Each piece between crossing times is decided
// by the inside test at its middle, with a slack for rounding only.
int CoverageTimes(const MovingTriangle& tri, const Vex3_quarnd& ray, CoverageSpan* spans);

// The same as timeline intervals: fills triangle id, start and end of up to
// kCoverageSlots caller-owned slots (reused for every sample, so nothing is
// allocated per sample) and returns their number.
int CoverageIntervals(const MovingTriangle& tri, const Vex3_quarnd& ray, uint32_t triangle,
                      CoverageInterval* slots);

// Distance along the unit ray from the eye to the plane of the triangle
// with the given vertex positions. False (no hit) when the triangle is
// degenerate, when the ray runs parallel to its plane (|r.n| < 1e-12), when
// the plane is met behind the eye, or, with the inside test, when the hit
// point lies outside the triangle. The inside test accepts points within
// 0.001 of the triangle's extent outside an edge (barycentric weight
// >= -0.001), so points on an edge count as inside.
bool RayDistanceAt(const Vex3_quarnd& eye, const Vex3_quarnd& ray, const Vex3_quarnd v[3],
                   bool insideTest, double* distance);
// The same on a prepared triangle at local time t.
bool RayDistanceAt(const MovingTriangle& tri, const Vex3_quarnd& ray, double t, bool insideTest,
                   double* distance);
// Vertex positions of a motion at local time t, interpolated in double.
void PositionsAt(const TriangleMotion& motion, double t, Vex3_quarnd v[3]);
