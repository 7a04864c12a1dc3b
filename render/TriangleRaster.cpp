// Scan conversion of triangles at cell centres: exact edge functions, a
// depth plane solved in double, and a strictly-greater depth test so that
// on equal depths the triangle drawn first keeps the cell.
#include <algorithm>
#include <cmath>

#include "M33.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "GroupTriangles.h"
#include "SoftwareRaster.h"

bool SetupScreenTriangle(const Projector& proj, const Vex3_quarn v[3], double scale, int cw, int ch,
                         ScreenTriangle* t) {
  bool anyInDepth = false;
  for (int i = 0; i < 3; i++) {
    double x = 0, y = 0, z = -1;
    if (!proj.Project(v[i], &x, &y, &z)) return false;
    t->x[i] = x * scale;
    t->y[i] = y * scale;
    t->z[i] = z;
    if (z >= 0 && z <= 1) anyInDepth = true;
  }
  if (!anyInDepth) return false;

  t->xmin = std::min({t->x[0], t->x[1], t->x[2]});
  t->xmax = std::max({t->x[0], t->x[1], t->x[2]});
  t->ymin = std::min({t->y[0], t->y[1], t->y[2]});
  t->ymax = std::max({t->y[0], t->y[1], t->y[2]});
  if (t->xmax < 0 || t->xmin > cw || t->ymax < 0 || t->ymin > ch) return false;

  // Edge a -> b with the third vertex c on its non-negative side.
  for (int e = 0; e < 3; e++) {
    const int a = e, b = (e + 1) % 3, c = (e + 2) % 3;
    double ea = t->y[a] - t->y[b];
    double eb = t->x[b] - t->x[a];
    double ec = -(ea * t->x[b] + eb * t->y[b]);
    if (ea * t->x[c] + eb * t->y[c] + ec < 0) {
      ea = -ea;
      eb = -eb;
      ec = -ec;
    }
    t->ea[e] = ea;
    t->eb[e] = eb;
    t->ec[e] = ec;
  }

  const double cross = (t->x[1] - t->x[0]) * (t->y[2] - t->y[0]) -
                       (t->y[1] - t->y[0]) * (t->x[2] - t->x[0]);
  if (0.5 * std::fabs(cross) < 1e-20) return false;

  M33d m;
  for (int i = 0; i < 3; i++) {
    m(i, 0) = t->x[i];
    m(i, 1) = t->y[i];
    m(i, 2) = 1;
  }
  const Vex3_quarnd plane = m.Inverse() * Vex3_quarnd(t->z[0], t->z[1], t->z[2]);
  t->alpha = plane.x;
  t->beta = plane.y;
  t->gamma = plane.z;
  return std::isfinite(t->alpha) && std::isfinite(t->beta) && std::isfinite(t->gamma);
}

void ScreenTriangleRows(const ScreenTriangle& t, int ch, int* first, int* last) {
  *first = int(std::max(t.ymin, 0.0));
  *last = int(std::min(t.ymax, double(ch - 1)));
}

namespace {

inline double EdgeAt(const ScreenTriangle& t, int k, double cx, double cy) {
  return t.ea[k] * cx + t.eb[k] * cy + t.ec[k];
}

// Narrows [*lo, *hi] to the cells of row centre cy whose centres pass all
// three edge tests. For a fixed row each evaluated edge function is
// monotone in x (rounded products and sums are monotone), so the cells
// passing one edge form one run: its end is estimated in closed form and
// then settled by the same evaluation the per-cell test would do. The
// result is exactly the cells the per-cell test accepts.
void CoveredSpan(const ScreenTriangle& t, double cy, int* lo, int* hi) {
  for (int k = 0; k < 3 && *lo <= *hi; k++) {
    const double ea = t.ea[k];
    if (ea == 0) {
      if (EdgeAt(t, k, *lo + 0.5, cy) < 0) *hi = *lo - 1;
      continue;
    }
    // Centre where the edge crosses zero, clamped into the current span.
    double cross = -(t.eb[k] * cy + t.ec[k]) / ea - 0.5;
    cross = std::min(std::max(cross, double(*lo) - 1), double(*hi) + 1);
    if (ea > 0) {
      // Rising: the first passing cell.
      int x = int(std::ceil(cross));
      while (x > *lo && EdgeAt(t, k, x - 1 + 0.5, cy) >= 0) x--;
      while (x <= *hi && EdgeAt(t, k, x + 0.5, cy) < 0) x++;
      *lo = std::max(*lo, x);
    } else {
      // Falling: the last passing cell.
      int x = int(std::floor(cross));
      while (x < *hi && EdgeAt(t, k, x + 1 + 0.5, cy) >= 0) x++;
      while (x >= *lo && EdgeAt(t, k, x + 0.5, cy) < 0) x--;
      *hi = std::min(*hi, x);
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
    for (int x = lo; x <= hi; x++) {
      const double cx = x + 0.5;
      const double z = t.alpha * cx + t.beta * cy + t.gamma;
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
  ScreenTriangle t;
  if (!SetupScreenTriangle(proj, v, 1.0, w, h, &t)) return;
  Scan(t, w, h, 0, h, ids, depth, colour, colourValue, id);
}


void TriangleRasterRows(const ObjLoader& mesh, int32_t* ids, const PPC& camera, float* depth,
                        int f, const int32_t* mask, int rowBegin, int rowEnd) {
  const Projector proj = camera.MakeProjector();
  const int cw = camera.w * f, ch = camera.h * f;
  ForEachGroupTriangle(mesh, [&](int32_t, int32_t, int32_t id, const Vex3_quarn v[3]) {
    if (mask != nullptr && mask[id] == 0) return;
    ScreenTriangle t;
    if (!SetupScreenTriangle(proj, v, f, cw, ch, &t)) return;
    Scan(t, cw, ch, rowBegin, rowEnd, ids, depth, nullptr, 0u, id);
  }, [](int32_t) {});
}

void TriangleRaster(const ObjLoader& mesh, int32_t* ids, PPC& camera, float* depth, int f,
                    const int32_t* mask, std::ostream& log) {
  camera.SetGLAndCache();
  const Projector proj = camera.MakeProjector();
  const int cw = camera.w * f, ch = camera.h * f;
  ForEachGroupTriangle(mesh, [&](int32_t g, int32_t k, int32_t id, const Vex3_quarn v[3]) {
    if (mesh.groupCount == 1 && k % 10000 == 0)
      log << "\r" << k << "/" << mesh.groupTriCount[g] << std::flush;
    if (mask != nullptr && mask[id] == 0) return;
    ScreenTriangle t;
    if (!SetupScreenTriangle(proj, v, f, cw, ch, &t)) return;
    Scan(t, cw, ch, 0, ch, ids, depth, nullptr, 0u, id);
  }, [&](int32_t g) { log << "\r" << g + 1 << "/" << mesh.groupCount << std::flush; });
  log << "\n";
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
