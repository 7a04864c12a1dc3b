// Where on the screen and how far along the view a moving triangle can be
// during parts of its span. Clip coordinates are linear in a position, so
// over a part each vertex's projection stays on the segment between its
// projections at the part's ends, and the triangle stays in the window box
// of those six points; its depth along a fixed direction stays between the
// least and the greatest depth of its vertices at the part's ends.
#pragma once

#include "CoverageIntervals.h"
#include "GLProject.h"

constexpr int kMaxParts = 64;

struct MotionFootprint {
  // Every position lies in front of the eye plane; otherwise nothing
  // below holds and callers treat the triangle as reaching everywhere.
  bool valid = false;
  int parts = 1;  // the span cut into this many equal parts, a power of two
  double clip[2][3][3] = {};  // [span end][vertex][clip x, y, w]
  double depth[2][3] = {};    // [span end][vertex] along the view direction, from the eye

  // Least and greatest vertex depth at the times ta and tb (and so between).
  double Nearest(double ta, double tb) const;
  double Farthest(double ta, double tb) const;
};

// `view` is a unit direction; depth is (position - eye) . view.
void MakeFootprint(const Projector& projector, const TriangleMotion& motion,
                   const Vex3_quarnd& eye, const Vex3_quarnd& view, MotionFootprint* f);
