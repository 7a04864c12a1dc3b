// "Subdivide Geometry" on the sample terrain: the nine cells load back
// through the flagged binary reader and together hold every triangle with
// a vertex in the image.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <set>
#include <sstream>

#include "CellDriver.h"
#include "FlaggedBinary.h"
#include "Format.h"
#include "ObjLoader.h"
#include "PPCd.h"
#include "ScratchDir.h"
#include "WorkLayout.h"
#include "Workdir.h"

namespace {

using Corners = std::array<float, 9>;

Corners Of(const ObjLoader& m, const uint32_t* t) {
  Corners c;
  for (int i = 0; i < 3; i++) {
    const Vex3_quarn& p = m.positions[t[i]];
    c[3 * i] = p.x;
    c[3 * i + 1] = p.y;
    c[3 * i + 2] = p.z;
  }
  return c;
}

}  // namespace

TEST(CellDriver, SampleTerrainRoundTrip) {
  ScratchDir dir;
  WorkdirOptions options;
  options.only = {"terrain"};
  ASSERT_TRUE(MakeWorkdir(".", options));
  ObjLoader terrain;
  ASSERT_TRUE(ReadFlaggedBinary(terrain, layout::GeometryFile("RTI/RTI.bin")));
  terrain.AssignIds(nullptr);

  std::ostringstream out, err;
  ASSERT_TRUE(SubdivideTerrain(terrain, layout::kCellView, layout::kCellFolder, out, err));
  EXPECT_EQ(err.str(), "");
  const std::string start = "I'm here_1!\nI'm here_2!\nBegin processing Cell[0,0]\n";
  EXPECT_EQ(out.str().substr(0, start.size()), start);

  // Every cell loads back; its correspondence file has one group per
  // triangle (the terrain has one group).
  std::multiset<Corners> inCells;
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) {
      ObjLoader cell;
      const std::string path = Format("%sRTI_%d_%d.bin", layout::kCellFolder, r, c);
      ASSERT_TRUE(ReadFlaggedBinary(cell, path)) << path;
      std::ifstream map(Format("%sRTI_triangleCorrespondency_%d_%d.bin", layout::kCellFolder, r, c),
                        std::ios::binary);
      int32_t count = -1;
      map.read(reinterpret_cast<char*>(&count), 4);
      EXPECT_EQ(count, cell.triangleCount) << path;
      EXPECT_GT(count, 0) << path;
      for (int32_t k = 0; k < cell.triangleCount; k++) inCells.insert(Of(cell, cell.Triangle(0, k)));
    }

  // Every terrain triangle with a vertex in the image is in a cell.
  PPCd view;
  ASSERT_TRUE(view.Load(layout::kCellView));
  int64_t seen = 0;
  for (int32_t k = 0; k < terrain.groupTriCount[0]; k++) {
    const uint32_t* t = terrain.Triangle(0, k);
    bool inImage = false;
    for (int i = 0; i < 3; i++) {
      double u, v, s;
      inImage |= view.Project(Vex3_quarnd(terrain.positions[t[i]]), &u, &v, &s) && u >= 0 &&
                 u <= view.w && v >= 0 && v <= view.h;
    }
    if (!inImage) continue;
    seen++;
    EXPECT_TRUE(inCells.count(Of(terrain, t))) << "triangle " << k << " is in no cell";
  }
  EXPECT_GT(seen, 1000);
}
