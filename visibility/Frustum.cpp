#include "Frustum.h"

#include <cmath>


Frustum Frustum::FromMatrices(const GLMatrices& view) {
  Frustum f;
  // clip = projection * model-view (column-major, as gluUnProject forms it).
  double clip[16];
  MultiplyMatrices4(view.modelView, view.projection, clip);
  auto row = [&](int r, int c) { return clip[c * 4 + r]; };
  // Clip-space inequalities -w <= x, y, z <= w as world planes.
  const int axis[6] = {0, 0, 1, 1, 2, 2};
  const double sign[6] = {1, -1, 1, -1, 1, -1};
  for (int p = 0; p < 6; p++) {
    double len = 0;
    for (int c = 0; c < 4; c++) {
      f.planes[p][c] = row(3, c) + sign[p] * row(axis[p], c);
      if (c < 3) len += f.planes[p][c] * f.planes[p][c];
    }
    len = std::sqrt(len);
    if (len > 0)
      for (int c = 0; c < 4; c++) f.planes[p][c] /= len;
  }
  // Corners: the window rectangle at window depths 0 and 1.
  const Projector proj(view);
  const int* vp = view.viewport;
  for (int i = 0; i < 8; i++) {
    const double wx = vp[0] + ((i & 1) ? vp[2] : 0);
    const double wy = vp[1] + ((i & 2) ? vp[3] : 0);
    const double wz = (i & 4) ? 1.0 : 0.0;
    double x = 0, y = 0, z = 0;
    if (proj.UnProject(wx, wy, wz, &x, &y, &z))
      f.box.Extend(Vex3_quarn(float(x), float(y), float(z)));
  }
  return f;
}
