// Orthographic arrays whose window coordinates equal world x and y (a
// power-of-two viewport keeps every step exact) and whose window depth is
// (1 - z) / 2, so pixels and triangles can be placed exactly.
#pragma once

#include "GLProject.h"
#include "Vex3.h"

inline GLMatrices OrthoMatrices(int w, int h) {
  GLMatrices m;
  m.projection[0] = 2.0 / w;
  m.projection[5] = 2.0 / h;
  m.projection[10] = -1;
  m.projection[12] = m.projection[13] = -1;
  m.viewport[2] = w;
  m.viewport[3] = h;
  return m;
}

// The point at window (x, y) and window depth `depth`.
inline Vex3_quarn At(float x, float y, float depth) { return {x, y, 1 - 2 * depth}; }
