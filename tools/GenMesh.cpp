#include "GenMesh.h"

#include <algorithm>
#include <cstring>
#include <numeric>

int GenGroup::TriangleCount() const {
  int n = 0;
  for (const GenFace& f : faces) n += f.TriangleCount();
  return n;
}

size_t GenMesh::KeyHash::operator()(const Key& k) const {
  uint32_t b[3];
  std::memcpy(b, &k, sizeof b);
  return (size_t(b[0]) * 73856093u) ^ (size_t(b[1]) * 19349663u) ^ (size_t(b[2]) * 83492791u);
}

int GenMesh::AddVertex(const Vex3_quarn& p) {
  if (dedupe_) {
    // +0.0 and -0.0 are one position for the welding cleanup.
    Key k{p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
    auto it = seen_.find(k);
    if (it != seen_.end()) return it->second;
    seen_.emplace(k, int(positions.size()));
  }
  positions.push_back(p);
  return int(positions.size()) - 1;
}

int GenMesh::AddVertex(const Vex3_quarn& p, const Vex3_quarn& n, float u, float v) {
  positions.push_back(p);
  normals.push_back(n);
  uv.push_back(u);
  uv.push_back(v);
  return int(positions.size()) - 1;
}

GenGroup& GenMesh::AddGroup(const std::string& kind, int material) {
  groups.emplace_back();
  groups.back().kind = kind;
  groups.back().material = material;
  return groups.back();
}

GenGroup& GenMesh::AddNamedGroup(const std::string& name, const Vex3_quarn& color) {
  groups.emplace_back();
  groups.back().name = name;
  groups.back().color = color;
  return groups.back();
}

void GenMesh::Tri(GenGroup& g, int a, int b, int c, int death) {
  g.faces.push_back({{a, b, c, -1}});
  g.deathFrame.push_back(death);
}

void GenMesh::Quad(GenGroup& g, int a, int b, int c, int d, int death) {
  g.faces.push_back({{a, b, c, d}});
  g.deathFrame.push_back(death);
}

int GenMesh::TriangleCount() const {
  int n = 0;
  for (const GenGroup& g : groups) n += g.TriangleCount();
  return n;
}

std::vector<uint32_t> GenMesh::TriangleList() const {
  std::vector<uint32_t> out;
  out.reserve(size_t(TriangleCount()) * 3);
  for (const GenGroup& g : groups)
    for (const GenFace& f : g.faces) {
      out.insert(out.end(), {uint32_t(f.v[0]), uint32_t(f.v[1]), uint32_t(f.v[2])});
      if (f.IsQuad()) out.insert(out.end(), {uint32_t(f.v[2]), uint32_t(f.v[3]), uint32_t(f.v[0])});
    }
  return out;
}

std::vector<int32_t> GenMesh::TriangleGroups() const {
  std::vector<int32_t> out;
  for (size_t g = 0; g < groups.size(); g++)
    out.insert(out.end(), size_t(groups[g].TriangleCount()), int32_t(g));
  return out;
}

std::vector<int32_t> GenMesh::LiveCounts(int frame) const {
  std::vector<int32_t> out;
  for (const GenGroup& g : groups) {
    int n = 0;
    for (size_t f = 0; f < g.faces.size(); f++)
      if (g.deathFrame[f] > frame) n += g.faces[f].TriangleCount();
    out.push_back(n);
  }
  return out;
}

void GenMesh::SortByDeath() {
  for (GenGroup& g : groups) {
    std::vector<size_t> order(g.faces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return g.deathFrame[a] > g.deathFrame[b]; });
    std::vector<GenFace> faces;
    std::vector<int> death;
    for (size_t i : order) {
      faces.push_back(g.faces[i]);
      death.push_back(g.deathFrame[i]);
    }
    g.faces.swap(faces);
    g.deathFrame.swap(death);
  }
}

float Hash01(uint32_t i) {
  i ^= i >> 16;
  i *= 0x7feb352du;
  i ^= i >> 15;
  i *= 0x846ca68bu;
  i ^= i >> 16;
  return float(i >> 8) / float(1 << 24);
}

void AddBox(GenMesh& m, GenGroup& g, const Vex3_quarn& lo, const Vex3_quarn& hi, int n,
            int death) {
  // Six faces, each an (n+1) x (n+1) vertex grid, wound outwards.
  const Vex3_quarn d = hi - lo;
  struct FaceFrame { Vex3_quarn o, u, v; };
  const FaceFrame frames[6] = {
      {{lo.x, lo.y, lo.z}, {0, d.y, 0}, {d.x, 0, 0}},  // bottom (-z)
      {{lo.x, lo.y, hi.z}, {d.x, 0, 0}, {0, d.y, 0}},  // top (+z)
      {{lo.x, lo.y, lo.z}, {d.x, 0, 0}, {0, 0, d.z}},  // front (-y)
      {{hi.x, hi.y, lo.z}, {-d.x, 0, 0}, {0, 0, d.z}}, // back (+y)
      {{lo.x, hi.y, lo.z}, {0, -d.y, 0}, {0, 0, d.z}}, // left (-x)
      {{hi.x, lo.y, lo.z}, {0, d.y, 0}, {0, 0, d.z}},  // right (+x)
  };
  for (const FaceFrame& f : frames) {
    AddGrid(m, g, n, n,
            [&](int i, int j) { return f.o + f.u * (float(i) / n) + f.v * (float(j) / n); },
            death);
  }
}

void AddGrid(GenMesh& m, GenGroup& g, int cols, int rows,
             const std::function<Vex3_quarn(int, int)>& at, int death) {
  std::vector<int> idx;
  for (int j = 0; j <= rows; j++)
    for (int i = 0; i <= cols; i++) idx.push_back(m.AddVertex(at(i, j)));
  for (int j = 0; j < rows; j++)
    for (int i = 0; i < cols; i++) {
      const int v = j * (cols + 1) + i;
      m.Quad(g, idx[v], idx[v + 1], idx[v + cols + 2], idx[v + cols + 1], death);
    }
}

void GenMesh::ComputeAttributes(int ua, int va, float size) {
  normals.assign(positions.size(), Vex3_quarn());
  std::vector<uint32_t> tris = TriangleList();
  for (size_t t = 0; t + 2 < tris.size(); t += 3) {
    const Vex3_quarn& p0 = positions[tris[t]];
    Vex3_quarn n = (positions[tris[t + 1]] - p0).Cross(positions[tris[t + 2]] - p0);
    for (int k = 0; k < 3; k++) normals[tris[t + k]] += n;
  }
  for (Vex3_quarn& n : normals) n = n.Normalized();
  uv.resize(positions.size() * 2);
  for (size_t i = 0; i < positions.size(); i++) {
    uv[2 * i] = positions[i][ua] / size;
    uv[2 * i + 1] = positions[i][va] / size;
  }
}
