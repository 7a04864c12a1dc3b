// "Forest": 300 conifers on a hilly 6000 x 6000 floor, as an object list of
// twelve stands of 25 trees (bark and needles per stand) and the ground.
// The list loader multiplies positions by 100: files hold world units / 100.
#include <cmath>

#include "Format.h"
#include "Scenes.h"
#include "SceneObjectLists.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

constexpr float kFileScale = 100;

float Floor(float x, float y) { return 120 * std::sin(x / 900) * std::cos(y / 1100) + 60 * std::sin(y / 400); }

// A ring of n vertices about the z axis through c.
std::vector<int> Ring(GenMesh& m, const Vex3_quarn& c, float r, int n, float phase) {
  std::vector<int> ring;
  for (int i = 0; i < n; i++) {
    const float a = phase + 2 * float(M_PI) * i / n;
    ring.push_back(m.AddVertex(c + Vex3_quarn(r * std::cos(a), r * std::sin(a), 0)));
  }
  return ring;
}

void Band(GenMesh& m, GenGroup& g, const std::vector<int>& lo, const std::vector<int>& hi) {
  const size_t n = lo.size();
  for (size_t i = 0; i < n; i++) m.Quad(g, lo[i], lo[(i + 1) % n], hi[(i + 1) % n], hi[i]);
}

void AddTree(GenMesh& m, GenGroup& bark, GenGroup& needles, uint32_t k) {
  const float x = -2900 + 5800 * Hash01(k), y = -2900 + 5800 * Hash01(k + 1);
  const float h = 600 + 600 * Hash01(k + 2), r = 120 + 80 * Hash01(k + 3);
  const float phase = Hash01(k + 4) * 6.28f;
  const Vex3_quarn base(x, y, Floor(x, y) - 10);
  // Trunk: three bands of eight sides, tapering.
  std::vector<int> prev = Ring(m, base, 18, 8, phase);
  for (int s = 1; s <= 3; s++) {
    std::vector<int> next = Ring(m, base + Vex3_quarn(0, 0, h * 0.3f * s), 18 - 4 * s, 8, phase);
    Band(m, bark, prev, next);
    prev = next;
  }
  // Crown: three stacked cones of sixteen sides, each split once.
  for (int c = 0; c < 3; c++) {
    const float z0 = h * (0.25f + 0.22f * c), z1 = z0 + h * (0.45f - 0.05f * c);
    const float rc = r * (1 - 0.25f * c);
    std::vector<int> rim = Ring(m, base + Vex3_quarn(0, 0, z0), rc, 16, phase + c);
    std::vector<int> mid = Ring(m, base + Vex3_quarn(0, 0, (z0 + z1) / 2), rc * 0.5f, 16, phase + c);
    Band(m, needles, rim, mid);
    const int tip = m.AddVertex(base + Vex3_quarn(0, 0, z1));
    for (size_t i = 0; i < mid.size(); i++) m.Tri(needles, mid[i], mid[(i + 1) % mid.size()], tip);
    const int under = m.AddVertex(base + Vex3_quarn(0, 0, z0 + 5));
    for (size_t i = 0; i < rim.size(); i++) m.Tri(needles, rim[(i + 1) % rim.size()], rim[i], under);
  }
}

}  // namespace

void GenerateForest(GenContext& ctx) {
  GenMesh m;
  std::vector<GenObject> objects;
  GenObject ground = BeginObject(m, "forest_floor");
  GenGroup& floor = m.AddNamedGroup("moss", {0.32f, 0.4f, 0.18f});
  const int n = 60;
  AddGrid(m, floor, n, n, [](int i, int j) {
    const float x = -3000.0f + 100 * i, y = -3000.0f + 100 * j;
    return Vex3_quarn(x, y, Floor(x, y));
  });
  EndObject(m, &ground, &objects);
  for (int s = 0; s < 12; s++) {
    GenObject stand = BeginObject(m, Format("stand_%02d", s));
    GenGroup& bark = m.AddNamedGroup(Format("bark_%02d", s), {0.36f, 0.25f, 0.16f});
    const float shade = 0.8f + 0.2f * Hash01(uint32_t(s));
    GenGroup& needles = m.AddNamedGroup(Format("needles_%02d", s), Vex3_quarn(0.1f, 0.38f, 0.16f) * shade);
    for (int t = 0; t < 25; t++) AddTree(m, bark, needles, uint32_t(16 * (s * 25 + t) + 5));
    EndObject(m, &stand, &objects);
  }
  m.ComputeAttributes(0, 1, 1000);
  WriteListScene(ctx, "Forest", In(Folder::kGeometry, "Forest/"), m, objects, kFileScale);

  const PPC final = LookAt({-3300, -4700, 1700}, {0, 0, 200}, {0, 0, 1}, 10, 100000);
  const PPC track2 = LookAt({-1700, -5200, 1500}, {400, 200, 200}, {0, 0, 1}, 10, 100000);
  ctx.SaveCamera(layout::FinalView("Forest_final.ppc"), final);
  ctx.SaveCamera("Forest_track_v3_1.ppc", final);
  ctx.SaveCamera("Forest_track_v3_2.ppc", track2);
  ctx.SaveCamera("Forest_Image_for_prelim.ppc",
                 LookAt({2800, -2800, 1500}, {0, 0, 200}, {0, 0, 1}, 10, 100000));

  const std::vector<uint32_t> tris = m.TriangleList();
  const std::string d = In(Folder::kFootage, "Forest/");
  SaveViewSets(ctx, final, m.positions, tris, {d + "visibleTrianglesStep2.bin"},
               {d + "visibleTrianglesStep3.bin"}, {d + "truthIndsForest31x31.bin"});
  SavePathSteps(ctx, In(Folder::kResults, "Forest/Forest_visibility_%d.txt"),
                In(Folder::kSamples, "Forest.bin"), final, track2, m.positions, tris);
  const std::vector<Vex3_quarn> colors = TriangleColors(m);
  SaveProcessImages(ctx, In(Folder::kProcess, "Forest/"), final, m.positions, tris, colors);
  // A few frames for the red-pixel count of "cmp Image".
  const std::vector<PPC> path = final.Interpolate(track2, 3);
  for (int i = 0; i < 3; i++)
  {
    const StandInImages im = RenderStandIns(path[size_t(i)], m.positions, tris, colors);
    ctx.SaveTiff(layout::Frame(layout::kControlErrorFrames, i), im.step2Error, im.w, im.h);
    ctx.SaveTiff(layout::Frame(layout::kSuperPixelErrorFrames, i), im.fullError, im.w, im.h);
  }
}
