// The triangle raster band by band, so that a fine grid (factor 32 of a
// 1280 x 720 view is 40960 x 23040 cells) never needs whole-grid buffers.
#include <algorithm>

#include "GroupTriangles.h"
#include "PPC.h"
#include "SoftwareRaster.h"

int BandRowsForBudget(int cellsPerRow, size_t bytes, size_t cellBytes) {
  const size_t perRow = size_t(std::max(cellsPerRow, 1)) * std::max<size_t>(cellBytes, 1);
  return int(std::max<size_t>(1, bytes / perRow));
}

size_t TriangleRasterBanded(const ObjLoader& mesh, PPC& camera, int f, const int32_t* mask,
                            int bandRows, double clearDepth,
                            const std::function<void(const int32_t*, int, int)>& visit,
                            std::ostream& log) {
  camera.SetGLAndCache();
  const Projector proj = camera.MakeProjector();
  const int cw = camera.w * f, ch = camera.h * f;
  if (cw <= 0 || ch <= 0) return 0;
  bandRows = std::max(1, std::min(bandRows, ch));
  const int bands = (ch + bandRows - 1) / bandRows;

  // 1. Set every triangle up once, in drawing order, and list it in each
  // band its rows reach. Setting it up again later gives the same numbers.
  std::vector<int32_t> ids;
  std::vector<Vex3_quarn> vertices;
  std::vector<std::vector<uint32_t>> bandLists(static_cast<size_t>(bands));
  ForEachGroupTriangle(
      mesh,
      [&](int32_t, int32_t, int32_t id, const Vex3_quarn v[3]) {
        if (mask != nullptr && mask[id] == 0) return;
        Vex3_quarn parts[2][3];
        for (int p = 0, n = NearPlaneParts(proj, v, parts); p < n; p++) {
          ScreenTriangle t;
          if (!SetupScreenTriangle(proj, parts[p], f, cw, ch, &t)) continue;
          int first = 0, last = 0;
          ScreenTriangleRows(t, ch, &first, &last);
          if (first > last) continue;
          const uint32_t index = uint32_t(ids.size());
          ids.push_back(id);
          vertices.insert(vertices.end(), parts[p], parts[p] + 3);
          for (int b = first / bandRows; b <= last / bandRows; b++)
            bandLists[size_t(b)].push_back(index);
        }
      },
      [](int32_t) {});

  // 2. Raster band by band.
  std::vector<int32_t> bandIds;
  std::vector<double> bandDepth;
  size_t peak = 0;
  for (int b = 0; b < bands; b++) {
    const int r0 = b * bandRows, r1 = std::min(ch, r0 + bandRows);
    const size_t cells = size_t(cw) * size_t(r1 - r0);
    bandIds.assign(cells, -1);
    bandDepth.assign(cells, clearDepth);
    peak = std::max(peak, cells * (sizeof(int32_t) + sizeof(double)));
    for (uint32_t index : bandLists[size_t(b)]) {
      ScreenTriangle t;
      if (!SetupScreenTriangle(proj, &vertices[size_t(index) * 3], f, cw, ch, &t)) continue;
      ScanTriangle(t, cw, ch, r0, r1, bandIds.data(), bandDepth.data(), nullptr, 0u, ids[index]);
    }
    std::vector<uint32_t>().swap(bandLists[size_t(b)]);
    visit(bandIds.data(), r0, r1);
    log << "\r" << b + 1 << "/" << bands << std::flush;
  }
  log << "\n";
  return peak;
}
