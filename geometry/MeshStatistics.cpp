#include "MeshStatistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "AABB.h"
#include "ObjLoader.h"

double ProjectedAreaStatistics(const ObjLoader& mesh, const GLMatrices& view,
                               const int32_t* mask, std::ostream& out) {
  const Projector proj(view);
  int64_t count = 0, small = 0;
  double sum = 0, minArea = kFloatMaxD;
  std::vector<float> areas;
  const int32_t ids = mesh.IdCount();
  for (int32_t j = 0; j < ids; j++) {
    if (mask != nullptr && mask[j] == 0) continue;
    Vex3_quarn p[3];
    if (!mesh.TrianglePositions(j, p)) continue;
    double x[3] = {0, 0, 0}, y[3] = {0, 0, 0}, z[3] = {-1, -1, -1};
    bool inDepth = false;
    for (int i = 0; i < 3; i++) {
      proj.Project(p[i], &x[i], &y[i], &z[i]);
      if (z[i] >= 0 && z[i] <= 1) inDepth = true;
    }
    if (!inDepth) continue;
    const double area =
        0.5 * std::fabs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]));
    count++;
    sum += area;
    minArea = std::min(minArea, area);
    if (area < 0.1) small++;
    areas.push_back(float(area));
  }
  if (count == 0) return 0;
  out << "min area is " << minArea << "\n";
  out << "avg area is " << sum / count << "\n";
  out << "small Tri ratio is " << double(small) / count << "\n";
  std::sort(areas.begin(), areas.end());
  out << "Median Tri size is " << areas[size_t(count / 2)] << "\n";
  return sum / count;
}
