#include "StateCache.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "FileBytes.h"

namespace {
int32_t LiveCount(const ObjLoader& mesh, int32_t g) {
  return std::max(0, std::min<int32_t>(mesh.groupTriCount[g], int32_t(mesh.groupTriangles[g].size() / 3)));
}

bool Finite(const Vex3_quarn& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
}  // namespace

std::vector<char> EncodeStateCache(const ObjLoader& mesh) {
  const bool ownsTopology = mesh.topologySource == nullptr;
  const bool withNormals = mesh.shadingMode == 0;
  ByteWriter w;
  w.Reserve(16 + 12 * mesh.positions.size() + 8 * size_t(mesh.groupCount) +
            size_t(mesh.triangleCount) * ((ownsTopology ? 16 : 0) + (withNormals ? 12 : 0)));
  w.Put(int32_t(mesh.positions.size()));
  w.PutArray(mesh.positions.data(), mesh.positions.size());
  int32_t total = 0;
  for (int32_t g = 0; g < mesh.groupCount; g++) total += LiveCount(mesh, g);
  w.Put(mesh.groupCount);
  w.Put(total);
  for (int32_t g = 0; g < mesh.groupCount; g++) {
    int32_t n = LiveCount(mesh, g);
    w.Put(n);
    w.Put(mesh.groupMaterial.empty() ? 0 : mesh.groupMaterial[g]);
    for (int32_t k = 0; k < n; k++) {
      int32_t id = mesh.IdOf(g, k);
      if (ownsTopology) {
        w.PutArray(mesh.Triangle(g, k), 3);
        w.Put(id);
      }
      if (withNormals) {
        Vex3_quarn normal;
        if (id >= 0 && size_t(id) < mesh.normals.size()) normal = mesh.normals[id];
        w.Put(normal);
      }
    }
  }
  return w.Bytes();
}

bool WriteStateCache(const ObjLoader& mesh, const std::string& path) {
  std::vector<char> bytes = EncodeStateCache(mesh);
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

namespace {
class CacheReader {
 public:
  CacheReader(const char* data, size_t size, const std::string& file, ObjLoader& mesh, ObjLoader* source)
      : r_(data, size), file_(file), mesh_(mesh), source_(source) {}
  bool Read();

 private:
  bool Fail(const char* what) {
    std::fprintf(stderr, "ERROR: %s: %s\n", file_.c_str(), what);
    mesh_.Release();
    return false;
  }
  bool Group(int32_t g, int32_t n);

  ByteReader r_;
  const std::string& file_;
  ObjLoader& mesh_;
  ObjLoader* source_;
  bool withNormals_ = false;
};

bool CacheReader::Read() {
  mesh_.Release();
  withNormals_ = mesh_.shadingMode == 0;
  int32_t nv = 0, ng = 0, nt = 0;
  if (!r_.Read(&nv) || !r_.Holds(nv, sizeof(Vex3_quarn))) return Fail("vertex count does not fit the file");
  mesh_.positions.resize(size_t(nv));
  r_.ReadArray(mesh_.positions.data(), size_t(nv));
  for (const Vex3_quarn& p : mesh_.positions)
    if (!Finite(p)) return Fail("vertex coordinate is not a finite number");
  mesh_.vertexCount = nv;
  if (!r_.Read(&ng) || !r_.Read(&nt)) return Fail("file ends before the group counts");
  if (ng < 0 || ng > kMaxStateGroups) return Fail("group count out of range");
  if (nt < 0) return Fail("triangle count out of range");
  // The size tells the layouts apart: a cache of a first state holds
  // vertex numbers and ids that one of a later state lacks.
  const uint64_t perTriangle = (source_ ? 0 : 16) + (withNormals_ ? 12 : 0);
  if (uint64_t(r_.Left()) != 8 * uint64_t(ng) + perTriangle * uint64_t(nt))
    return Fail("file size does not match its counts");
  if (source_ && (!source_->HasIdTables() || ng > source_->groupCount))
    return Fail("groups do not match the topology source");

  mesh_.groupCount = ng;
  mesh_.groupTriCount.Allocate(ng);
  mesh_.groupMaterial.Allocate(ng);
  if (withNormals_) mesh_.normals.Allocate(source_ ? source_->IdCount() : nt);
  if (!source_) {
    mesh_.groupTriangles.Allocate(ng);
    mesh_.triangleId.Allocate(ng);
    mesh_.groupOfTriangle.Allocate(nt, kAbsentGroup);
    mesh_.indexInGroup.Allocate(nt, 0);
  }
  int64_t sum = 0;
  for (int32_t g = 0; g < ng; g++) {
    int32_t n = 0, material = 0;
    if (!r_.Read(&n) || !r_.Read(&material)) return Fail("file ends inside a group");
    if (n < 0 || (sum += n) > nt) return Fail("group counts do not add up to the triangle count");
    mesh_.groupTriCount[g] = n;
    mesh_.groupMaterial[g] = material;
    if (!Group(g, n)) return false;
  }
  if (sum != nt) return Fail("group counts do not add up to the triangle count");
  mesh_.triangleCount = nt;
  if (source_) {
    mesh_.groupTriangles = source_->groupTriangles;
    mesh_.AssignIds(source_);
  }
  return true;
}

bool CacheReader::Group(int32_t g, int32_t n) {
  const uint32_t nv = uint32_t(mesh_.vertexCount);
  if (source_) {
    // Triangles and ids are the source's; the file holds normals only.
    const std::vector<uint32_t>& list = source_->groupTriangles[g];
    const std::vector<int32_t>& ids = source_->triangleId[g];
    if (size_t(n) > list.size() / 3 || size_t(n) > ids.size())
      return Fail("more triangles than the topology source");
    for (size_t i = 0; i < 3 * size_t(n); i++)
      if (list[i] >= nv) return Fail("triangles of the topology source name missing vertices");
    for (int32_t k = 0; k < n && withNormals_; k++) {
      Vex3_quarn normal;
      r_.Read(&normal);
      if (!Finite(normal)) return Fail("normal is not a finite number");
      if (ids[k] >= 0 && size_t(ids[k]) < mesh_.normals.size()) mesh_.normals[ids[k]] = normal;
    }
    return true;
  }
  std::vector<uint32_t>& list = mesh_.groupTriangles[g];
  std::vector<int32_t>& row = mesh_.triangleId[g];
  list.resize(3 * size_t(n));
  row.resize(size_t(n));
  const int32_t nt = int32_t(mesh_.groupOfTriangle.size());
  for (int32_t k = 0; k < n; k++) {
    uint32_t* t = list.data() + 3 * size_t(k);
    int32_t id = 0;
    r_.ReadArray(t, 3);
    r_.Read(&id);
    if (t[0] >= nv || t[1] >= nv || t[2] >= nv) return Fail("vertex number out of range");
    if (id < 0 || id >= nt) return Fail("triangle id out of range");
    if (mesh_.groupOfTriangle[id] != kAbsentGroup) return Fail("triangle id used twice");
    row[k] = id;
    mesh_.groupOfTriangle[id] = g;
    mesh_.indexInGroup[id] = k;
    if (withNormals_) {
      Vex3_quarn normal;
      r_.Read(&normal);
      if (!Finite(normal)) return Fail("normal is not a finite number");
      mesh_.normals[id] = normal;
    }
  }
  return true;
}
}  // namespace

bool ReadStateCache(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                    ObjLoader* source) {
  if (source == &mesh) source = nullptr;
  CacheReader reader(data, size, fileName, mesh, source);
  if (!reader.Read()) return false;
  mesh.topologySource = source;
  return true;
}
