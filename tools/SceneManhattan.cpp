// "Manhattan": a 20000 x 20000 city of 400 buildings (y is up) with a tall
// downtown and a midtown cluster, as an object list of ten rows of blocks
// and the streets. The list loader multiplies positions by 100: files hold
// world units / 100.
#include <cmath>
#include <cstdio>

#include "Format.h"
#include "IdRaster.h"
#include "Scenes.h"
#include "SceneObjectLists.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

constexpr float kFileScale = 100;

float BuildingHeight(float x, float z, uint32_t k) {
  auto bump = [](float dx, float dz, float r) { return std::exp(-(dx * dx + dz * dz) / (r * r)); };
  return 500 + 5500 * bump(x - 5000, z + 5000, 4000) + 4000 * bump(x + 4000, z - 3000, 3500) +
         900 * Hash01(k);
}

void AddBuilding(GenMesh& m, GenGroup& g, float x0, float z0, float x1, float z1, float h) {
  const int cols = 3, floors = std::max(2, std::min(18, int(h / 350)));
  const Vex3_quarn c[4] = {{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}};
  for (int s = 0; s < 4; s++) {
    const Vex3_quarn a = c[s], b = c[(s + 1) % 4];
    AddGrid(m, g, cols, floors, [&](int i, int f) {
      return a + (b - a) * (float(i) / cols) + Vex3_quarn(0, h * f / floors, 0);
    });
  }
  const int r0 = m.AddVertex({x0, h, z0}), r1 = m.AddVertex({x1, h, z0});
  const int r2 = m.AddVertex({x1, h, z1}), r3 = m.AddVertex({x0, h, z1});
  m.Quad(g, r0, r1, r2, r3);
}

}  // namespace

void GenerateManhattan(GenContext& ctx) {
  GenMesh m;
  std::vector<GenObject> objects;
  GenObject streets = BeginObject(m, "streets");
  GenGroup& asphalt = m.AddNamedGroup("asphalt", {0.3f, 0.3f, 0.32f});
  const int n = 40;
  AddGrid(m, asphalt, n, n, [](int i, int j) {
    return Vex3_quarn(-10000.0f + 500 * i, -1, -10000.0f + 500 * j);
  });
  EndObject(m, &streets, &objects);
  for (int row = 0; row < 10; row++) {
    GenObject o = BeginObject(m, Format("blocks_row_%d", row));
    GenGroup* groups[3] = {&m.AddNamedGroup(Format("concrete_%d", row), {0.7f, 0.68f, 0.64f}),
                           &m.AddNamedGroup(Format("glass_%d", row), {0.45f, 0.6f, 0.75f}),
                           &m.AddNamedGroup(Format("brick_%d", row), {0.66f, 0.38f, 0.3f})};
    for (int col = 0; col < 10; col++)
      for (int q = 0; q < 4; q++) {
        const uint32_t k = uint32_t(1000 + 40 * row + 4 * col + q);
        const float bx = -10000 + 2000.0f * col + 200 + 800 * (q % 2);
        const float bz = -10000 + 2000.0f * row + 200 + 800 * (q / 2);
        const float inset = 40 + 120 * Hash01(k + 7);
        const float h = BuildingHeight(bx + 400, bz + 400, k);
        AddBuilding(m, *groups[int(3 * Hash01(k + 3))], bx + inset, bz + inset, bx + 800 - inset,
                    bz + 800 - inset, h);
      }
    EndObject(m, &o, &objects);
  }
  m.ComputeAttributes(0, 1, 2000);
  // Faces are wound clockwise seen from outside (the city view culls
  // counter-clockwise faces as back faces); normals still point outwards.
  for (Vex3_quarn& v : m.normals) v = -v;
  WriteListScene(ctx, "Manhattan", In(Folder::kGeometry, "Manhattan/"), m, objects, kFileScale);

  const Vex3_quarn up(0, 1, 0);
  const PPC downtown = LookAt({-6500, 3800, -17000}, {4000, 1200, -4500}, up, 1, 1000000);
  const PPC midtown = LookAt({-12500, 2600, 9500}, {-4000, 1500, 3000}, up, 1, 1000000);
  ctx.SaveCamera(layout::FinalView("Manhattan_downtown.ppc"), downtown);
  ctx.SaveCamera(layout::FinalView("Manhattan_midtown.ppc"), midtown);
  ctx.SaveCamera("Manhattan_track1.ppc", downtown);
  const PPC track2 = LookAt({-4500, 4200, -16500}, {4500, 1200, -4000}, up, 1, 1000000);
  ctx.SaveCamera("Manhattan_track2.ppc", track2);
  ctx.SaveCamera("2D_Manhattan_downtown.ppc", downtown);
  ctx.SaveCameraD(In(Folder::kPlane, "Manhattan_downtown.ppc"), downtown);

  const std::vector<uint32_t> tris = m.TriangleList();
  const std::string d = In(Folder::kFootage, "Manhattan/Downtown/"),
                    mt = In(Folder::kFootage, "Manhattan/Midtown/");
  SaveViewSets(ctx, downtown, m.positions, tris, {d + "visibleThenHiddenTrianglesStep2.bin"},
               {d + "visibleTrianglesStep3.bin"}, {d + "truthIndsManhattanDowntownView31x31.bin"});
  SaveViewSets(ctx, midtown, m.positions, tris, {mt + "Step2.bin"}, {mt + "Step3.bin"}, {});
  SaveViewSets(ctx, downtown, m.positions, tris,
               {In(Folder::kPlane, "Step2_720P_Manhattan_downtown.bin"),
                In(Folder::kPlane, "4PointsTotal_step2.bin")},
               {In(Folder::kPlane, "Exact_720P_Manhattan_downtown.bin"),
                In(Folder::kPlane, "4PointsTotal.bin")},
               {In(Folder::kPlane, "FullScreenVisibility_truth.bin"),
                In(Folder::kResults, "controlGroup_DBG.bin")});
  // The midtown panorama: five views turned in steps of 20 degrees.
  for (int i = 1; i <= 5; i++) {
    PPC view = midtown;
    view.Pan(-60.0f + 20.0f * i);
    ctx.SaveCamera(layout::FinalView(Format("Manhattan_midtown_%d.ppc", i)), view);
    const std::string two = In(Folder::kFootage, Format("Manhattan/[2X]Midtown/%d/", i));
    SaveViewSets(ctx, view, m.positions, tris, {two + "visibleThenHiddenTrianglesStep2.bin"},
                 {two + "visibleTrianglesStep3.bin",
                  In(Folder::kResults, Format("Final/Manhattan/Midtown/%d.bin", i))},
                 {});
  }
  SaveProcessImages(ctx, In(Folder::kProcess, "Manhattan/View_noGap/"), downtown, m.positions, tris,
                    TriangleColors(m));

  // Sample positions for the moving-camera setup: one in every tenth pixel,
  // at a fixed pseudo-random place kept clear of the pixel's border.
  std::string bin;
  auto put = [&bin](const void* p, size_t n) { bin.append(static_cast<const char*>(p), n); };
  const int32_t w = 1280, h = 720;
  std::vector<double> xy;
  for (int k = 0; k < w * h; k += 10) {
    xy.push_back((k % w) + 0.05 + 0.9 * Hash01(uint32_t(2 * k)));
    xy.push_back((k / w) + 0.05 + 0.9 * Hash01(uint32_t(2 * k + 1)));
  }
  const int32_t count = int32_t(xy.size() / 2);
  put(&w, 4);
  put(&h, 4);
  put(&count, 4);
  put(xy.data(), xy.size() * sizeof(double));
  ctx.SaveText(layout::kSamplePositions, bin);
}
