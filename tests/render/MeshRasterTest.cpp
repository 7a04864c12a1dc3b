// The mesh-level rasters and the projected-area report on in-memory meshes.
#include <gtest/gtest.h>

#include <sstream>

#include "MeshStatistics.h"
#include "OrthoView.h"
#include "PPC.h"
#include "SoftwareRaster.h"
#include "TriangleSoup.h"

namespace {

// Random small triangles in front of the default camera, in two groups.
void RandomScene(ObjLoader& mesh, int n, uint32_t seed) {
  TestRandom rnd(seed);
  std::vector<std::vector<std::array<Vex3_quarn, 3>>> groups(2);
  for (int i = 0; i < n; i++) {
    const float z = -60 - rnd() * 60;
    const Vex3_quarn c((rnd() - 0.5f) * 70, (rnd() - 0.5f) * 45, z);
    const float s = 0.2f + rnd() * 3;
    groups[size_t(i % 2)].push_back(
        {c, c + Vex3_quarn((rnd() - 0.5f) * s, (rnd() - 0.5f) * s, rnd() - 0.5f),
         c + Vex3_quarn((rnd() - 0.5f) * s, (rnd() - 0.5f) * s, rnd() - 0.5f)});
  }
  BuildMesh(mesh, groups);
}

}  // namespace

// The banded raster's cells equal the whole raster's, band by band, so the
// bounded-memory reference finds exactly the same ids.
TEST(TriangleRaster, BandedEqualsWhole) {
  ObjLoader mesh;
  RandomScene(mesh, 3000, 7);
  PPC cam(55, 48, 32);
  const int f = 5, cw = 48 * f, ch = 32 * f;
  std::vector<int32_t> whole(size_t(cw) * ch, -1);
  std::vector<double> depth(size_t(cw) * ch, 1.0);
  std::ostringstream log;
  TriangleRaster(mesh, whole.data(), cam, depth.data(), f, nullptr, log);
  EXPECT_EQ(log.str(), "\r1/2\r2/2\n");
  int covered = 0;
  for (int32_t id : whole) covered += id >= 0;
  EXPECT_GT(covered, cw * ch / 20);

  std::vector<int32_t> assembled(size_t(cw) * ch, -2);
  for (int rows : {1, 7, 64, 1000}) {
    const size_t bytes = TriangleRasterBanded(
        mesh, cam, f, nullptr, rows, 1.0f,
        [&](const int32_t* ids, int r0, int r1) {
          std::copy(ids, ids + size_t(cw) * (r1 - r0), assembled.begin() + size_t(r0) * cw);
        },
        log);
    EXPECT_EQ(bytes, size_t(cw) * std::min(rows, ch) * 12);
    ASSERT_EQ(assembled, whole) << rows << " rows per band";
  }
}

TEST(TriangleRaster, MaskSkipsAndIdsComeFromTheTable) {
  // Two overlapping squares' halves: group 0 near, group 1 far.
  const Vex3_quarn a(-20, -20, -100), b(20, -20, -100), c(20, 20, -100), d(-20, 20, -100);
  const Vex3_quarn off(0, 0, -50);
  ObjLoader mesh;
  BuildMesh(mesh, {{{a, b, c}}, {{a + off, b + off, c + off}, {a + off, c + off, d + off}}});
  PPC cam(55, 32, 32);
  std::vector<int32_t> ids(32 * 32, -1);
  std::vector<float> depth(32 * 32, 1.0f);
  std::ostringstream log;
  TriangleRaster(mesh, ids.data(), cam, depth.data(), 1, nullptr, log);
  EXPECT_EQ(ids[16 * 32 + 18], 0);  // lower right: the near triangle
  EXPECT_EQ(ids[18 * 32 + 14], 2);  // upper left: only the far one
  const int32_t mask[3] = {0, 1, 1};
  std::fill(ids.begin(), ids.end(), -1);
  std::fill(depth.begin(), depth.end(), 1.0f);
  TriangleRaster(mesh, ids.data(), cam, depth.data(), 1, mask, log);
  EXPECT_EQ(ids[16 * 32 + 18], 1);
}

TEST(FootageRaster, ClassesColoursAndSubdivision) {
  const Vex3_quarn a(-20, -20, -100), b(20, -20, -100), c(20, 20, -100), d(-20, 20, -100);
  ObjLoader mesh;
  BuildMesh(mesh, {{{a, b, c}}, {{a, c, d}}});
  PPC cam(55, 32, 32);
  std::vector<uint32_t> colour(32 * 32, 0);
  std::vector<int32_t> ids(32 * 32, -1);
  std::vector<double> depth(32 * 32, 2.0);
  const int32_t classes[2] = {1, 0};
  std::ostringstream log;
  // kind 2 cuts the last group into 81 pieces; they cover what it covered.
  FootageRaster(colour.data(), ids.data(), cam, depth.data(), classes, 2, mesh, log);
  EXPECT_EQ(colour[16 * 32 + 20], 0u);  // class 1 without group colours: the id itself
  EXPECT_EQ(ids[16 * 32 + 20], 0);
  EXPECT_EQ(colour[20 * 32 + 12], 0xFF0000FFu);
  EXPECT_EQ(ids[20 * 32 + 12], 1);
  int whole = 0, cut = 0;
  std::vector<int32_t> ids2(32 * 32, -1);
  std::vector<double> depth2(32 * 32, 2.0);
  FootageRaster(colour.data(), ids2.data(), cam, depth2.data(), classes, 0, mesh, log);
  for (int i = 0; i < 32 * 32; i++) {
    whole += ids2[i] == 1;
    cut += ids[i] == 1;
  }
  EXPECT_NEAR(cut, whole, whole / 20 + 2);
  // Class -1 is not drawn at all.
  const int32_t skip[2] = {-1, -1};
  std::vector<int32_t> ids3(32 * 32, -1);
  std::vector<double> depth3(32 * 32, 2.0);
  FootageRaster(colour.data(), ids3.data(), cam, depth3.data(), skip, 0, mesh, log);
  EXPECT_EQ(std::count(ids3.begin(), ids3.end(), -1), 32 * 32);
}

TEST(Reproject, ToCameraSeesWhatFromCameraSaw) {
  ObjLoader mesh;
  RandomScene(mesh, 50, 3);
  PPC from(55, 64, 48), to(55, 64, 48);
  to.eye = Vex3_quarn(10, 5, 20);
  to.Pan(5);
  from.SetGLAndCache();
  to.SetGLAndCache();
  std::vector<Vex3_quarn> before = mesh.positions;
  Reproject(mesh, from, to);
  const Projector pf = from.MakeProjector(), pt = to.MakeProjector();
  for (size_t i = 0; i < before.size(); i++) {
    double x0, y0, z0, x1, y1, z1;
    pf.Project(before[i], &x0, &y0, &z0);
    pt.Project(mesh.positions[i], &x1, &y1, &z1);
    EXPECT_NEAR(x0, x1, 1e-2);
    EXPECT_NEAR(y0, y1, 1e-2);
    EXPECT_NEAR(z0, z1, 1e-4);
  }
}

TEST(ProjectedAreaStatistics, ReportAndMean) {
  // Window coordinates equal world x, y; z = 0 is depth 0.5, z = 5 is
  // outside.
  const GLMatrices view = OrthoMatrices(64, 64);
  const Vex3_quarn o(10, 10, 0);
  ObjLoader mesh;
  BuildMesh(mesh, {{{o, o + Vex3_quarn(1, 0, 0), o + Vex3_quarn(0, 2, 0)},        // area 1
                    {o, o + Vex3_quarn(3, 0, 0), o + Vex3_quarn(0, 2, 0)},        // area 3
                    {o, o + Vex3_quarn(0.125f, 0, 0), o + Vex3_quarn(0, 1, 0)},   // area 1/16
                    {Vex3_quarn(0, 0, 5), Vex3_quarn(9, 0, 5), Vex3_quarn(0, 9, -5)},  // out of depth
                    {Vex3_quarn(0, 0, 0), Vex3_quarn(4, 0, 5), Vex3_quarn(0, 4, 5)}}});  // one vertex in
  std::ostringstream out;
  const int32_t mask[5] = {1, 1, 1, 1, 0};
  const double mean = ProjectedAreaStatistics(mesh, view, mask, out);
  EXPECT_DOUBLE_EQ(mean, (1 + 3 + 0.0625) / 3);
  EXPECT_EQ(out.str(),
            "min area is 0.0625\navg area is 1.35417\nsmall Tri ratio is 0.333333\n"
            "Median Tri size is 1\n");
  // Areas 1 and 3 alone: median at count / 2 is the upper one.
  const int32_t two[5] = {1, 1, 0, 0, 0};
  std::ostringstream out2;
  EXPECT_DOUBLE_EQ(ProjectedAreaStatistics(mesh, view, two, out2), 2.0);
  EXPECT_NE(out2.str().find("Median Tri size is 3\n"), std::string::npos);
  // The straddling triangle counts (area 8).
  const int32_t straddle[5] = {0, 0, 0, 0, 1};
  std::ostringstream out3;
  EXPECT_DOUBLE_EQ(ProjectedAreaStatistics(mesh, view, straddle, out3), 8.0);
  // Nothing measured: nothing printed, 0 returned.
  const int32_t far[5] = {0, 0, 0, 1, 0};
  std::ostringstream out4;
  EXPECT_EQ(ProjectedAreaStatistics(mesh, view, far, out4), 0.0);
  EXPECT_EQ(out4.str(), "");
}
