// Sample placement: one new sample per pixel that the triangle overlaps
// without covering any of the pixel's samples, at the mean of points of
// the overlap region (inside corners, vertices in the pixel, crossings of
// pixel sides with triangle edges).
#include "Asl.h"
#include "AslTriangle.h"

Projector BufferProjector(const SampleLocationBuffer& buffer) {
  if (!buffer.camera) return Projector(GLMatrices());
  return buffer.camera->MakeProjector();
}

int32_t PlaceSamplesForTriangle(SampleLocationBuffer& buffer, const Vex3_quarn& v0,
                                const Vex3_quarn& v1, const Vex3_quarn& v2) {
  return PlaceSamplesForTriangle(buffer, BufferProjector(buffer), v0, v1, v2);
}

bool PreparePlacement(const Projector& proj, const Vex3_quarn v[3], int32_t width,
                      int32_t height, AslTriangle* t) {
  if (!ProjectAslTriangle(proj, v, t)) return false;
  for (double z : t->z)
    if (z < 0) return false;
  BuildEdgeLines(t);
  if (IsDegenerate(*t)) return false;
  return ScreenRectangle(t, width, height);
}

int32_t PlaceSamplesForTriangle(SampleLocationBuffer& buffer, const Projector& proj,
                                const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2) {
  const Vex3_quarn v[3] = {v0, v1, v2};
  AslTriangle t;
  if (!PreparePlacement(proj, v, buffer.width, buffer.height, &t)) return 0;
  return PlaceSamples(buffer, t);
}

int32_t PlaceSamples(SampleLocationBuffer& buffer, const AslTriangle& t) {
  int32_t added = 0;
  for (int32_t j = t.row0; j <= t.row1; j++) {
    for (int32_t k = t.col0; k <= t.col1; k++) {
      const double cx[4] = {double(k), double(k), double(k + 1), double(k + 1)};
      const double cy[4] = {double(j), double(j + 1), double(j + 1), double(j)};

      // Corner test: the pixel lies wholly outside one edge.
      bool outside = false;
      for (int e = 0; e < 3 && !outside; e++)
        outside = t.Edge(e, cx[0], cy[0]) < 0 && t.Edge(e, cx[1], cy[1]) < 0 &&
                  t.Edge(e, cx[2], cy[2]) < 0 && t.Edge(e, cx[3], cy[3]) < 0;
      if (outside) continue;

      PixelSamples& pixel = buffer.Pixel(k, j);
      bool covered = false;
      for (int32_t s = 0; s < pixel.count && !covered; s++) {
        const SampleLocation& sl = pixel.samples[s];
        covered = t.Inside(sl.x, sl.y, sl.w);
      }
      if (covered) continue;

      double sx = 0, sy = 0;
      int n = 0;
      for (int c = 0; c < 4; c++) {
        if (t.Inside(cx[c], cy[c])) {
          sx += cx[c];
          sy += cy[c];
          n++;
        }
      }
      for (int m = 0; m < 3; m++) {
        if (k <= t.x[m] && t.x[m] <= k + 1 && j <= t.y[m] && t.y[m] <= j + 1) {
          sx += t.x[m];
          sy += t.y[m];
          n++;
        }
      }
      for (int c = 0; c < 4; c++) {
        const int c2 = (c + 1) % 4;
        for (int m = 0; m < 3; m++) {
          const int m2 = (m + 1) % 3;
          double px = 0, py = 0;
          if (SegmentIntersect2D(cx[c], cy[c], cx[c2], cy[c2], t.x[m], t.y[m], t.x[m2], t.y[m2],
                                 &px, &py)) {
            sx += px;
            sy += py;
            n++;
          }
        }
      }
      // The edge lines cross the pixel but the triangle does not.
      if (n == 0) continue;
      buffer.AddSample(pixel, float(sx / n), float(sy / n));
      added++;
    }
  }
  return added;
}
