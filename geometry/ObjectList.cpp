#include "ObjectList.h"

#include <cmath>
#include <cstdio>

#include "FileBytes.h"
#include "Format.h"
#include "MeshCleanup.h"
#include "ObjectReader.h"
#include "TextScan.h"
#include "WorkLayout.h"

namespace {
constexpr size_t kMaxNameLine = 4095;

bool Finite(const Vex3_quarn& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

int Bad(std::ostream& err, const std::string& file, const char* what, ObjLoader& mesh) {
  err << "ERROR: " << file << ": " << what << std::endl;
  mesh.Release();
  return -1;
}
}  // namespace

int ReadObjectListCache(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                        float scale, std::ostream& err) {
  mesh.Release();
  ByteReader r(data, size);
  int32_t nv = 0, ng = 0, nt = 0;
  if (!r.Read(&nv) || !r.Holds(nv, 32)) return Bad(err, fileName, "vertex count does not fit the file", mesh);
  mesh.positions.resize(size_t(nv));
  mesh.normals.Allocate(nv);
  mesh.texCoords.Allocate(2 * int64_t(nv));
  for (int32_t i = 0; i < nv; i++) {
    Vex3_quarn p, n;
    float uv[2];
    r.Read(&p);
    r.Read(&n);
    r.ReadArray(uv, 2);
    if (!Finite(p) || !Finite(n) || !std::isfinite(uv[0]) || !std::isfinite(uv[1]))
      return Bad(err, fileName, "vertex data is not a finite number", mesh);
    mesh.positions[i] = p * scale;
    mesh.normals[i] = n;
    mesh.texCoords[2 * size_t(i)] = uv[0];
    mesh.texCoords[2 * size_t(i) + 1] = uv[1];
  }
  if (!r.Read(&ng) || !r.Read(&nt)) return Bad(err, fileName, "file ends before the group counts", mesh);
  if (ng < 0 || nt < 0) return Bad(err, fileName, "negative count", mesh);
  if (uint64_t(r.Left()) != 16 * uint64_t(ng) + 12 * uint64_t(nt))
    return Bad(err, fileName, "file size does not match its counts", mesh);
  mesh.vertexCount = nv;
  mesh.groupCount = ng;
  mesh.groupTriCount.Allocate(ng);
  mesh.groupMaterial.Allocate(ng);
  mesh.groupColor.Allocate(ng);
  mesh.groupTriangles.Allocate(ng);
  int64_t sum = 0;
  for (int32_t g = 0; g < ng; g++) {
    int32_t n = 0;
    Vex3_quarn color;
    r.Read(&n);
    r.Read(&color);
    if (n < 0 || (sum += n) > nt) return Bad(err, fileName, "group counts do not add up to the triangle count", mesh);
    if (!Finite(color)) return Bad(err, fileName, "group colour is not a finite number", mesh);
    std::vector<uint32_t>& list = mesh.groupTriangles[g];
    list.resize(3 * size_t(n));
    r.ReadArray(list.data(), list.size());
    for (uint32_t v : list)
      if (v >= uint32_t(nv)) return Bad(err, fileName, "vertex number out of range", mesh);
    mesh.groupTriCount[g] = n;
    mesh.groupColor[g] = color;
  }
  if (sum != nt) return Bad(err, fileName, "group counts do not add up to the triangle count", mesh);
  mesh.triangleCount = nt;
  return 1;
}

int ReadObjectList(ObjLoader& mesh, const std::string& directory, float scale, std::ostream& err) {
  std::string path = layout::CacheFile(layout::ObjectListIndex(directory));
  std::vector<char> bytes;
  FileRead got = ReadFileBytes(path, &bytes);
  if (got == FileRead::kCannotOpen) return -1;
  if (got == FileRead::kReadError) return Bad(err, path, "cannot read file", mesh);
  return ReadObjectListCache(bytes.data(), bytes.size(), path, mesh, scale, err);
}

std::vector<char> EncodeObjectListCache(const ObjLoader& mesh) {
  ByteWriter w;
  const size_t nv = mesh.positions.size();
  w.Put(int32_t(nv));
  for (size_t i = 0; i < nv; i++) {
    w.Put(mesh.positions[i]);
    w.Put(mesh.normals.size() == nv ? mesh.normals[i] : Vex3_quarn());
    float uv[2] = {0, 0};
    if (mesh.texCoords.size() == 2 * nv) uv[0] = mesh.texCoords[2 * i], uv[1] = mesh.texCoords[2 * i + 1];
    w.PutArray(uv, 2);
  }
  int32_t total = 0;
  std::vector<int32_t> live(size_t(mesh.GroupsHeld()));
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    live[g] = std::max(0, std::min<int32_t>(mesh.groupTriCount[g], int32_t(mesh.groupTriangles[g].size() / 3)));
    total += live[g];
  }
  w.Put(mesh.GroupsHeld());
  w.Put(total);
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    w.Put(live[g]);
    w.Put(size_t(g) < mesh.groupColor.size() ? mesh.groupColor[g] : Vex3_quarn());
    w.PutArray(mesh.groupTriangles[g].data(), 3 * size_t(live[g]));
  }
  return w.Bytes();
}

namespace {
bool Fail(std::ostream& err, ObjLoader& mesh, const std::string& file, const char* what) {
  err << "ERROR: " << file << ": " << what << std::endl;
  mesh.Release();
  return false;
}

// The accumulated objects as one mesh, positions scaled by 100.
bool Assemble(ObjectAccumulator& acc, ObjLoader& mesh, const std::string& listPath, std::ostream& err) {
  int64_t total = 0;
  for (int32_t n : acc.groupCounts) total += n;
  if (acc.positions.size() > size_t(INT32_MAX) || acc.groupCounts.size() > size_t(INT32_MAX) ||
      total > INT32_MAX)
    return Fail(err, mesh, listPath, "too many vertices or triangles");
  mesh.vertexCount = int32_t(acc.positions.size());
  mesh.positions = std::move(acc.positions);
  for (Vex3_quarn& p : mesh.positions) p *= 100.0f;
  acc.normals.resize(mesh.positions.size());
  acc.texCoords.resize(2 * mesh.positions.size());
  mesh.normals.Assign(std::move(acc.normals));
  mesh.texCoords.Assign(std::move(acc.texCoords));
  mesh.groupCount = int32_t(acc.groupCounts.size());
  mesh.groupTriCount.Assign(std::move(acc.groupCounts));
  mesh.groupTriangles.Assign(std::move(acc.groupLists));
  mesh.groupColor.Assign(std::move(acc.groupColors));
  mesh.groupMaterial.Allocate(mesh.groupCount);
  mesh.triangleCount = int32_t(total);
  return true;
}
}  // namespace

bool BuildObjectList(ObjLoader& mesh, const std::string& directory, std::ostream& out, std::ostream& err) {
  mesh.Release();
  std::string listPath = layout::ObjectListIndex(directory);
  std::vector<char> bytes;
  if (ReadFileBytes(listPath, &bytes) != FileRead::kOk) return Fail(err, mesh, listPath, "cannot open file");
  LineSplitter lines(bytes.data(), bytes.size());
  const char *b, *e;
  int64_t count = 0;
  if (!lines.Next(&b, &e) || size_t(e - b) > kMaxNameLine || !Scan(b, e).Int(&count))
    return Fail(err, mesh, listPath, "first line is not \"<n> files exported\"");
  if (count < 0 || count > INT32_MAX) return Fail(err, mesh, listPath, "object count out of range");
  const int32_t n = int32_t(count);
  out << n << " objects to be loaded" << std::endl;

  ObjectAccumulator acc;
  for (int32_t i = 0; i < n; i++) {
    if (!lines.Next(&b, &e)) return Fail(err, mesh, listPath, "list ends before its last object");
    if (size_t(e - b) > kMaxNameLine) return Fail(err, mesh, listPath, "line longer than 4095 characters");
    std::string name(b, TrimmedLength(b, e));
    if (!ReadObject(directory, name, &acc, err)) {
      mesh.Release();
      return false;
    }
    out << i << "/" << n << " loaded" << std::endl;
  }
  if (!Assemble(acc, mesh, listPath, err)) return false;
  DetectCleanup(mesh, out);
  std::string cachePath = layout::CacheFile(layout::ObjectListIndex(directory));
  std::vector<char> cache = EncodeObjectListCache(mesh);
  if (!WriteFileAtomically(cachePath, cache.data(), cache.size()))
    err << "ERROR: cannot write file: " << cachePath << std::endl;
  return true;
}
