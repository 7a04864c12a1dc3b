// "Grass Field": a 40 x 40 meadow of grass blades in ten patches, with a
// few flowers, as an object list. The list loader multiplies positions by
// 100 and Scene Setup multiplies them by 100 once more, so the files hold
// world units / 10000.
#include <cmath>

#include "Format.h"
#include "Scenes.h"
#include "SceneObjectLists.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

constexpr float kFileScale = 10000;

float Ground(float x, float y) { return 0.5f * std::sin(x / 5) * std::cos(y / 7); }

void AddBlade(GenMesh& m, GenGroup& g, uint32_t k, float x0, float x1) {
  const float x = x0 + (x1 - x0) * Hash01(k), y = -20 + 40 * Hash01(k + 1);
  const float a = 2 * float(M_PI) * Hash01(k + 2), h = 0.6f + 0.8f * Hash01(k + 3);
  const float bend = 0.35f * h * Hash01(k + 4), w = 0.07f + 0.05f * Hash01(k + 5);
  const Vex3_quarn side(std::cos(a), std::sin(a), 0), lean(-std::sin(a), std::cos(a), 0);
  const Vex3_quarn base(x, y, Ground(x, y));
  const Vex3_quarn mid = base + lean * (bend * 0.3f) + Vex3_quarn(0, 0, h * 0.55f);
  const Vex3_quarn tip = base + lean * bend + Vex3_quarn(0, 0, h);
  const int b0 = m.AddVertex(base - side * (w / 2)), b1 = m.AddVertex(base + side * (w / 2));
  const int m0 = m.AddVertex(mid - side * (w * 0.3f)), m1 = m.AddVertex(mid + side * (w * 0.3f));
  const int t = m.AddVertex(tip);
  m.Quad(g, b0, b1, m1, m0);
  m.Tri(g, m0, m1, t);
}

void AddFlower(GenMesh& m, GenGroup& stem, GenGroup& petals, uint32_t k) {
  const float x = -19 + 38 * Hash01(k), y = -19 + 38 * Hash01(k + 1);
  const float h = 1.2f + 0.6f * Hash01(k + 2);
  const Vex3_quarn base(x, y, Ground(x, y)), top = base + Vex3_quarn(0, 0, h);
  const int s0 = m.AddVertex(base + Vex3_quarn(-0.02f, 0, 0));
  const int s1 = m.AddVertex(base + Vex3_quarn(0.02f, 0, 0));
  const int s2 = m.AddVertex(top + Vex3_quarn(0.02f, 0, 0));
  const int s3 = m.AddVertex(top + Vex3_quarn(-0.02f, 0, 0));
  m.Quad(stem, s0, s1, s2, s3);
  const int c = m.AddVertex(top + Vex3_quarn(0, 0, 0.01f));
  std::vector<int> rim;
  for (int i = 0; i < 6; i++) {
    const float a = 2 * float(M_PI) * i / 6;
    rim.push_back(m.AddVertex(top + Vex3_quarn(0.25f * std::cos(a), 0.25f * std::sin(a), 0.05f)));
  }
  for (int i = 0; i < 6; i++) m.Tri(petals, c, rim[i], rim[(i + 1) % 6]);
}

}  // namespace

void GenerateGrassField(GenContext& ctx) {
  GenMesh m;
  std::vector<GenObject> objects;
  GenObject ground = BeginObject(m, "ground");
  GenGroup& soil = m.AddNamedGroup("soil", {0.45f, 0.36f, 0.22f});
  const int n = 40;
  AddGrid(m, soil, n, n, [](int i, int j) {
    const float x = -20.0f + i, y = -20.0f + j;
    return Vex3_quarn(x, y, Ground(x, y) - 0.02f);
  });
  EndObject(m, &ground, &objects);

  for (int p = 0; p < 10; p++) {
    GenObject patch = BeginObject(m, Format("grass_%d", p));
    GenGroup& dark = m.AddNamedGroup(Format("grass_dark_%d", p), {0.16f, 0.42f, 0.1f});
    GenGroup& light = m.AddNamedGroup(Format("grass_light_%d", p), {0.42f, 0.66f, 0.2f});
    for (int b = 0; b < 1600; b++)
      AddBlade(m, b % 3 ? dark : light, uint32_t(8 * (p * 1600 + b)), -20.0f + 4 * p, -16.0f + 4 * p);
    EndObject(m, &patch, &objects);
  }
  GenObject flowers = BeginObject(m, "flowers");
  GenGroup& stems = m.AddNamedGroup("stem", {0.2f, 0.5f, 0.15f});
  GenGroup& petals = m.AddNamedGroup("petal", {0.95f, 0.85f, 0.2f});
  for (int f = 0; f < 300; f++) AddFlower(m, stems, petals, uint32_t(900000 + 4 * f));
  EndObject(m, &flowers, &objects);
  m.ComputeAttributes(0, 1, 40);
  WriteListScene(ctx, "Grass Field", In(Folder::kGeometry, "GrassField/"), m, objects, kFileScale);

  const PPC higher = LookAt({0, -30, 13}, {0, 2, 0}, {0, 0, 1}, 0.1f, 10000);
  const PPC lower = LookAt({-4, -24, 2.2f}, {0, 0, 0.6f}, {0, 0, 1}, 0.1f, 10000);
  const PPC track2 = LookAt({11, -26, 11}, {2, 3, 0}, {0, 0, 1}, 0.1f, 10000);
  ctx.SaveCamera(layout::FinalView("GrassField_higher.ppc"), higher);
  ctx.SaveCamera(layout::FinalView("GrassField_lower.ppc"), lower);
  ctx.SaveCamera("GrassField_track_1.ppc", higher);
  ctx.SaveCamera("GrassField_track_2.ppc", track2);

  // Scene Setup halves the colour of the last group; the stand-in images
  // do the same.
  const std::vector<uint32_t> tris = m.TriangleList();
  std::vector<Vex3_quarn> colors = TriangleColors(m);
  for (size_t t = colors.size() - size_t(m.groups.back().TriangleCount()); t < colors.size(); t++)
    colors[t] = colors[t] * 0.5f;
  const std::string high = In(Folder::kFootage, "Grass/High/"),
                    low = In(Folder::kFootage, "Grass/Low/");
  SaveViewSets(ctx, higher, m.positions, tris, {high + "visibleTrianglesStep2.bin"},
               {high + "visibleTrianglesStep3.bin"},
               {high + "truthIndsManhattanDowntownView31x31.bin", high + "truthIndsGrassHighView31x31.bin"});
  SaveViewSets(ctx, lower, m.positions, tris, {low + "visibleThenHiddenTrianglesStep2.bin"},
               {low + "visibleTrianglesStep3.bin"},
               {low + "truthIndsManhattanDowntownView31x31.bin", low + "truthIndsGrassLowView31x31.bin"});
  SavePathSteps(ctx, In(Folder::kResults, "GrassField/Grassfield_visibility_%d.txt"),
                In(Folder::kSamples, "Grass.bin"), higher, track2, m.positions, tris);
  SaveProcessImages(ctx, In(Folder::kProcess, "Grass/High/"), higher, m.positions, tris, colors);
  PPC closer = lower;
  closer.Zoom(1.5f);
  SaveProcessImages(ctx, In(Folder::kProcess, "Grass/Low_zoomMore/"), closer, m.positions, tris,
                    colors);
}
