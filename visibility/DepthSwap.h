// When two moving triangles that both cover a sample ray change places in
// depth along it. Along a ray r from the eye, a triangle lies at distance
// det(t) / (r . N(t)): det(v0, v1, v2) a cubic and the normal N a
// quadratic in time for linear motion. The two distances are equal where
// h(t) = det_a(t) (r . N_b(t)) - det_b(t) (r . N_a(t)), a quintic, changes
// sign. Comparing the two only at the middle of their overlap gives the
// whole overlap to one of them, which is wrong for surfaces that pass
// through each other or intersect and turn.
#pragma once

#include "CoverageIntervals.h"

// First moment in (lo, hi) at which the nearer of the two triangles
// changes, rounded to a multiple of 1e-6; -1 when there is none whose
// rounded time lies strictly inside. Equal depths throughout (coplanar
// triangles) have no such moment.
// Needs the triangles' planes only (PrepareMovingPlane).
double FirstDepthSwap(const MovingTriangle& a, const MovingTriangle& b, const Vex3_quarnd& ray,
                      double lo, double hi);
