#include "AslTriangle.h"

#include <algorithm>
#include <cmath>

#include "M33.h"

bool ProjectAslTriangle(const Projector& proj, const Vex3_quarn v[3], AslTriangle* t) {
  for (int i = 0; i < 3; i++)
    if (!proj.Project(v[i], &t->x[i], &t->y[i], &t->z[i])) return false;
  return true;
}

void BuildEdgeLines(AslTriangle* t) {
  for (int k = 0; k < 3; k++) {
    const int i = k, j = (k + 1) % 3, other = (k + 2) % 3;
    const double x1 = t->x[i], y1 = t->y[i], x2 = t->x[j], y2 = t->y[j];
    t->ea[k] = y2 - y1;
    t->eb[k] = x1 - x2;
    t->ec[k] = -y1 * (x1 - x2) - x1 * (y2 - y1);
    // Orient the line so the vertex off it lies on the non-negative side.
    if (t->Edge(k, t->x[other], t->y[other]) < 0) {
      t->ea[k] = -t->ea[k];
      t->eb[k] = -t->eb[k];
      t->ec[k] = -t->ec[k];
    }
  }
}

bool IsDegenerate(const AslTriangle& t) {
  // (P1 - P0) x (P2 - P0) with the points as (x, y, 1): only z survives.
  const double cross = (t.x[1] - t.x[0]) * (t.y[2] - t.y[0]) - (t.y[1] - t.y[0]) * (t.x[2] - t.x[0]);
  return 0.5 * std::fabs(cross) < 1e-20;
}

bool ScreenRectangle(AslTriangle* t, int32_t width, int32_t height) {
  const double minX = std::min({t->x[0], t->x[1], t->x[2]});
  const double maxX = std::max({t->x[0], t->x[1], t->x[2]});
  const double minY = std::min({t->y[0], t->y[1], t->y[2]});
  const double maxY = std::max({t->y[0], t->y[1], t->y[2]});
  if (minX > width || maxX < 0 || minY > height || maxY < 0) return false;
  // NaN coordinates fail every comparison above; keep them out too.
  if (!(minX <= maxX) || !(minY <= maxY)) return false;
  t->row0 = int32_t(std::max(0.0, std::floor(minY)));
  t->row1 = int32_t(std::min(maxY, double(height - 1)));
  t->col0 = int32_t(std::max(0.0, std::floor(minX)));
  t->col1 = int32_t(std::min(maxX, double(width - 1)));
  return true;
}

bool DepthPlane(const AslTriangle& t, double* a, double* b, double* c) {
  M33d m;
  for (int i = 0; i < 3; i++) {
    m(i, 0) = t.x[i];
    m(i, 1) = t.y[i];
    m(i, 2) = 1;
  }
  const Vex3_quarnd p = m.Inverse() * Vex3_quarnd(t.z[0], t.z[1], t.z[2]);
  *a = p.x;
  *b = p.y;
  *c = p.z;
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool SegmentIntersect2D(double a1x, double a1y, double a2x, double a2y, double b1x, double b1y,
                        double b2x, double b2y, double* px, double* py) {
  if (a1x == a2x && a1y == a2y) return false;
  if (b1x == b2x && b1y == b2y) return false;
  const double dax = a2x - a1x, day = a2y - a1y;
  const double dbx = b2x - b1x, dby = b2y - b1y;
  const double det = dax * dby - day * dbx;
  if (det == 0) return false;
  // a1 + u da = b1 + t db, by Cramer's rule.
  const double rx = b1x - a1x, ry = b1y - a1y;
  const double u = (rx * dby - ry * dbx) / det;
  const double t = (rx * day - ry * dax) / det;
  if (u < 0 || u > 1 || t < 0 || t > 1) return false;
  *px = a1x + u * dax;
  *py = a1y + u * day;
  return true;
}
