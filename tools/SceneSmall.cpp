// The three small state-mesh scenes: "Easy Plane" (a grid that Scene Setup
// lifts into a height field from a texture), "Moving Box" (boxes crossing a
// plain, two of them vanishing) and "Triangle Pair" (two finely split
// triangles, one sliding over the other).
#include <cmath>
#include <sstream>

#include "Format.h"
#include "GenContext.h"
#include "MeshText.h"
#include "Scenes.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

void WriteStates(GenContext& ctx, const std::string& prefix, const GenMesh& m,
                 const std::vector<std::vector<Vex3_quarn>>& states) {
  for (size_t f = 0; f < states.size(); f++) {
    const std::string rel = layout::StateFile(prefix, int(f));
    ctx.Check(WriteStateObj(ctx.Path(rel), m, states[f], int(f)), rel);
  }
}

void EasyPlane(GenContext& ctx) {
  GenMesh m;
  GenGroup& g = m.AddGroup("solid", 2);
  const int n = 100;
  std::ostringstream uv;
  AddGrid(m, g, n, n, [&](int i, int j) {
    uv << float(i) / n << " " << float(j) / n << "\n";
    return Vex3_quarn(-10.0f + 20.0f * i / n, -10.0f + 20.0f * j / n, 0);
  });
  std::vector<Vex3_quarn> wave = m.positions;
  for (Vex3_quarn& p : wave) p.z = 0.4f * std::sin(p.x / 3) * std::cos(p.y / 3);
  WriteStates(ctx, In(Folder::kGeometry, "EasyPlane/state"), m, {m.positions, wave});
  ctx.SaveText(layout::kPlaneCoordinates, uv.str());
  ctx.Record("Easy Plane", int(m.positions.size()), m.TriangleCount());
}

void MovingBoxes(GenContext& ctx) {
  GenMesh m;
  GenGroup& ground = m.AddGroup("solid", 12);
  const int n = 30;
  AddGrid(m, ground, n, n, [](int i, int j) {
    return Vex3_quarn(-3000.0f + 200 * i, -3000.0f + 200 * j, 0);
  });
  struct Box {
    int first, count;
    Vex3_quarn from, to;
    float turn;
  };
  std::vector<Box> boxes;
  const int kBoxes = 24;
  for (int k = 0; k < kBoxes; k++) {
    // Boxes 5 and 17 vanish at frames 12 and 16.
    const int death = k == 5 ? 12 : k == 17 ? 16 : GenMesh::kNever;
    GenGroup& g = m.AddGroup("cubes", k + 1);
    const float s = 75 + 75 * Hash01(11 * k + 1), h = 150 + 250 * Hash01(11 * k + 2);
    const int first = int(m.positions.size());
    AddBox(m, g, {-s, -s, 0}, {s, s, h}, 3, death);
    const float a = 2 * float(M_PI) * Hash01(11 * k + 3), r = 800 + 1800 * Hash01(11 * k + 4);
    const Vex3_quarn from(r * std::cos(a), r * std::sin(a), 0);
    // Paths cross the plain on both sides of its centre, not through it.
    const Vex3_quarn across(-std::sin(a), std::cos(a), 0);
    const Vex3_quarn to = from * -0.7f + across * (2400 * (Hash01(11 * k + 5) - 0.5f));
    boxes.push_back({first, int(m.positions.size()) - first, from, to,
                     2.0f * (Hash01(11 * k + 6) - 0.5f)});
  }
  std::vector<std::vector<Vex3_quarn>> states;
  for (int f = 0; f < 20; f++) {
    std::vector<Vex3_quarn> p = m.positions;
    const float t = f / 19.0f;
    for (const Box& b : boxes) {
      const Vex3_quarn c = b.from + (b.to - b.from) * t;
      const float ang = b.turn * t * 3, cs = std::cos(ang), sn = std::sin(ang);
      for (int v = b.first; v < b.first + b.count; v++) {
        const Vex3_quarn& r = m.positions[v];
        p[v] = {c.x + cs * r.x - sn * r.y, c.y + sn * r.x + cs * r.y, r.z};
      }
    }
    states.push_back(p);
  }
  WriteStates(ctx, In(Folder::kGeometry, "MovingBoxes/state"), m, states);
  ctx.Record("Moving Box", int(m.positions.size()), m.TriangleCount());

  const PPC view = LookAt({0, -5200, 3400}, {0, 0, 0}, {0, 0, 1}, 10, 100000);
  ctx.SaveCamera("mb_default.ppc", view);
  ctx.SaveCamera("mb_track_1.ppc", view);
  ctx.SaveCamera("mb_track_2.ppc", LookAt({2600, -4400, 3000}, {0, 0, 0}, {0, 0, 1}, 10, 100000));
  ctx.SaveCamera("mb_track_3.ppc", LookAt({4600, -1400, 2600}, {0, 0, 0}, {0, 0, 1}, 10, 100000));
}

// A triangle split into n * n small ones: quads inside, triangles along the
// long edge.
void SplitTriangle(GenMesh& m, GenGroup& g, const Vex3_quarn& a, const Vex3_quarn& b,
                   const Vex3_quarn& c, int n) {
  std::vector<std::vector<int>> idx(n + 1);
  for (int j = 0; j <= n; j++)
    for (int i = 0; i + j <= n; i++)
      idx[j].push_back(m.AddVertex(a + (b - a) * (float(i) / n) + (c - a) * (float(j) / n)));
  for (int j = 0; j < n; j++)
    for (int i = 0; i + j < n; i++) {
      if (i + j <= n - 2)
        m.Quad(g, idx[j][i], idx[j][i + 1], idx[j + 1][i + 1], idx[j + 1][i]);
      else
        m.Tri(g, idx[j][i], idx[j][i + 1], idx[j + 1][i]);
    }
}

void TrianglePair(GenContext& ctx) {
  GenMesh m;
  // Sized for the fixed view from 150 units above: the upper triangle
  // crosses the lower one from side to side.
  SplitTriangle(m, m.AddGroup("solid", 2), {-45, -38, 0}, {45, -38, 0}, {0, 40, 0}, 32);
  const int moving = int(m.positions.size());
  SplitTriangle(m, m.AddGroup("solid", 4), {-22, -20, 20}, {22, -20, 20}, {0, 22, 20}, 32);
  std::vector<Vex3_quarn> a = m.positions, b = m.positions;
  for (size_t v = size_t(moving); v < a.size(); v++) {
    a[v].x -= 40;
    b[v].x += 40;
  }
  WriteStates(ctx, In(Folder::kGeometry, "TrianglePair/state"), m, {a, b});
  ctx.Record("Triangle Pair", int(m.positions.size()), m.TriangleCount());
}

}  // namespace

void GenerateSmallScenes(GenContext& ctx) {
  EasyPlane(ctx);
  MovingBoxes(ctx);
  TrianglePair(ctx);
}
