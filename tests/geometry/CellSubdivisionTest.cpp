// Cell subdivision: which vertices and triangles each of the nine cells
// receives, the two files of a cell, refusals, and the round trip through
// the flagged binary reader.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CellSubdivision.h"
#include "FlaggedBinary.h"
#include "ObjLoader.h"
#include "ScratchDir.h"

namespace {

// A mesh over the given vertices with one list per group.
void MakeMesh(ObjLoader& m, const std::vector<Vex3_quarn>& positions,
              const std::vector<std::vector<uint32_t>>& groups) {
  m.Release();
  m.positions = positions;
  m.vertexCount = int32_t(positions.size());
  std::vector<int32_t> counts, materials;
  for (const auto& g : groups) {
    counts.push_back(int32_t(g.size() / 3));
    materials.push_back(1);
    m.triangleCount += int32_t(g.size() / 3);
  }
  m.groupCount = int32_t(groups.size());
  m.groupTriangles.Assign(groups);
  m.groupTriCount.Assign(counts);
  m.groupMaterial.Assign(materials);
  m.AssignIds(nullptr);
}

std::vector<char> Bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<int32_t> Ints(const std::string& path) {
  const std::vector<char> b = Bytes(path);
  std::vector<int32_t> v(b.size() / 4);
  if (!v.empty()) std::memcpy(v.data(), b.data(), v.size() * 4);
  return v;
}

// Image positions given directly: vertex i at (u[i], v[i]); NaN for none.
std::vector<CellImagePoint> Points(const std::vector<std::pair<float, float>>& uv) {
  std::vector<CellImagePoint> p;
  for (auto [u, v] : uv) p.push_back({u, v, u == u});
  return p;
}

}  // namespace

TEST(CellSubdivision, MarginsBehindTheCameraAndTheFiles) {
  ScratchDir dir;
  ObjLoader m;
  // Vertices 0-2 in cell (row 0, column 0); vertex 3 one unit past the
  // column boundary 535 (so in columns 0 and 1); vertex 4 behind the
  // camera; vertex 5 far inside cell (0, 1).
  std::vector<Vex3_quarn> pos;
  for (int i = 0; i < 6; i++) pos.push_back(Vex3_quarn(float(i), 0, 0));
  MakeMesh(m, pos, {{0, 1, 2, 3, 4, 5}, {1, 2, 3}});
  const float none = std::nanf("");
  const auto image = Points({{10, 10}, {20, 10}, {15, 20}, {536, 100}, {none, none}, {700, 100}});
  std::ostringstream out, err;
  const auto results = SubdivideIntoCells(m, image, CellGrid(), "", out, err);
  EXPECT_EQ(err.str(), "");
  ASSERT_EQ(results.size(), 9u);
  // Columns outer, rows inner; the progress lines of the first cell.
  EXPECT_EQ(results[1].row, 1);
  EXPECT_EQ(results[1].column, 0);
  const std::string first =
      "Begin processing Cell[0,0]\n-1,536\n-1,236\nINFO: [T]3 and [V]6 are splitted\n";
  EXPECT_EQ(out.str().substr(0, first.size()), first);

  // Cell (0, 0): every triangle, since vertex 3 lies within its margin;
  // vertices 4 and 5 come with the triangle (3 4 5).
  EXPECT_EQ(Ints("RTI_triangleCorrespondency_0_0.bin"), (std::vector<int32_t>{3, 0, 0, 1}));
  ObjLoader cell;
  ASSERT_TRUE(ReadFlaggedBinary(cell, "RTI_0_0.bin"));
  EXPECT_EQ(cell.positions.size(), 6u);
  EXPECT_EQ(cell.groupTriangles[0], (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 1, 2, 3}));

  // Cell (0, 1): vertex 3 and 5 lie in it; the triangle (3 4 5) brings
  // vertex 4 along although it lies in no cell, numbered in source order.
  EXPECT_EQ(Ints("RTI_triangleCorrespondency_0_1.bin"), (std::vector<int32_t>{2, 0, 1}));
  ASSERT_TRUE(ReadFlaggedBinary(cell, "RTI_0_1.bin"));
  ASSERT_EQ(cell.positions.size(), 5u);
  EXPECT_EQ(cell.positions[2].x, 3);
  EXPECT_EQ(cell.positions[3].x, 4);
  EXPECT_EQ(cell.groupTriangles[0], (std::vector<uint32_t>{2, 3, 4, 0, 1, 2}));

  // An empty cell: no vertices, the flags, no triangles; the
  // correspondence file holds the single 0.
  EXPECT_EQ(Bytes("RTI_2_2.bin"), (std::vector<char>{0, 0, 0, 0, 'y', 'n', 'n', 'n', 0, 0, 0, 0}));
  EXPECT_EQ(Ints("RTI_triangleCorrespondency_2_2.bin"), (std::vector<int32_t>{0}));
}

TEST(CellSubdivision, OneGroupAndAFileThatCannotBeWritten) {
  ScratchDir dir;
  mkdir("cells", 0755);
  ObjLoader m;
  MakeMesh(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2, 1, 3, 2}});
  const auto image = Points({{100, 100}, {101, 100}, {100, 101}, {900, 600}});
  // The cell (0, 0) mesh cannot be written: a folder stands in its place.
  mkdir("cells/RTI_0_0.bin", 0755);
  std::ostringstream out, err;
  const auto results = SubdivideIntoCells(m, image, CellGrid(), "cells/", out, err);
  EXPECT_EQ(err.str(), "ERROR: cannot write file: cells/RTI_0_0.bin\n");
  EXPECT_FALSE(results[0].written);
  EXPECT_TRUE(results[8].written);
  // The other cells are there; one group gives zeros.
  EXPECT_EQ(Ints("cells/RTI_triangleCorrespondency_2_2.bin"), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(Ints("cells/RTI_triangleCorrespondency_0_0.bin"), (std::vector<int32_t>{2, 0, 0}));
  // Nothing half-written is left behind: the folder holds the 17 files
  // and the folder in the way.
  EXPECT_EQ(std::system("test $(ls cells | wc -l) -eq 18"), 0);
}
