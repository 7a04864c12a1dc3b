// Entry steps of Scene Setup that need more than a few lines.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <ostream>

#include "ObjLoader.h"
#include "SampleFiles.h"
#include "SampleLocationBuffer.h"
#include "Scene.h"
#include "SceneSetupSteps.h"
#include "TiffIO.h"
#include "WorkLayout.h"

namespace {

// The texel under (u, v), channels as floats in [0, 1]; rows from the bottom.
Vex3_quarn Sample(const std::vector<uint32_t>& raster, int w, int h, float u, float v) {
  const int x = std::clamp(int(u * w), 0, w - 1), y = std::clamp(int(v * h), 0, h - 1);
  const uint32_t p = raster[size_t(y) * w + x];
  return Vex3_quarn(float(p & 255), float((p >> 8) & 255), float((p >> 16) & 255)) / 255.0f;
}

}  // namespace

void LiftEasyPlane(LoadedScene& scene, std::ostream& err) {
  ObjLoader& draw = *scene.drawMesh;
  ObjLoader& base = *scene.baseMesh;
  const char* uvPath = layout::kPlaneCoordinates;
  std::vector<uint32_t> heights, colors;
  int hw = 0, hh = 0, cw = 0, ch = 0;
  if (!ReadTiffQuiet(layout::kPlaneHeights, &heights, &hw, &hh, err) ||
      !ReadTiffQuiet(layout::kPlaneColours, &colors, &cw, &ch, err)) {
    err << "ERROR: Scene Setup: the textures of \"Easy Plane\" cannot be read; the plane "
           "stays flat"
        << std::endl;
    return;
  }
  std::ifstream in(uvPath);
  const size_t n = size_t(draw.vertexCount);
  draw.vertexColors.Allocate(std::ptrdiff_t(n));
  size_t missing = 0;
  for (size_t i = 0; i < n; i++) {
    float u = 0, v = 0;
    if (!(in >> u >> v)) {
      in.clear();
      u = v = 0;
      missing++;
    }
    const float height = Sample(heights, hw, hh, u, v).Length();
    draw.positions[i].z = height;
    draw.vertexColors[i] = Sample(colors, cw, ch, u, v) * 0.8f * height;
  }
  if (missing > 0)
    err << "ERROR: " << uvPath << " lacks " << missing << " of " << n
        << " coordinate pairs; those vertices use (0, 0)" << std::endl;
  // The first state takes the lifted positions and shares the colours.
  if (base.positions.size() == draw.positions.size()) base.positions = draw.positions;
  base.vertexColors = draw.vertexColors;
}

void ReadStoredSamples(RunBuffers& buffers, const PPC& view, std::ostream& err) {
  SampleLocationBuffer& buffer = ViewSampleBuffer(buffers, view);
  // The buffer lives on between setups: start from the pixel centres so
  // that a second setup does not add the file's samples twice.
  buffer.Reset();
  ReadSampleLocations(buffer, layout::kSamplePositions, err);
  buffer.ReportStatistics(err);
}
