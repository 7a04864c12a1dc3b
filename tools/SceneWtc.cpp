// "WTC 911": two towers of 40 floors on a plain with low buildings. From
// frame 60 the top of the first tower falls and crushes the floors below
// it; from frame 95 the second tower follows. A crushed band (its facade
// and floor slab) dies in the frame its top is passed, and the falling top
// dies band by band as it reaches the ground. Frames 39 ... 135 cover all
// ten segments; before frame 60 nothing moves, so segments 1 and 9 match
// the reference file "WTC_state057.bin" exactly.
#include <cmath>

#include "Format.h"
#include "GenContext.h"
#include "MeshText.h"
#include "SceneObjectLists.h"
#include "Scenes.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

constexpr int kFloors = 40;
constexpr float kFloorHeight = 100;
constexpr float kHalfWidth = 300;

struct Tower {
  Vex3_quarn base;
  int start;      // first frame of the fall
  int impact;     // lowest floor of the falling top
  float tilt;     // radians per frame
  std::vector<int> vertices;
  float Drop(float frame) const {
    const float t = std::max(0.0f, frame - start);
    return 0.5f * 11.0f * t * t;
  }
  // First frame in which band `floor` (its facade and slab) is gone.
  int Death(int floor) const {
    const float top = (floor + 1) * kFloorHeight, impactZ = impact * kFloorHeight;
    for (int f = start + 1; f < 1000; f++) {
      const float front = impactZ - Drop(float(f));
      if (floor < impact ? front < top : top - Drop(float(f)) < 0) return f;
    }
    return GenMesh::kNever;
  }
};

struct Wtc {
  GenMesh mesh{true};
  Tower towers[2];
};

void BuildTower(GenMesh& m, Tower& t, int facadeMaterial, int floorMaterial) {
  const size_t first = m.positions.size();
  GenGroup& facade = m.AddGroup("shell", facadeMaterial);
  const int cols = 6;
  const Vex3_quarn corners[4] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
  for (int side = 0; side < 4; side++) {
    const Vex3_quarn a = t.base + corners[side] * kHalfWidth;
    const Vex3_quarn b = t.base + corners[(side + 1) % 4] * kHalfWidth;
    for (int floor = 0; floor < kFloors; floor++) {
      const int death = t.Death(floor);
      for (int c = 0; c < cols; c++) {
        auto at = [&](int cc, int ff) {
          Vex3_quarn p = a + (b - a) * (float(cc) / cols);
          p.z = ff * kFloorHeight;
          return m.AddVertex(p);
        };
        m.Quad(facade, at(c, floor), at(c + 1, floor), at(c + 1, floor + 1), at(c, floor + 1),
               death);
      }
    }
  }
  GenGroup& slabs = m.AddGroup("beams", floorMaterial);
  const float inset = kHalfWidth - 5;
  for (int floor = 0; floor < kFloors; floor++) {
    const int n = 3, death = t.Death(floor);
    auto at = [&](int i, int j) {
      return m.AddVertex({t.base.x - inset + 2 * inset * i / n, t.base.y - inset + 2 * inset * j / n,
                          floor * kFloorHeight + 2});
    };
    for (int j = 0; j < n; j++)
      for (int i = 0; i < n; i++) m.Quad(slabs, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), death);
  }
  for (size_t v = first; v < m.positions.size(); v++) t.vertices.push_back(int(v));
}

Wtc BuildWtc() {
  Wtc w;
  GenMesh& m = w.mesh;
  GenGroup& ground = m.AddGroup("solid", 12);
  const int n = 30;
  AddGrid(m, ground, n, n, [](int i, int j) {
    return Vex3_quarn(-6000.0f + 400 * i, -6000.0f + 400 * j, -1);
  });
  GenGroup& low = m.AddGroup("solid", 10);
  for (int k = 0; k < 24; k++) {
    const float x = -4000 + 8000 * Hash01(7 * k + 1), y = -4000 + 8000 * Hash01(7 * k + 2);
    if (std::fabs(x) < 1300 && std::fabs(y) < 800) continue;  // keep the plaza free
    const float s = 200 + 300 * Hash01(7 * k + 3), h = 300 + 900 * Hash01(7 * k + 4);
    AddBox(m, low, {x - s, y - s, 0}, {x + s, y + s, h}, 1);
  }
  w.towers[0] = {{-700, 0, 0}, 60, 28, 0.004f, {}};
  w.towers[1] = {{700, 350, 0}, 95, 22, -0.003f, {}};
  BuildTower(m, w.towers[0], 3, 2);
  BuildTower(m, w.towers[1], 7, 12);
  m.SortByDeath();
  return w;
}

std::vector<Vex3_quarn> WtcPositions(const Wtc& w, int frame) {
  std::vector<Vex3_quarn> p = w.mesh.positions;
  for (const Tower& t : w.towers) {
    const float drop = t.Drop(float(frame));
    if (drop <= 0) continue;
    const float angle = t.tilt * (frame - t.start), c = std::cos(angle), s = std::sin(angle);
    const float pivotZ = t.impact * kFloorHeight;
    for (int v : t.vertices) {
      const Vex3_quarn& r = w.mesh.positions[v];
      if (r.z < pivotZ) continue;
      // The top tilts about the x axis through its lowest floor and falls.
      const float dy = r.y - t.base.y, dz = r.z - pivotZ;
      p[v] = {r.x, t.base.y + c * dy - s * dz, pivotZ + s * dy + c * dz - drop};
    }
  }
  return p;
}

// The workbench's colour of a material number, for the stand-in images.
Vex3_quarn MaterialColor(int m) {
  switch (m) {
    case 2: return {0.6f, 0.6f, 0.6f};
    case 3: case 7: return {0.9f, 0.91f, 0.98f};
    case 10: return {0.66f, 0.68f, 0.71f};
    case 12: return {0.3f, 0.3f, 0.3f};
    default: return {0.2f, 0.4f, 0.8f};
  }
}

struct Segment {
  int first, states;
};
constexpr Segment kSegments[10] = {{93, 2}, {57, 2}, {66, 2}, {75, 2},  {84, 2},
                                   {93, 2}, {66, 28}, {100, 2}, {134, 2}, {39, 2}};

}  // namespace

void GenerateWtc(GenContext& ctx) {
  const Wtc w = BuildWtc();
  const int vertices = int(w.mesh.positions.size());
  for (int s = 0; s < 10; s++) {
    for (int i = 0; i < kSegments[s].states; i++) {
      const int frame = kSegments[s].first + i;
      const std::string rel =
          layout::StateFile(layout::GeometryFile(Format("wtc/Seg%d/wtc", s)), frame);
      ctx.Check(WriteStateObj(ctx.Path(rel), w.mesh, WtcPositions(w, frame), frame), rel);
    }
    int live = 0;
    for (int c : w.mesh.LiveCounts(kSegments[s].first)) live += c;
    ctx.Record(Format("WTC 911/%d", s), vertices, live);
  }

  // The reference of the state-057 comparison: frame 57 as one group in id
  // order.
  const std::vector<uint32_t> tris = w.mesh.TriangleList();
  const std::vector<Vex3_quarn> p57 = WtcPositions(w, 57);
  ctx.SaveFlaggedBinary("WTC_state057.bin", p57, tris);

  const PPC outside = LookAt({-3600, -7800, 2600}, {0, 0, 1900}, {0, 0, 1}, 10, 100000);
  const PPC reverse = LookAt({3200, 6800, 700}, {-300, 0, 2400}, {0, 0, 1}, 10, 100000);
  ctx.SaveCamera(layout::FinalView("WTC_neo_outSide.ppc"), outside);
  ctx.SaveCamera(layout::FinalView("WTC_neo_Reverse.ppc"), reverse);
  ctx.SaveCamera("wtc_default_outside.ppc", outside);
  ctx.SaveCamera("BufferPPC1.ppc", outside);
  ctx.SaveCamera("BufferPPC2.ppc", reverse);

  // Footage sets of the two views, ids of segment 1 (every triangle alive).
  const std::string dirs[2] = {In(Folder::kFootage, "WTC/Outside/"),
                               In(Folder::kFootage, "WTC/Reverse/")};
  const char* truth[2] = {"truthIndsWTC_outside31x31.bin", "truthIndsWTC_reverse31x31.bin"};
  std::vector<Vex3_quarn> colors;
  for (const GenGroup& g : w.mesh.groups)
    colors.insert(colors.end(), size_t(g.TriangleCount()), MaterialColor(g.material));
  for (int v = 0; v < 2; v++) {
    const std::string& d = dirs[v];
    SaveProcessImages(
        ctx, v == 0 ? In(Folder::kProcess, "WTC/outside/") : In(Folder::kProcess, "WTC/reverse/"),
        v == 0 ? outside : reverse, p57, tris, colors);
    SaveViewSets(ctx, v == 0 ? outside : reverse, p57, tris,
                 {d + "visibleThenHiddenTrianglesStep2.bin"}, {d + "visibleTrianglesStep3.bin"},
                 {d + "truthIndsManhattanDowntownView31x31.bin", d + truth[v]});
  }
}
