// The measurement scene (only with --large): a 708 x 708 quad sheet of
// rolling waves, about 1,000,000 triangles, whose waves move between its
// two states. Benchmarks use its states (layout::kLargeStates) and camera
// (layout::kLargeCamera).
#include <cmath>

#include "GenContext.h"
#include "MeshText.h"
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
