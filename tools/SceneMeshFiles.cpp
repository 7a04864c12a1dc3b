// Two states in a standard format, for the command-line tool's quick
// start: a ball of quads (triangles at the poles) rolling sideways in
// front of a wall of quads, written as binary PLY files with polygons.
#include <cmath>
#include <cstdio>
#include <vector>

#include "GenContext.h"
#include "Scenes.h"
#include "WorkLayout.h"

namespace {

struct Polygons {
  std::vector<Vex3_quarn> positions;
  std::vector<std::vector<int32_t>> faces;
};

// The ball (centre x = dx, turned by `turn` radians about z) and the wall.
Polygons BallAndWall(float dx, float turn) {
  Polygons m;
  const int rings = 16, sectors = 24;
  const float r = 300, pi = 3.14159265f;
  for (int i = 0; i <= rings; i++) {
    const float polar = pi * float(i) / rings;
    for (int j = 0; j < sectors; j++) {
      const float around = 2 * pi * float(j) / sectors, azimuth = around + turn;
      // Bumps that turn with the ball, so that it hides parts of itself.
      const float radius = r * (1 + 0.08f * std::sin(5 * polar) * std::cos(3 * around));
      m.positions.emplace_back(dx + radius * std::sin(polar) * std::cos(azimuth),
                               radius * std::sin(polar) * std::sin(azimuth),
                               400 + radius * std::cos(polar));
    }
  }
  auto at = [&](int i, int j) { return int32_t(i * sectors + (j % sectors)); };
  for (int i = 0; i < rings; i++)
    for (int j = 0; j < sectors; j++) {
      if (i == 0)
        m.faces.push_back({at(0, j), at(1, j), at(1, j + 1)});
      else if (i == rings - 1)
        m.faces.push_back({at(i, j), at(i + 1, j), at(i, j + 1)});
      else
        m.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  // The wall: 20 x 10 quads behind the ball.
  const int32_t base = int32_t(m.positions.size());
  for (int k = 0; k <= 10; k++)
    for (int i = 0; i <= 20; i++) m.positions.emplace_back(-1500.0f + 150 * i, 700.0f, 100.0f * k);
  for (int k = 0; k < 10; k++)
    for (int i = 0; i < 20; i++) {
      const int32_t a = base + k * 21 + i;
      m.faces.push_back({a, a + 1, a + 22, a + 21});
    }
  return m;
}

bool WritePly(const std::string& path, const Polygons& m) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f,
               "ply\nformat binary_little_endian 1.0\ncomment workbench sample state\n"
               "element vertex %zu\nproperty float x\nproperty float y\nproperty float z\n"
               "element face %zu\nproperty list uchar int vertex_indices\nend_header\n",
               m.positions.size(), m.faces.size());
  bool ok = std::fwrite(m.positions.data(), 12, m.positions.size(), f) == m.positions.size();
  for (const std::vector<int32_t>& face : m.faces) {
    const unsigned char n = static_cast<unsigned char>(face.size());
    ok = ok && std::fwrite(&n, 1, 1, f) == 1 &&
         std::fwrite(face.data(), 4, face.size(), f) == face.size();
  }
  return std::fclose(f) == 0 && ok;
}

}  // namespace

void GenerateMeshFiles(GenContext& ctx) {
  ctx.Check(WritePly(ctx.Path(layout::kMeshFileA), BallAndWall(-500, 0)), layout::kMeshFileA);
  ctx.Check(WritePly(ctx.Path(layout::kMeshFileB), BallAndWall(500, 0.6f)), layout::kMeshFileB);
}
