#include "Surfaces.h"

#include "ObjLoader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Midpoint vertex of an edge, shared by the two triangles of the edge.
uint32_t Midpoint(std::vector<Vex3_quarnd>& v, std::map<std::pair<uint32_t, uint32_t>, uint32_t>& mid,
                  uint32_t a, uint32_t b) {
  const auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
  auto it = mid.find(key);
  if (it != mid.end()) return it->second;
  v.push_back(((v[a] + v[b]) * 0.5).Normalized());
  const uint32_t n = uint32_t(v.size() - 1);
  mid[key] = n;
  return n;
}

// Unit icosphere in double: directions and triangles.
void UnitIcosphere(int subdivisions, std::vector<Vex3_quarnd>* dirs, std::vector<uint32_t>* tris) {
  const double t = (1 + std::sqrt(5.0)) / 2;
  std::vector<Vex3_quarnd>& v = *dirs;
  v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
       {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  for (Vex3_quarnd& p : v) p = p.Normalized();
  *tris = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4, 11, 10, 2,
           10, 7, 6, 7, 1, 8, 3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8, 3, 8, 9, 4, 9, 5,
           2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
  for (int s = 0; s < subdivisions; s++) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> mid;
    std::vector<uint32_t> next;
    next.reserve(tris->size() * 4);
    for (size_t i = 0; i < tris->size(); i += 3) {
      const uint32_t a = (*tris)[i], b = (*tris)[i + 1], c = (*tris)[i + 2];
      const uint32_t ab = Midpoint(v, mid, a, b), bc = Midpoint(v, mid, b, c),
                     ca = Midpoint(v, mid, c, a);
      next.insert(next.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
    }
    *tris = std::move(next);
  }
}

}  // namespace

void SurfaceMesh::Append(const SurfaceMesh& o) {
  const uint32_t base = uint32_t(positions.size());
  positions.insert(positions.end(), o.positions.begin(), o.positions.end());
  for (uint32_t i : o.triangles) triangles.push_back(base + i);
}

void LoadSurface(const SurfaceMesh& m, const std::vector<Vex3_quarn>& positions, ObjLoader* mesh) {
  mesh->Release();
  mesh->positions = positions;
  mesh->vertexCount = int32_t(positions.size());
  mesh->groupCount = 1;
  mesh->triangleCount = m.TriangleCount();
  mesh->groupTriangles.Assign({m.triangles});
  mesh->groupTriCount.Assign({mesh->triangleCount});
  mesh->groupMaterial.Assign({1});
  mesh->AssignIds(nullptr);
}

SurfaceMesh Icosphere(int subdivisions, const Vex3_quarn& centre, float radius) {
  return BumpyBlob(subdivisions, centre, radius, 0, 0);
}

namespace {

// Pushes unit directions out to a sphere whose radius varies by up to
// `bumps` of itself: a few waves with seeded directions, frequencies and
// phases, scaled so their sum stays within [-1, 1].
std::vector<Vex3_quarn> Displaced(const std::vector<Vex3_quarnd>& dirs, const Vex3_quarn& centre,
                                  float radius, float bumps, uint32_t seed) {
  struct Wave {
    Vex3_quarnd dir;
    double freq, phase;
  };
  std::vector<Wave> waves;
  uint32_t s = seed * 2654435761u + 12345u;
  auto next = [&s]() {
    s = s * 1664525u + 1013904223u;
    return double(s >> 8) / 16777216.0;
  };
  for (int k = 0; bumps != 0 && k < 5; k++) {
    Vex3_quarnd d(next() - 0.5, next() - 0.5, next() - 0.5);
    waves.push_back({d.Normalized(), 2 + 5 * next(), 2 * kPi * next()});
  }
  const Vex3_quarnd c(centre);
  std::vector<Vex3_quarn> out;
  out.reserve(dirs.size());
  for (const Vex3_quarnd& d : dirs) {
    double h = 0;
    for (const Wave& w : waves) h += std::sin(w.freq * d.Dot(w.dir) + w.phase);
    if (!waves.empty()) h /= double(waves.size());
    const Vex3_quarnd p = c + d * (radius * (1 + bumps * h));
    out.push_back(Vex3_quarn(float(p.x), float(p.y), float(p.z)));
  }
  return out;
}

}  // namespace

SurfaceMesh BumpyBlob(int subdivisions, const Vex3_quarn& centre, float radius, float bumps,
                      uint32_t seed) {
  std::vector<Vex3_quarnd> dirs;
  SurfaceMesh m;
  UnitIcosphere(subdivisions, &dirs, &m.triangles);
  m.positions = Displaced(dirs, centre, radius, bumps, seed);
  return m;
}

SurfaceMesh GeodesicBlob(int split, const Vex3_quarn& centre, float radius, float bumps,
                         uint32_t seed) {
  std::vector<Vex3_quarnd> corners;
  std::vector<uint32_t> faces;
  UnitIcosphere(0, &corners, &faces);
  // Lattice points of a face are weighted sums of its corners; a point on
  // an edge or corner is shared with the neighbouring faces through its
  // key, the (corner, weight) pairs with non-zero weight in corner order.
  std::map<std::array<uint32_t, 6>, uint32_t> shared;
  std::vector<Vex3_quarnd> dirs;
  auto vertex = [&](const uint32_t c[3], int i, int j) {
    const uint32_t w[3] = {uint32_t(split - i - j), uint32_t(i), uint32_t(j)};
    std::array<std::pair<uint32_t, uint32_t>, 3> parts = {
        {{c[0], w[0]}, {c[1], w[1]}, {c[2], w[2]}}};
    std::sort(parts.begin(), parts.end());
    std::array<uint32_t, 6> key{};
    int n = 0;
    for (const auto& p : parts)
      if (p.second) {
        key[size_t(n++)] = p.first;
        key[size_t(n++)] = p.second;
      }
    auto it = shared.find(key);
    if (it != shared.end()) return it->second;
    Vex3_quarnd p(0, 0, 0);
    for (const auto& q : parts) p = p + corners[q.first] * double(q.second);
    dirs.push_back(p.Normalized());
    const uint32_t id = uint32_t(dirs.size() - 1);
    shared.emplace(key, id);
    return id;
  };
  SurfaceMesh m;
  m.triangles.reserve(size_t(20) * size_t(split) * size_t(split) * 3);
  for (size_t f = 0; f < faces.size(); f += 3) {
    const uint32_t c[3] = {faces[f], faces[f + 1], faces[f + 2]};
    // Rows j = 0 .. split - 1 along corner 2; in each, upright and
    // inverted triangles, wound as the face.
    for (int j = 0; j < split; j++)
      for (int i = 0; i + j < split; i++) {
        const uint32_t a = vertex(c, i, j), b = vertex(c, i + 1, j), d = vertex(c, i, j + 1);
        m.triangles.insert(m.triangles.end(), {a, b, d});
        if (i + j + 1 < split) {
          const uint32_t e = vertex(c, i + 1, j + 1);
          m.triangles.insert(m.triangles.end(), {b, e, d});
        }
      }
  }
  m.positions = Displaced(dirs, centre, radius, bumps, seed);
  return m;
}

ScannedLikeScene ScannedLike(float degrees, float shift) {
  ScannedLikeScene s;
  const Vex3_quarn centre(0, 0, 0);
  const float radius = 100;
  s.mesh = GeodesicBlob(100, centre, radius, 0.12f, 7);
  s.second = Rotated(s.mesh.positions, centre, Vex3_quarn(0.3f, 1, 0.45f), degrees);
  if (shift != 0) s.second = Translated(s.second, Vex3_quarn(2 * radius * shift, 0, 0));
  s.eye = Vex3_quarn(120, -900, 260);
  s.target = centre;
  s.up = Vex3_quarn(0, 0, 1);
  return s;
}

SurfaceMesh Torus(int around, int across, const Vex3_quarn& centre, float R, float r) {
  SurfaceMesh m;
  for (int i = 0; i < around; i++) {
    const double u = 2 * kPi * i / around;
    for (int j = 0; j < across; j++) {
      const double v = 2 * kPi * j / across;
      const double rr = R + r * std::cos(v);
      m.positions.push_back(Vex3_quarn(float(centre.x + rr * std::cos(u)),
                                       float(centre.y + rr * std::sin(u)),
                                       float(centre.z + r * std::sin(v))));
    }
  }
  for (int i = 0; i < around; i++)
    for (int j = 0; j < across; j++) {
      const uint32_t a = uint32_t(i * across + j), b = uint32_t(((i + 1) % around) * across + j),
                     c = uint32_t(((i + 1) % around) * across + (j + 1) % across),
                     d = uint32_t(i * across + (j + 1) % across);
      m.triangles.insert(m.triangles.end(), {a, b, c, a, c, d});
    }
  return m;
}

SurfaceMesh Sheet(float x0, float x1, float y0, float y1, float z, int nx, int ny) {
  SurfaceMesh m;
  for (int j = 0; j <= ny; j++)
    for (int i = 0; i <= nx; i++)
      m.positions.push_back(Vex3_quarn(x0 + (x1 - x0) * i / nx, y0 + (y1 - y0) * j / ny, z));
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++) {
      const uint32_t a = uint32_t(j * (nx + 1) + i), b = a + 1, c = a + uint32_t(nx) + 1, d = c + 1;
      m.triangles.insert(m.triangles.end(), {a, b, d, a, d, c});
    }
  return m;
}

SurfaceMesh Box(const Vex3_quarn& centre, const Vex3_quarn& size) {
  SurfaceMesh m;
  const Vex3_quarn half = size * 0.5f;
  // Corner k has bit 0 for +x, bit 1 for +y, bit 2 for +z.
  for (uint32_t k = 0; k < 8; k++)
    m.positions.push_back(centre + Vex3_quarn(k & 1 ? half.x : -half.x, k & 2 ? half.y : -half.y,
                                              k & 4 ? half.z : -half.z));
  const uint32_t faces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                                {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
  for (const auto& f : faces)
    for (int half2 = 0; half2 < 2; half2++) {
      uint32_t a = f[0], b = f[1 + half2], c = f[2 + half2];
      const Vex3_quarn pa = m.positions[a], pb = m.positions[b], pc = m.positions[c];
      // Wound counter-clockwise seen from outside.
      if ((pb - pa).Cross(pc - pa).Dot((pa + pb + pc) * (1.0f / 3) - centre) < 0) std::swap(b, c);
      m.triangles.insert(m.triangles.end(), {a, b, c});
    }
  return m;
}

std::vector<Vex3_quarn> Rotated(const std::vector<Vex3_quarn>& p, const Vex3_quarn& pivot,
                                const Vex3_quarn& axis, float degrees) {
  // Rodrigues' formula in double.
  const Vex3_quarnd k = Vex3_quarnd(axis).Normalized(), o(pivot);
  const double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  std::vector<Vex3_quarn> out;
  out.reserve(p.size());
  for (const Vex3_quarn& q : p) {
    const Vex3_quarnd v = Vex3_quarnd(q) - o;
    const Vex3_quarnd r = v * c + k.Cross(v) * s + k * (k.Dot(v) * (1 - c)) + o;
    out.push_back(Vex3_quarn(float(r.x), float(r.y), float(r.z)));
  }
  return out;
}

std::vector<Vex3_quarn> Translated(const std::vector<Vex3_quarn>& p, const Vex3_quarn& by) {
  std::vector<Vex3_quarn> out(p);
  for (Vex3_quarn& q : out) q += by;
  return out;
}
