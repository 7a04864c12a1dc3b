// The measurement scenes (only with --large): a 708 x 708 quad sheet of
// rolling waves, about 1,000,000 triangles, whose waves move between its
// two states (layout::kLargeStates, layout::kLargeCamera); and a model that
// looks like scanned data, 200,000 mostly sub-pixel triangles of a closed
// bumpy surface turning by 30 degrees (layout::kScannedStates,
// layout::kScannedCamera).
#include <cmath>

#include "GenContext.h"
#include "MeshText.h"
#include "Surfaces.h"
#include "Scenes.h"
#include "WorkLayout.h"

namespace {

std::vector<Vex3_quarn> Waves(const GenMesh& m, float phase) {
  std::vector<Vex3_quarn> p = m.positions;
  for (Vex3_quarn& v : p)
    v.z = 300 * std::sin(v.x / 700 + phase) * std::cos(v.y / 900) +
          150 * std::sin((v.x + v.y) / 400 + 2 * phase);
  return p;
}

}  // namespace

void GenerateLarge(GenContext& ctx) {
  GenMesh m;
  const int n = 708;
  GenGroup& near = m.AddGroup("solid", 10);
  GenGroup& far = m.AddGroup("shell", 2);
  for (int j = 0; j <= n; j++)
    for (int i = 0; i <= n; i++) m.AddVertex({-5000.0f + 10000.0f * i / n, -5000.0f + 10000.0f * j / n, 0});
  for (int j = 0; j < n; j++)
    for (int i = 0; i < n; i++) {
      const int a = j * (n + 1) + i;
      m.Quad(j < n / 2 ? near : far, a, a + 1, a + n + 2, a + n + 1);
    }
  const std::string first = layout::StateFile(layout::kLargeStates, 0),
                    second = layout::StateFile(layout::kLargeStates, 1);
  ctx.Check(WriteStateObj(ctx.Path(first), m, Waves(m, 0), 0), first);
  ctx.Check(WriteStateObj(ctx.Path(second), m, Waves(m, 0.6f), 1), second);
  ctx.Record("Large", int(m.positions.size()), m.TriangleCount());
  ctx.SaveCamera(layout::kLargeCamera, LookAt({0, -9000, 3500}, {0, 0, 0}, {0, 0, 1}, 10, 100000));
}

void GenerateScanned(GenContext& ctx) {
  const ScannedLikeScene scene = ScannedLike();
  GenMesh m;
  GenGroup& g = m.AddGroup("solid", 3);
  for (const Vex3_quarn& p : scene.mesh.positions) m.AddVertex(p);
  const std::vector<uint32_t>& t = scene.mesh.triangles;
  for (size_t i = 0; i + 2 < t.size(); i += 3) m.Tri(g, int(t[i]), int(t[i + 1]), int(t[i + 2]));
  const std::string first = layout::StateFile(layout::kScannedStates, 0),
                    second = layout::StateFile(layout::kScannedStates, 1);
  ctx.Check(WriteStateObj(ctx.Path(first), m, scene.mesh.positions, 0), first);
  ctx.Check(WriteStateObj(ctx.Path(second), m, scene.second, 1), second);
  ctx.Record("Scanned", int(m.positions.size()), m.TriangleCount());
  ctx.SaveCamera(layout::kScannedCamera, LookAt(scene.eye, scene.target, scene.up, 10, 100000));
}
