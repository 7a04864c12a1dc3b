// Screen box and convex hull of a moving triangle's six projected positions.
#include "TriangleScreenHull.h"

#include <algorithm>
#include <cmath>

namespace {

double Cross(double ox, double oy, double ax, double ay, double bx, double by) {
  return (ax - ox) * (by - oy) - (ay - oy) * (bx - ox);
}

}  // namespace

void TriangleScreenHull(const Projector& projector, const TriangleMotion& motion, ScreenHull* h) {
  double px[6], py[6];
  int behind = 0;
  for (int i = 0; i < 6; i++) {
    const Vex3_quarn& v = i < 3 ? motion.a[i] : motion.b[i - 3];
    if (!(projector.ClipW(v.x, v.y, v.z) > 0)) behind++;
    double z = 0;
    px[i] = py[i] = 0;
    projector.Project(v, &px[i], &py[i], &z);
    h->depth[i] = z;
  }
  h->behindEye = behind > 0;
  h->allBehindEye = behind == 6;
  h->minX = h->maxX = px[0];
  h->minY = h->maxY = py[0];
  for (int i = 1; i < 6; i++) {
    h->minX = std::min(h->minX, px[i]);
    h->maxX = std::max(h->maxX, px[i]);
    h->minY = std::min(h->minY, py[i]);
    h->maxY = std::max(h->maxY, py[i]);
  }

  // Monotone chain over the points sorted by x, then y: counter-clockwise
  // in window coordinates, so inside points give non-negative crosses.
  int order[6] = {0, 1, 2, 3, 4, 5};
  std::sort(order, order + 6, [&](int a, int b) {
    return px[a] < px[b] || (px[a] == px[b] && py[a] < py[b]);
  });
  double hx[13], hy[13];
  int k = 0;
  for (int i = 0; i < 6; i++) {  // lower chain
    int p = order[i];
    while (k >= 2 && Cross(hx[k - 2], hy[k - 2], hx[k - 1], hy[k - 1], px[p], py[p]) <= 0) k--;
    hx[k] = px[p];
    hy[k] = py[p];
    k++;
  }
  for (int i = 4, lower = k + 1; i >= 0; i--) {  // upper chain
    int p = order[i];
    while (k >= lower && Cross(hx[k - 2], hy[k - 2], hx[k - 1], hy[k - 1], px[p], py[p]) <= 0) k--;
    hx[k] = px[p];
    hy[k] = py[p];
    k++;
  }
  // k counts the closed polygon: the chain ends on its first point again.
  // Equal points (a static triangle) reduce it to a single point.
  if (k < 2) {
    hx[1] = hx[0];
    hy[1] = hy[0];
    k = 2;
  }
  h->count = std::min(k, 7);
  for (int i = 0; i < h->count; i++) {
    h->x[i] = hx[i];
    h->y[i] = hy[i];
  }
  h->PrepareEdges();
}

bool ClipBoxToWindow(double minX, double minY, double maxX, double maxY, int w, int h, int* x0,
                     int* y0, int* x1, int* y1) {
  if (!(minX <= maxX && minY <= maxY)) return false;
  if (maxX < 0 || maxY < 0 || minX >= w || minY >= h) return false;
  double lx = std::max(std::floor(minX), 0.0), ly = std::max(std::floor(minY), 0.0);
  double hx = std::min(maxX, double(w - 1)), hy = std::min(maxY, double(h - 1));
  *x0 = int(lx);
  *y0 = int(ly);
  *x1 = int(hx);
  *y1 = int(hy);
  return *x0 <= *x1 && *y0 <= *y1;
}
