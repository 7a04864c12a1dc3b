// "Quarn Tree": one broadleaf tree (trunk, two levels of branches, 8000
// leaves) on a small patch of ground, as a flagged binary mesh. Every
// vertex has its own position, so the welding cleanup of Scene Setup keeps
// the counts. Scene Setup looks down on it from 10 units above the vertex
// centroid, which lies in the crown.
#include <cmath>

#include "GenContext.h"
#include "GenMesh.h"
#include "Scenes.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

void Limb(GenMesh& m, GenGroup& g, const Vex3_quarn& from, const Vex3_quarn& to, float r0,
          float r1, int sides) {
  const Vex3_quarn axis = (to - from).Normalized();
  Vex3_quarn side = axis.Cross({0.3f, 0.5f, 0.8f}).Normalized();
  const Vex3_quarn other = axis.Cross(side);
  std::vector<int> rings[2];
  for (int e = 0; e < 2; e++)
    for (int i = 0; i < sides; i++) {
      const float a = 2 * float(M_PI) * (i + 0.5f * e) / sides;
      const Vex3_quarn c = e ? to : from;
      const float r = e ? r1 : r0;
      rings[e].push_back(m.AddVertex(c + (side * std::cos(a) + other * std::sin(a)) * r));
    }
  for (int i = 0; i < sides; i++) {
    const int j = (i + 1) % sides;
    m.Quad(g, rings[0][i], rings[0][j], rings[1][j], rings[1][i]);
  }
}

}  // namespace

void GenerateTree(GenContext& ctx) {
  GenMesh m(true);
  GenGroup& g = m.AddGroup("solid", 5);
  const int n = 20;
  AddGrid(m, g, n, n, [](int i, int j) { return Vex3_quarn(-10.0f + i, -10.0f + j, 0.0f); });
  const Vex3_quarn top(0, 0, 5.5f);
  Limb(m, g, {0, 0, 0.001f}, top, 0.45f, 0.3f, 10);
  std::vector<Vex3_quarn> tips;
  for (int b = 0; b < 6; b++) {
    const float a = 2 * float(M_PI) * (b + 0.3f * Hash01(b)) / 6;
    const Vex3_quarn start = top - Vex3_quarn(0, 0, 1.2f * Hash01(b + 10));
    const Vex3_quarn end = start + Vex3_quarn(3.5f * std::cos(a), 3.5f * std::sin(a), 3.0f + Hash01(b + 20));
    Limb(m, g, start, end, 0.22f, 0.12f, 8);
    for (int s = 0; s < 4; s++) {
      const float sa = a + 1.6f * (Hash01(40 + 4 * b + s) - 0.5f);
      const Vex3_quarn from = start + (end - start) * (0.45f + 0.15f * s);
      const Vex3_quarn to = from + Vex3_quarn(2.2f * std::cos(sa), 2.2f * std::sin(sa), 1.4f);
      Limb(m, g, from, to, 0.1f, 0.05f, 6);
      tips.push_back(to);
    }
  }
  for (int l = 0; l < 8000; l++) {
    const uint32_t k = uint32_t(8 * l + 1000);
    const Vex3_quarn& t = tips[l % tips.size()];
    const Vex3_quarn c = t + Vex3_quarn(Hash01(k) - 0.5f, Hash01(k + 1) - 0.5f, Hash01(k + 2) - 0.6f) * 3.2f;
    const Vex3_quarn u = Vex3_quarn(Hash01(k + 3) - 0.5f, Hash01(k + 4) - 0.5f, Hash01(k + 5) - 0.5f).Normalized() * 0.35f;
    const Vex3_quarn v = u.Cross({0, 0, 1}).Normalized() * 0.2f;
    m.Quad(g, m.AddVertex(c), m.AddVertex(c + v), m.AddVertex(c + u + v * 0.5f), m.AddVertex(c + u - v * 0.3f));
  }
  ctx.SaveFlaggedBinary(In(Folder::kGeometry, "QUARNTree/tree1.bin"), m.positions,
                        m.TriangleList());
  ctx.Record("Quarn Tree", int(m.positions.size()), m.TriangleCount());
}
