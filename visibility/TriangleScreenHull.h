// Screen region of a moving triangle over a span: the window box and the
// convex hull of its six projected vertex positions (both span ends). Each
// vertex moves on a straight line in front of the eye, so its projection
// stays on the segment between its two projected ends and the triangle
// stays inside the hull at every moment in between.
#pragma once

#include <algorithm>
#include <cmath>

#include "CoverageIntervals.h"
#include "GLProject.h"

// How far (pixels) outside its projected box and hull a sample may lie and
// still be tested: the sample rays and the projected vertices agree only to
// rounding, and a sample skipped wrongly lets what is behind show through.
constexpr double kScreenMargin = 0.01;

struct ScreenHull {
  // Window box of the six projections; depth range fixed at [0, 0].
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  // Closed polygon (first point repeated), inside on the non-negative side
  // of (p[k+1] - p[k]) x (q - p[k]).
  int count = 0;
  double x[7] = {}, y[7] = {};
  // A position lies at or behind the eye plane: its projection is mirrored,
  // so neither box nor hull bound the triangle; callers use the whole window.
  bool behindEye = false;
  // All six lie at or behind it: the triangle is never in front of the eye.
  bool allBehindEye = false;
  // Window depth of the six projections, for callers that filter by depth.
  double depth[6] = {};

  // No hull edge gives a cross product below -0.1 (pixel units squared),
  // nor lies more than kScreenMargin pixels inside out of q. The cross
  // product alone is a distance of 0.1 / length: on long edges far below
  // the rounding of the projections, which would drop covered samples.
  bool Contains(double qx, double qy) const {
    for (int k = 0; k + 1 < count; k++) {
      const double c = ex[k] * (qy - y[k]) - ey[k] * (qx - x[k]);
      if (c < -0.1 && c * c > reach2[k]) return false;
    }
    return true;
  }

  // Window x range [lo, hi] holding every point of the band y0 <= y <= y1
  // that Contains accepts (a little wider, never narrower); false when
  // the band holds none. Edge k accepts exactly the points with cross
  // product c >= -max(0.1, kScreenMargin * length), a half-plane, so the
  // range is the intersection of each edge's loosest bound over the band.
  bool RowSpan(double y0, double y1, double* lo, double* hi) const {
    double a = -1e300, b = 1e300;
    for (int k = 0; k + 1 < count; k++) {
      // ex (qy - y[k]) - ey (qx - x[k]) >= -slack, at the band's better end.
      const double rise = std::max(ex[k] * (y0 - y[k]), ex[k] * (y1 - y[k])) + slack[k];
      if (ey[k] > 0)
        b = std::min(b, x[k] + rise / ey[k]);
      else if (ey[k] < 0)
        a = std::max(a, x[k] + rise / ey[k]);
      else if (rise < 0)
        return false;
    }
    // Rounding of the bounds against the test itself: a thousandth of a
    // pixel is far above it.
    *lo = a - 1e-3;
    *hi = b + 1e-3;
    return *lo <= *hi;
  }

  // Fills the edge figures below from the polygon.
  void PrepareEdges() {
    for (int k = 0; k + 1 < count; k++) {
      ex[k] = x[k + 1] - x[k];
      ey[k] = y[k + 1] - y[k];
      reach2[k] = kScreenMargin * kScreenMargin * (ex[k] * ex[k] + ey[k] * ey[k]);
      slack[k] = std::max(0.1, kScreenMargin * std::sqrt(ex[k] * ex[k] + ey[k] * ey[k]));
    }
  }
  // Per edge k: its vector, the squared cross product beyond which a point
  // lies more than kScreenMargin out, and the loosest cross product the
  // test accepts (-slack).
  double ex[6] = {}, ey[6] = {}, reach2[6] = {}, slack[6] = {};
};

void TriangleScreenHull(const Projector& projector, const TriangleMotion& motion, ScreenHull* hull);

// Inclusive pixel range of a window box clipped to a w x h window (bounds
// truncated, as the runs visit them). False when nothing is left.
bool ClipBoxToWindow(double minX, double minY, double maxX, double maxY, int w, int h, int* x0,
                     int* y0, int* x1, int* y1);
