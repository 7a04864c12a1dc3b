// The screen-space form of one triangle that both ASL passes work on:
// projected vertices, inward edge lines, the pixel rectangle it touches and
// the depth plane.
#pragma once

#include <cstdint>

#include "GLProject.h"
#include "Vex3.h"

struct AslTriangle {
  double x[3] = {0, 0, 0}, y[3] = {0, 0, 0}, z[3] = {0, 0, 0};
  // Line k runs through vertices k and k + 1 (cyclically); inside is where
  // ea x + eb y + ec w >= 0 for all three, whatever the winding.
  double ea[3] = {0, 0, 0}, eb[3] = {0, 0, 0}, ec[3] = {0, 0, 0};
  // Pixel rectangle, both ends included.
  int32_t col0 = 0, col1 = -1, row0 = 0, row1 = -1;
  // Depth plane z = pa x + pb y + pc (depth passes only).
  double pa = 0, pb = 0, pc = 0;

  double Edge(int k, double px, double py, double pw = 1.0) const {
    return ea[k] * px + eb[k] * py + ec[k] * pw;
  }
  bool Inside(double px, double py, double pw = 1.0) const {
    return Edge(0, px, py, pw) >= 0 && Edge(1, px, py, pw) >= 0 && Edge(2, px, py, pw) >= 0;
  }
};

// Projects the three vertices into window coordinates. False when a
// projection fails (clip w of zero).
bool ProjectAslTriangle(const Projector& proj, const Vex3_quarn v[3], AslTriangle* t);
// Builds the edge lines from the projected vertices.
void BuildEdgeLines(AslTriangle* t);
// Half the cross product of the screen edges below 1e-20.
bool IsDegenerate(const AslTriangle& t);
// The pixel rectangle of a width x height buffer; false when the triangle's
// box lies wholly outside it.
bool ScreenRectangle(AslTriangle* t, int32_t width, int32_t height);

// Window depth as a linear function of window x and y through the three
// projected vertices: z = a x + b y + c. False when no finite plane exists.
bool DepthPlane(const AslTriangle& t, double* a, double* b, double* c);

// The three forms of the depth pass.
enum class ResolveVariant { kPrincipal, kShaded, kKeyframed };

// The per-triangle tests of the two passes, split from the per-pixel work
// so that a pass can prepare triangles ahead of the one it applies. False
// when the triangle is skipped.
bool PreparePlacement(const Projector& proj, const Vex3_quarn v[3], int32_t width,
                      int32_t height, AslTriangle* t);
bool PrepareResolve(const Projector& proj, const Vex3_quarn v[3], int32_t width, int32_t height,
                    ResolveVariant variant, AslTriangle* t);

// Whether segments a1-a2 and b1-b2 cross (ends included); the crossing
// point goes to (*px, *py). Zero-length or parallel segments never cross.
bool SegmentIntersect2D(double a1x, double a1y, double a2x, double a2y, double b1x, double b1y,
                        double b2x, double b2y, double* px, double* py);
