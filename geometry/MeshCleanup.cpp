// Sort-based detection over flat record arrays, O(n log n) in vertices and
// triangles. Ties in the sorts are broken by vertex index and by list
// position, so each run of equal vertices maps to its lowest-numbered
// vertex and the first of several equal triangles (in list order) stays.
#include "MeshCleanup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "ObjLoader.h"

namespace {
// Order-preserving integer key of a float: -0 and +0 meet, NaN goes last.
uint32_t SortKey(float f) {
  if (f == 0) return 0x80000000u;
  if (std::isnan(f)) return 0xFFFFFFFFu;
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
}

struct VertexRecord {
  uint32_t kx, ky, kz, index;
  bool operator<(const VertexRecord& o) const {
    if (kx != o.kx) return kx < o.kx;
    if (ky != o.ky) return ky < o.ky;
    if (kz != o.kz) return kz < o.kz;
    return index < o.index;
  }
};

struct TriangleRecord {
  uint32_t v[3];
  int32_t group, index;
  bool SameVertices(const TriangleRecord& o) const {
    return v[0] == o.v[0] && v[1] == o.v[1] && v[2] == o.v[2];
  }
  bool operator<(const TriangleRecord& o) const {
    for (int i = 0; i < 3; i++)
      if (v[i] != o.v[i]) return v[i] < o.v[i];
    if (group != o.group) return group < o.group;
    return index < o.index;
  }
};

int32_t Live(const ObjLoader& mesh, int32_t g) {
  return std::max(0, std::min<int32_t>(mesh.groupTriCount[g], int32_t(mesh.groupTriangles[g].size() / 3)));
}

// Meshes that share these lists and counts keep the old ones, which still
// match each other.
void Unshare(ObjLoader& mesh) {
  mesh.groupTriangles.MakeUnique();
  mesh.groupTriCount.MakeUnique();
}

// Identical vertices: map[v] = the first vertex of v's run of equal
// positions (float equality on every axis).
std::vector<uint32_t> IdenticalVertices(const ObjLoader& mesh, std::ostream& out) {
  const std::vector<Vex3_quarn>& p = mesh.positions;
  std::vector<uint32_t> map(p.size());
  std::vector<VertexRecord> records(p.size());
  for (uint32_t i = 0; i < p.size(); i++) {
    map[i] = i;
    records[i] = {SortKey(p[i].x), SortKey(p[i].y), SortKey(p[i].z), i};
  }
  std::sort(records.begin(), records.end());
  int32_t identical = 0;
  for (size_t r = 1; r < records.size(); r++) {
    const Vex3_quarn& a = p[records[r].index];
    const Vex3_quarn& b = p[records[r - 1].index];
    if (a.x == b.x && a.y == b.y && a.z == b.z) {
      map[records[r].index] = map[records[r - 1].index];
      identical++;
    }
  }
  out << identical << " identical vertices detected" << std::endl;
  return map;
}

// Keeps the vertices that represent their run, in index order, and moves
// every per-vertex array along; map[v] becomes v's new number.
void CompactVertices(ObjLoader& mesh, std::vector<uint32_t>& map) {
  const size_t n = mesh.positions.size();
  // Per-vertex arrays of this mesh: colours, and normals unless they are
  // per triangle id (meshes with id tables outside shading mode 3).
  const bool vertexNormals = mesh.normals && mesh.normals.size() == n &&
                             (mesh.shadingMode == shading::kObjectList || !mesh.HasIdTables());
  const bool colors = mesh.vertexColors && mesh.vertexColors.size() == n;
  const bool tex = mesh.texCoords && mesh.texCoords.size() == 2 * n;
  if (vertexNormals) mesh.normals.MakeUnique();
  if (colors) mesh.vertexColors.MakeUnique();
  if (tex) mesh.texCoords.MakeUnique();
  uint32_t next = 0;
  for (uint32_t i = 0; i < n; i++) {
    if (map[i] != i) continue;
    mesh.positions[next] = mesh.positions[i];
    if (vertexNormals) mesh.normals[next] = mesh.normals[i];
    if (colors) mesh.vertexColors[next] = mesh.vertexColors[i];
    if (tex) {
      mesh.texCoords[2 * next] = mesh.texCoords[2 * i];
      mesh.texCoords[2 * next + 1] = mesh.texCoords[2 * i + 1];
    }
    map[i] = next++;
  }
  mesh.positions.resize(next);
  if (vertexNormals) mesh.normals.vec().resize(next);
  if (colors) mesh.vertexColors.vec().resize(next);
  if (tex) mesh.texCoords.vec().resize(2 * size_t(next));
  mesh.vertexCount = int32_t(next);
}

// Removes collapsed triangles (two equal mapped vertex numbers) and then
// repeated ones (the same three mapped numbers in any order), closing the
// gaps in each list. Lists keep their stored numbers; `weld` has already
// rewritten them.
int32_t RemoveBadTriangles(ObjLoader& mesh, const std::vector<uint32_t>& map, std::ostream& out) {
  Unshare(mesh);
  const size_t nv = map.size();
  auto mapped = [&](uint32_t v) { return v < nv ? map[v] : v; };
  int32_t degenerate = 0;
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    std::vector<uint32_t>& list = mesh.groupTriangles[g];
    int32_t kept = 0, n = Live(mesh, g);
    for (int32_t k = 0; k < n; k++) {
      const uint32_t* t = &list[3 * size_t(k)];
      uint32_t a = mapped(t[0]), b = mapped(t[1]), c = mapped(t[2]);
      if (a == b || b == c || a == c) {
        degenerate++;
        continue;
      }
      if (kept != k) std::memmove(&list[3 * size_t(kept)], t, 12);
      kept++;
    }
    mesh.groupTriCount[g] = kept;
  }
  out << degenerate << " degenerate triangle removed" << std::endl;

  std::vector<TriangleRecord> records;
  std::vector<std::vector<int32_t>> keep(size_t(mesh.GroupsHeld()));
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    int32_t n = mesh.groupTriCount[g];
    keep[g].assign(size_t(n), 1);
    for (int32_t k = 0; k < n; k++) {
      const uint32_t* t = mesh.Triangle(g, k);
      TriangleRecord r{{mapped(t[0]), mapped(t[1]), mapped(t[2])}, g, k};
      std::sort(r.v, r.v + 3);
      records.push_back(r);
    }
  }
  std::sort(records.begin(), records.end());
  int32_t duplicates = 0;
  for (size_t i = 1; i < records.size(); i++) {
    if (!records[i].SameVertices(records[i - 1])) continue;
    keep[records[i].group][records[i].index] = 0;
    duplicates++;
    if (records[i].group != records[i - 1].group) out << "This happens" << std::endl;
  }
  out << duplicates << " duplicate triangle detected" << std::endl;

  int64_t total = 0;
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    std::vector<uint32_t>& list = mesh.groupTriangles[g];
    int32_t kept = 0;
    for (int32_t k = 0; k < mesh.groupTriCount[g]; k++) {
      if (!keep[g][k]) continue;
      if (kept != k) std::memmove(&list[3 * size_t(kept)], &list[3 * size_t(k)], 12);
      kept++;
    }
    mesh.groupTriCount[g] = kept;
    list.resize(3 * size_t(kept));
    total += kept;
  }
  mesh.triangleCount = int32_t(total);
  // The old ids no longer name these lists.
  mesh.triangleId.Reset();
  mesh.groupOfTriangle.Reset();
  mesh.indexInGroup.Reset();
  mesh.triangleColors.Reset();
  return duplicates;
}
}  // namespace

int32_t WeldCleanup(ObjLoader& mesh, std::ostream& out) {
  std::vector<uint32_t> map = IdenticalVertices(mesh, out);
  const size_t nv = map.size();
  Unshare(mesh);
  auto rewrite = [&]() {
    for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
      uint32_t* t = mesh.groupTriangles[g].data();
      for (size_t i = 0, n = 3 * size_t(Live(mesh, g)); i < n; i++)
        if (t[i] < nv) t[i] = map[t[i]];
    }
  };
  rewrite();
  CompactVertices(mesh, map);
  rewrite();
  // Lists now hold the new numbers directly.
  for (uint32_t i = 0; i < nv; i++) map[i] = i;
  return RemoveBadTriangles(mesh, map, out);
}

int32_t DetectCleanup(ObjLoader& mesh, std::ostream& out) {
  std::vector<uint32_t> map = IdenticalVertices(mesh, out);
  return RemoveBadTriangles(mesh, map, out);
}

void BadTriangleMask(const ObjLoader& mesh, int32_t count, int32_t* mask, std::ostream& err) {
  struct Record {
    uint32_t v[3];
    int32_t id;
    bool operator<(const Record& o) const {
      for (int i = 0; i < 3; i++)
        if (v[i] != o.v[i]) return v[i] < o.v[i];
      return id < o.id;
    }
  };
  std::vector<Record> records;
  int32_t bad = 0;
  for (int32_t id = 0; id < count; id++) {
    mask[id] = 1;
    Record r;
    if (!mesh.TriangleIndicesSorted(id, r.v)) continue;
    r.id = id;
    if (r.v[1] == r.v[0] || r.v[1] == r.v[2]) {
      mask[id] = 0;
      bad++;
    }
    records.push_back(r);
  }
  std::sort(records.begin(), records.end());
  for (size_t i = 1; i < records.size(); i++) {
    const Record& a = records[i];
    const Record& b = records[i - 1];
    if (a.v[0] == b.v[0] && a.v[1] == b.v[1] && a.v[2] == b.v[2] && mask[a.id]) {
      mask[a.id] = 0;
      bad++;
    }
  }
  err << "Totally " << bad << " bad triangles detected" << std::endl;
}

std::vector<int32_t> BadTriangleMask(const ObjLoader& mesh, int32_t count, std::ostream& err) {
  std::vector<int32_t> mask(size_t(std::max(count, 0)), 1);
  if (count > 0) BadTriangleMask(mesh, count, mask.data(), err);
  return mask;
}

