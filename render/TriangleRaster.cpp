// Scan conversion of triangles at cell centres, watertight: a centre on an
// edge shared by two triangles belongs to exactly one of them. The inside
// test is the sign of an orientation predicate on the projected vertices,
// exact whenever rounding could flip it, so the two triangles of an edge
// always disagree; a centre exactly on an edge goes by the top-left rule.
// Depths come from a plane solved in double, and a strictly-greater depth
// test keeps the cell for the triangle drawn first on equal depths.
#include <algorithm>
#include <cmath>

#include "ObjLoader.h"
#include "PPC.h"
#include "GroupTriangles.h"
#include "SoftwareRaster.h"

namespace {

// Error-free transformations: a + b = s + e and a * b = p + e exactly.
inline void TwoSum(double a, double b, double* s, double* e) {
  *s = a + b;
  const double bv = *s - a;
  *e = (a - (*s - bv)) + (b - bv);
}
inline void TwoProduct(double a, double b, double* p, double* e) {
  *p = a * b;
  *e = std::fma(a, b, -*p);
}

// Sign of the sum of n doubles, exactly: the terms are folded into a
// non-overlapping expansion whose largest component carries the sign.
int ExactSumSign(const double* terms, int n) {
  double e[32];
  int m = 0;
  for (int i = 0; i < n; i++) {
    double q = terms[i];
    int k = 0;
    for (int j = 0; j < m; j++) {
      double s, err;
      TwoSum(q, e[j], &s, &err);
      if (err != 0) e[k++] = err;
      q = s;
    }
    if (q != 0) e[k++] = q;
    m = k;
  }
  return m == 0 ? 0 : (e[m - 1] > 0 ? 1 : -1);
}

// Exact sign of (ax - px) (by - py) - (ay - py) (bx - px).
int ExactOrientation(double ax, double ay, double bx, double by, double px, double py) {
  double d[4][2];  // the four differences, each as value + rounding error
  TwoSum(ax, -px, &d[0][0], &d[0][1]);
  TwoSum(by, -py, &d[1][0], &d[1][1]);
  TwoSum(ay, -py, &d[2][0], &d[2][1]);
  TwoSum(bx, -px, &d[3][0], &d[3][1]);
  double terms[16];
  int n = 0;
  for (int i = 0; i < 2; i++)
    for (int j = 0; j < 2; j++) {
      TwoProduct(d[0][i], d[1][j], &terms[n], &terms[n + 1]);
      TwoProduct(-d[2][i], d[3][j], &terms[n + 2], &terms[n + 3]);
      n += 4;
    }
  return ExactSumSign(terms, n);
}

// The double evaluation decides when it is farther from zero than its
// rounding can reach (the classic bound (3 + 16 eps) eps on the sum of the
// two products' magnitudes); otherwise the exact sign is computed.
inline int Orientation(double ax, double ay, double bx, double by, double px, double py) {
  const double left = (ax - px) * (by - py);
  const double right = (ay - py) * (bx - px);
  const double det = left - right;
  const double bound = 3.3306690738754716e-16 * (std::fabs(left) + std::fabs(right));
  if (det > bound) return 1;
  if (det < -bound) return -1;
  return ExactOrientation(ax, ay, bx, by, px, py);
}

inline bool Covers(const ScreenTriangle& t, int k, double cx, double cy) {
  const int s = Orientation(t.ax[k], t.ay[k], t.bx[k], t.by[k], cx, cy);
  return s > 0 || (s == 0 && t.owns[k]);
}

}  // namespace

int EdgeOrientation(double ax, double ay, double bx, double by, double px, double py) {
  return Orientation(ax, ay, bx, by, px, py);
}

int NearPlaneParts(const Projector& proj, const Vex3_quarn v[3], Vex3_quarn parts[2][3]) {
  double d[3];
  int behind = 0;
  for (int i = 0; i < 3; i++) {
    d[i] = proj.NearSide(v[i].x, v[i].y, v[i].z);
    behind += d[i] < 0;
  }
  if (behind == 0) {
    for (int i = 0; i < 3; i++) parts[0][i] = v[i];
    return 1;
  }
  if (behind == 3) return 0;
  // Walk the edges, keeping vertices in front and the crossing points.
  Vex3_quarn poly[4];
  int n = 0;
  for (int i = 0; i < 3; i++) {
    const int j = (i + 1) % 3;
    if (d[i] >= 0) poly[n++] = v[i];
    if ((d[i] < 0) != (d[j] < 0)) {
      const double t = d[i] / (d[i] - d[j]);
      poly[n++] = Vex3_quarn(float(v[i].x + t * (v[j].x - v[i].x)),
                             float(v[i].y + t * (v[j].y - v[i].y)),
                             float(v[i].z + t * (v[j].z - v[i].z)));
    }
  }
  parts[0][0] = poly[0];
  parts[0][1] = poly[1];
  parts[0][2] = poly[2];
  if (n < 4) return 1;
  parts[1][0] = poly[0];
  parts[1][1] = poly[2];
  parts[1][2] = poly[3];
  return 2;
}

bool SetupScreenTriangle(const Projector& proj, const Vex3_quarn v[3], double scale, int cw, int ch,
                         ScreenTriangle* t) {
  bool anyInDepth = false;
  for (int i = 0; i < 3; i++) {
    double x = 0, y = 0, z = -1;
    if (!proj.Project(v[i], &x, &y, &z)) return false;
    t->x[i] = x * scale;
    t->y[i] = y * scale;
    t->z[i] = z;
    if (!std::isfinite(t->x[i]) || !std::isfinite(t->y[i])) return false;
    if (z >= 0 && z <= 1) anyInDepth = true;
  }
  if (!anyInDepth) return false;

  t->xmin = std::min({t->x[0], t->x[1], t->x[2]});
  t->xmax = std::max({t->x[0], t->x[1], t->x[2]});
  t->ymin = std::min({t->y[0], t->y[1], t->y[2]});
  t->ymax = std::max({t->y[0], t->y[1], t->y[2]});
  if (t->xmax < 0 || t->xmin > cw || t->ymax < 0 || t->ymin > ch) return false;

  const double cross = (t->x[1] - t->x[0]) * (t->y[2] - t->y[0]) -
                       (t->y[1] - t->y[0]) * (t->x[2] - t->x[0]);
  if (0.5 * std::fabs(cross) < 1e-20) return false;
  // Counter-clockwise order, decided exactly: every edge then has the
  // inside on its left, and the two triangles of a shared edge run along
  // it in opposite directions.
  const int turn = Orientation(t->x[0], t->y[0], t->x[1], t->y[1], t->x[2], t->y[2]);
  if (turn == 0) return false;
  const int order[2][3] = {{0, 1, 2}, {0, 2, 1}};
  const int* o = order[turn > 0 ? 0 : 1];
  for (int e = 0; e < 3; e++) {
    const int a = o[e], b = o[(e + 1) % 3];
    t->ax[e] = t->x[a];
    t->ay[e] = t->y[a];
    t->bx[e] = t->x[b];
    t->by[e] = t->y[b];
    // Top-left rule: a centre on the edge is inside when the edge runs
    // down, or along a row to the left (the triangle lies below it). The
    // opposite direction of the neighbour's copy fails exactly that test.
    const double dx = t->x[b] - t->x[a], dy = t->y[b] - t->y[a];
    t->owns[e] = dy < 0 || (dy == 0 && dx < 0);
    t->ea[e] = t->y[a] - t->y[b];
    t->eb[e] = dx;
    t->ec[e] = -(t->ea[e] * t->x[a] + t->eb[e] * t->y[a]);
    t->ia[e] = t->ea[e] != 0 ? 1 / t->ea[e] : 0;
  }

  // Depth plane from the edge vectors at vertex 0 and evaluated there too:
  // far from the grid's origin the plane's constant term is a large sum
  // that nearly cancels, which for a thin triangle seen edge-on misplaced
  // depths by more than the gap to the surface just behind it.
  const double x1 = t->x[1] - t->x[0], y1 = t->y[1] - t->y[0], z1 = t->z[1] - t->z[0];
  const double x2 = t->x[2] - t->x[0], y2 = t->y[2] - t->y[0], z2 = t->z[2] - t->z[0];
  const double det = x1 * y2 - x2 * y1;
  t->alpha = (z1 * y2 - z2 * y1) / det;
  t->beta = (x1 * z2 - x2 * z1) / det;
  t->gamma = t->z[0] - t->alpha * t->x[0] - t->beta * t->y[0];
  return std::isfinite(t->alpha) && std::isfinite(t->beta) && std::isfinite(t->gamma);
}

void ScreenTriangleRows(const ScreenTriangle& t, int ch, int* first, int* last) {
  *first = int(std::max(t.ymin, 0.0));
  *last = int(std::min(t.ymax, double(ch - 1)));
}

namespace {

// Narrows [*lo, *hi] to the cells of row centre cy whose centres pass all
// three edge tests. Along a row the exact orientation is linear in x, so
// the cells passing one edge form one run: its end is estimated from the
// edge's line function and then settled by the exact test itself. The
// result is exactly the cells the per-cell test accepts.
void CoveredSpan(const ScreenTriangle& t, double cy, int* lo, int* hi) {
  for (int k = 0; k < 3 && *lo <= *hi; k++) {
    const double ea = t.ea[k];
    auto in = [&](int x) { return Covers(t, k, x + 0.5, cy); };
    if (ea == 0) {
      if (!in(*lo)) *hi = *lo - 1;
      continue;
    }
    // Centre where the edge crosses zero. Clamped to the span's own ends,
    // an edge that misses the span costs one test.
    double cross = -(t.eb[k] * cy + t.ec[k]) * t.ia[k] - 0.5;
    if (!std::isfinite(cross)) cross = *lo;
    if (ea > 0) {
      // Rising: the first passing cell.
      int x = int(std::ceil(std::min(std::max(cross, double(*lo)), double(*hi) + 1)));
      while (x > *lo && in(x - 1)) x--;
      while (x <= *hi && !in(x)) x++;
      *lo = x;
    } else {
      // Falling: the last passing cell.
      int x = int(std::floor(std::min(std::max(cross, double(*lo) - 1), double(*hi))));
      while (x < *hi && in(x + 1)) x++;
      while (x >= *lo && !in(x)) x--;
      *hi = x;
    }
  }
}

template <typename DepthT>
void Scan(const ScreenTriangle& t, int cw, int ch, int rowBegin, int rowEnd, int32_t* ids,
          DepthT* depth, uint32_t* colour, uint32_t colourValue, int32_t id) {
  int y0 = 0, y1 = 0;
  ScreenTriangleRows(t, ch, &y0, &y1);
  y0 = std::max(y0, rowBegin);
  y1 = std::min(y1, rowEnd - 1);
  const int x0 = int(std::max(t.xmin, 0.0));
  const int x1 = int(std::min(t.xmax, double(cw - 1)));
  for (int y = y0; y <= y1; y++) {
    const double cy = y + 0.5;
    int lo = x0, hi = x1;
    CoveredSpan(t, cy, &lo, &hi);
    const size_t row = size_t(y - rowBegin) * size_t(cw);
    const double rowDepth = t.z[0] + t.beta * (cy - t.y[0]);
    for (int x = lo; x <= hi; x++) {
      const double z = rowDepth + t.alpha * (x + 0.5 - t.x[0]);
      const size_t index = row + size_t(x);
      if (depth[index] > z && z >= 0 && z <= 1) {
        depth[index] = DepthT(z);
        ids[index] = id;
        if (colour != nullptr) colour[index] = colourValue;
      }
    }
  }
}

}  // namespace

void ScanTriangle(const ScreenTriangle& t, int cw, int ch, int rowBegin, int rowEnd, int32_t* ids,
                  float* depth, int32_t id) {
  Scan(t, cw, ch, rowBegin, rowEnd, ids, depth, nullptr, 0u, id);
}

void ScanTriangle(const ScreenTriangle& t, int cw, int ch, int rowBegin, int rowEnd, int32_t* ids,
                  double* depth, uint32_t* colour, uint32_t colourValue, int32_t id) {
  Scan(t, cw, ch, rowBegin, rowEnd, ids, depth, colour, colourValue, id);
}

void RasterTriangle(uint32_t* colour, int32_t* ids, const Projector& proj, int w, int h,
                    double* depth, uint32_t colourValue, const Vex3_quarn v[3], int32_t id) {
  Vex3_quarn parts[2][3];
  for (int p = 0, n = NearPlaneParts(proj, v, parts); p < n; p++) {
    ScreenTriangle t;
    if (SetupScreenTriangle(proj, parts[p], 1.0, w, h, &t))
      Scan(t, w, h, 0, h, ids, depth, colour, colourValue, id);
  }
}


namespace {

template <typename DepthT>
void RasterMesh(const ObjLoader& mesh, int32_t* ids, PPC& camera, DepthT* depth, int f,
                const int32_t* mask, std::ostream& log) {
  camera.SetGLAndCache();
  const Projector proj = camera.MakeProjector();
  const int cw = camera.w * f, ch = camera.h * f;
  ForEachGroupTriangle(mesh, [&](int32_t g, int32_t k, int32_t id, const Vex3_quarn v[3]) {
    if (mesh.groupCount == 1 && k % 10000 == 0)
      log << "\r" << k << "/" << mesh.groupTriCount[g] << std::flush;
    if (mask != nullptr && mask[id] == 0) return;
    Vex3_quarn parts[2][3];
    for (int p = 0, n = NearPlaneParts(proj, v, parts); p < n; p++) {
      ScreenTriangle t;
      if (SetupScreenTriangle(proj, parts[p], f, cw, ch, &t))
        Scan(t, cw, ch, 0, ch, ids, depth, nullptr, 0u, id);
    }
  }, [&](int32_t g) { log << "\r" << g + 1 << "/" << mesh.groupCount << std::flush; });
  log << "\n";
}

}  // namespace

void TriangleRaster(const ObjLoader& mesh, int32_t* ids, PPC& camera, float* depth, int f,
                    const int32_t* mask, std::ostream& log) {
  RasterMesh(mesh, ids, camera, depth, f, mask, log);
}

void TriangleRaster(const ObjLoader& mesh, int32_t* ids, PPC& camera, double* depth, int f,
                    const int32_t* mask, std::ostream& log) {
  RasterMesh(mesh, ids, camera, depth, f, mask, log);
}

void Reproject(ObjLoader& mesh, const PPC& from, const PPC& to) {
  const Projector a = from.MakeProjector(), b = to.MakeProjector();
  for (Vex3_quarn& p : mesh.positions) {
    double x = 0, y = 0, z = 0, ox = 0, oy = 0, oz = 0;
    if (!a.Project(p, &x, &y, &z)) continue;
    if (!b.UnProject(x, y, z, &ox, &oy, &oz)) continue;
    p = Vex3_quarn(float(ox), float(oy), float(oz));
  }
}
