#include "StateCache.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "FileBytes.h"

namespace {
int32_t LiveCount(const ObjLoader& mesh, int32_t g) {
  return std::max(0, std::min<int32_t>(mesh.groupTriCount[g], int32_t(mesh.groupTriangles[g].size() / 3)));
}

bool Finite(const Vex3_quarn& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
}  // namespace

void EncodeStateCache(const ObjLoader& mesh, ByteWriter& w) {
  const bool ownsTopology = mesh.topologySource == nullptr;
  const bool withNormals = mesh.shadingMode == shading::kLitVertexColours;
  w.Reserve(16 + 12 * mesh.positions.size() + 8 * size_t(mesh.groupCount) +
            size_t(mesh.triangleCount) * ((ownsTopology ? 16 : 0) + (withNormals ? 12 : 0)));
  w.Put(int32_t(mesh.positions.size()));
  w.PutArray(mesh.positions.data(), mesh.positions.size());
  int32_t total = 0;
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) total += LiveCount(mesh, g);
  w.Put(mesh.GroupsHeld());
  w.Put(total);
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
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
}

std::vector<char> EncodeStateCache(const ObjLoader& mesh) {
  ByteWriter w;
  EncodeStateCache(mesh, w);
  return w.Bytes();
}

bool WriteStateCache(const ObjLoader& mesh, const std::string& path) {
  AtomicFile file(path);
  if (!file.Stream()) return false;
  ByteWriter w(file.Stream());
  EncodeStateCache(mesh, w);
  return w.Finish() && file.Commit();
}

namespace {
// Records are decoded in chunks of this many, through a small buffer.
constexpr size_t kChunk = 8192;

class CacheReader {
 public:
  CacheReader(ByteSource& in, const std::string& file, ObjLoader& mesh, ObjLoader* source, std::ostream& err)
      : in_(in), file_(file), mesh_(mesh), source_(source), err_(err) {}
  bool Read();

 private:
  bool Fail(const char* what) {
    err_ << "ERROR: " << file_ << ": " << what << std::endl;
    mesh_.Release();
    return false;
  }
  template <typename T>
  bool Get(T* v) {
    return in_.Read(v, sizeof(T));
  }
  bool SharedGroup(int32_t g, int32_t n);
  bool OwnGroup(int32_t g, int32_t n);

  ByteSource& in_;
  const std::string& file_;
  ObjLoader& mesh_;
  ObjLoader* source_;
  std::ostream& err_;
  bool withNormals_ = false;
  std::vector<unsigned char> chunk_;
};

bool CacheReader::Read() {
  mesh_.Release();
  withNormals_ = mesh_.shadingMode == shading::kLitVertexColours;
  int32_t nv = 0, ng = 0, nt = 0;
  if (!Get(&nv) || nv < 0 || uint64_t(nv) > in_.Left() / sizeof(Vex3_quarn))
    return Fail("vertex count does not fit the file");
  mesh_.positions.resize(size_t(nv));
  if (!in_.Read(mesh_.positions.data(), sizeof(Vex3_quarn) * size_t(nv))) return Fail("file ends inside the vertices");
  for (const Vex3_quarn& p : mesh_.positions)
    if (!Finite(p)) return Fail("vertex coordinate is not a finite number");
  mesh_.vertexCount = nv;
  if (!Get(&ng) || !Get(&nt)) return Fail("file ends before the group counts");
  if (ng < 0 || ng > kMaxStateGroups) return Fail("group count out of range");
  if (nt < 0) return Fail("triangle count out of range");
  // The size tells the layouts apart: a cache of a first state holds
  // vertex numbers and ids that one of a later state lacks.
  const uint64_t perTriangle = (source_ ? 0 : 16) + (withNormals_ ? 12 : 0);
  if (in_.Left() != 8 * uint64_t(ng) + perTriangle * uint64_t(nt))
    return Fail("file size does not match its counts");
  if (source_ && ng > source_->groupCount)
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
    if (!Get(&n) || !Get(&material)) return Fail("file ends inside a group");
    if (n < 0 || (sum += n) > nt) return Fail("group counts do not add up to the triangle count");
    mesh_.groupTriCount[g] = n;
    mesh_.groupMaterial[g] = material;
    if (!(source_ ? SharedGroup(g, n) : OwnGroup(g, n))) return false;
  }
  if (sum != nt) return Fail("group counts do not add up to the triangle count");
  mesh_.triangleCount = nt;
  if (source_) {
    mesh_.groupTriangles = source_->groupTriangles;
    mesh_.AssignIds(source_);
  }
  return true;
}

// Triangles and ids are the source's; the file holds normals only.
bool CacheReader::SharedGroup(int32_t g, int32_t n) {
  const uint32_t nv = uint32_t(mesh_.vertexCount);
  if (n > source_->SourceRows(g)) return Fail("more triangles than the topology source");
  const std::vector<uint32_t>& list = source_->groupTriangles[g];
  for (size_t i = 0; i < 3 * size_t(n); i++)
    if (list[i] >= nv) return Fail("triangles of the topology source name missing vertices");
  if (!withNormals_) return true;
  Vex3_quarn* normals = mesh_.normals.data();
  const size_t normalCount = mesh_.normals.size();
  std::vector<Vex3_quarn> chunk;
  for (int32_t k0 = 0; k0 < n; k0 += int32_t(kChunk)) {
    size_t m = std::min(kChunk, size_t(n - k0));
    chunk.resize(m);
    if (!in_.Read(chunk.data(), 12 * m)) return Fail("file ends inside a group");
    for (size_t j = 0; j < m; j++) {
      if (!Finite(chunk[j])) return Fail("normal is not a finite number");
      int32_t id = source_->IdOf(g, k0 + int32_t(j));
      if (id >= 0 && size_t(id) < normalCount) normals[id] = chunk[j];
    }
  }
  return true;
}

// Records of three vertex numbers and the id, then the normal when the
// mode stores normals.
bool CacheReader::OwnGroup(int32_t g, int32_t n) {
  const uint32_t nv = uint32_t(mesh_.vertexCount);
  const size_t record = withNormals_ ? 28 : 16;
  std::vector<uint32_t>& list = mesh_.groupTriangles[g];
  std::vector<int32_t>& row = mesh_.triangleId[g];
  list.resize(3 * size_t(n));
  row.resize(size_t(n));
  const int32_t nt = int32_t(mesh_.groupOfTriangle.size());
  int32_t* groupOf = mesh_.groupOfTriangle.data();
  int32_t* indexIn = mesh_.indexInGroup.data();
  Vex3_quarn* normals = mesh_.normals.data();
  for (int32_t k0 = 0; k0 < n; k0 += int32_t(kChunk)) {
    const int32_t k1 = k0 + int32_t(std::min(kChunk, size_t(n - k0)));
    chunk_.resize(record * size_t(k1 - k0));
    if (!in_.Read(chunk_.data(), chunk_.size())) return Fail("file ends inside a group");
    const unsigned char* p = chunk_.data();
    for (int32_t k = k0; k < k1; k++, p += record) {
      uint32_t* t = &list[3 * size_t(k)];
      int32_t id;
      std::memcpy(t, p, 12);
      std::memcpy(&id, p + 12, 4);
      if (t[0] >= nv || t[1] >= nv || t[2] >= nv) return Fail("vertex number out of range");
      if (id < 0 || id >= nt) return Fail("triangle id out of range");
      if (groupOf[id] != kAbsentGroup) return Fail("triangle id used twice");
      row[k] = id;
      groupOf[id] = g;
      indexIn[id] = k;
      if (withNormals_) {
        Vex3_quarn normal;
        std::memcpy(&normal, p + 16, 12);
        if (!Finite(normal)) return Fail("normal is not a finite number");
        normals[id] = normal;
      }
    }
  }
  return true;
}
}  // namespace

bool ReadStateCache(ByteSource& bytes, const std::string& fileName, ObjLoader& mesh, ObjLoader* source,
                    std::ostream& err) {
  if (source == &mesh) source = nullptr;
  CacheReader reader(bytes, fileName, mesh, source, err);
  if (!reader.Read()) return false;
  mesh.topologySource = source;
  return true;
}

bool ReadStateCache(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                    ObjLoader* source, std::ostream& err) {
  MemorySource bytes(data, size);
  return ReadStateCache(bytes, fileName, mesh, source, err);
}
