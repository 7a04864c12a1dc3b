// Mesh core: loading (cache first, else text then the cache), identifier
// tables, access by id, interpolation between states and topology sharing.
#include "ObjLoader.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "CacheFreshness.h"
#include "FileBytes.h"
#include "Format.h"
#include "StateCache.h"
#include "StateReader.h"
#include "WorkLayout.h"

ObjLoader::ObjLoader() : lightDir(Vex3_quarn(-1, -2, 4).Normalized()) {}

void ObjLoader::Release() {
  topologySource = nullptr;
  triangleCount = 0;
  vertexCount = 0;
  groupCount = 0;
  positions.clear();
  positions.shrink_to_fit();
  groupTriCount.Reset();
  groupMaterial.Reset();
  texCoords.Reset();
  groupTriangles.Reset();
  groupColor.Reset();
  normals.Reset();
  vertexColors.Reset();
  triangleColors.Reset();
  triangleId.Reset();
  groupOfTriangle.Reset();
  indexInGroup.Reset();
  baseHeights.Reset();
}

namespace {
// Why a cache read whole no longer stands for the text at `path` (empty
// when it does): its vertex and group counts are not the text's.
std::string CountsDisagree(const ObjLoader& cached, const std::string& path) {
  TextLineCounts text;
  if (!CountTextLines(path, &text)) return "";  // a cache without its text stands alone
  if (text.vertexLines == cached.vertexCount && text.groupLines == cached.groupCount) return "";
  return ": " + std::to_string(cached.vertexCount) + " vertices in " + std::to_string(cached.groupCount) +
         " groups, " + path + " has " + std::to_string(text.vertexLines) + " in " +
         std::to_string(text.groupLines);
}

// A state nothing could be seen of: no vertex, or, as a topology source,
// no triangle.
bool Empty(const ObjLoader& mesh, const ObjLoader* source) {
  return mesh.vertexCount == 0 || (!source && mesh.triangleCount == 0);
}
}  // namespace

bool ObjLoader::Load(const std::string& path, ObjLoader* source, std::ostream& err) {
  if (source == this) source = nullptr;
  Release();
  cacheName = layout::CacheFile(path);

  {
    FileSource bytes;
    FileRead cache = bytes.Open(cacheName);
    if (cache == FileRead::kOk) {
      // A cache older than its text is not even read.
      std::string stale = SourceIsNewer(path, cacheName) ? " is older than " + path : "";
      if (stale.empty() && ReadStateCache(bytes, cacheName, *this, source, err)) {
        stale = CountsDisagree(*this, path);
        if (stale.empty() && Empty(*this, source)) stale = ": an empty state";
        if (stale.empty()) {
          if (shadingMode == shading::kLitVertexColours) ComputeVertexColors();
          return true;
        }
        Release();
      }
      // A corrupt cache was named by the reader; the text rebuilds it.
      if (!stale.empty()) err << "INFO: " << cacheName << stale << "; rebuilding it" << std::endl;
    } else if (cache == FileRead::kReadError) {
      err << "ERROR: cannot read file: " << cacheName << std::endl;
    }
  }

  StateTextNotes notes;
  if (!ReadStateFile(*this, path, err, &notes)) return false;
  // Refused, and no cache written for it.
  if (Empty(*this, source)) {
    err << "ERROR: " << path << ": no triangle to load: " << WhyNoTriangle(*this, notes) << std::endl;
    Release();
    return false;
  }
  if (source) {
    if (!UseSourceTopology(*source, path, err)) return false;
  } else {
    AssignIds(nullptr);
  }
  err << "TID added.\n";
  err.flush();
  if (shadingMode == shading::kLitVertexColours) ComputeNormals();
  if (!WriteStateCache(*this, cacheName)) err << "ERROR: cannot write file: " << cacheName << std::endl;
  if (shadingMode == shading::kLitVertexColours) ComputeVertexColors();
  return true;
}

void ObjLoader::AssignIds(ObjLoader* source) {
  if (source == this) source = nullptr;
  if (source) {
    topologySource = source;
    triangleId = source->triangleId;
    groupOfTriangle = source->groupOfTriangle;
    indexInGroup = source->indexInGroup;
    return;
  }
  int64_t total = 0;
  const int32_t held = GroupsHeld();
  std::vector<int32_t> live(size_t(std::max(groupCount, 0)), 0);
  for (int32_t g = 0; g < held; g++) {
    // A count larger than the list would give ids to triangles that are
    // not there.
    int64_t n = std::min<int64_t>(groupTriCount[g], groupTriangles[g].size() / 3);
    live[g] = int32_t(std::max<int64_t>(n, 0));
    total += live[g];
  }
  groupOfTriangle.Allocate(total, kAbsentGroup);
  indexInGroup.Allocate(total, 0);
  triangleId.Allocate(groupCount);
  int32_t next = 0;
  for (int32_t g = 0; g < held; g++) {
    std::vector<int32_t>& row = triangleId[g];
    row.resize(size_t(live[g]));
    for (int32_t k = 0; k < live[g]; k++, next++) {
      row[k] = next;
      groupOfTriangle[next] = g;
      indexInGroup[next] = k;
    }
  }
}

bool ObjLoader::UseSourceTopology(ObjLoader& source, const std::string& fileName, std::ostream& err) {
  if (groupCount > source.groupCount) {
    err << "ERROR: " << fileName << ": groups do not match the topology source" << std::endl;
    Release();
    return false;
  }
  bool cut = false;
  triangleCount = 0;
  groupTriCount.MakeUnique();
  for (int32_t g = 0; g < GroupsHeld(); g++) {
    int32_t rows = source.SourceRows(g);
    if (groupTriCount[g] > rows) {
      groupTriCount[g] = rows;
      cut = true;
    }
    if (groupTriCount[g] <= 0) continue;
    // Live triangles of the shared lists must name vertices of this state.
    const uint32_t* tri = source.groupTriangles[g].data();
    for (size_t i = 0, n = 3 * size_t(groupTriCount[g]); i < n; i++) {
      if (tri[i] >= uint32_t(vertexCount)) {
        err << "ERROR: " << fileName << ": triangles of the topology source name vertex " << tri[i] + 1
            << " of " << vertexCount << std::endl;
        Release();
        return false;
      }
    }
    triangleCount += groupTriCount[g];
  }
  if (cut)
    err << "WARNING: " << fileName << ": more triangles than the topology source; counts cut" << std::endl;
  groupTriangles = source.groupTriangles;
  AssignIds(&source);
  return true;
}

int32_t ObjLoader::SourceRows(int32_t g) const {
  if (g < 0 || size_t(g) >= groupTriangles.size()) return 0;
  size_t rows = groupTriangles[g].size() / 3;
  if (HasIdTables()) rows = std::min(rows, size_t(g) < triangleId.size() ? triangleId[g].size() : 0);
  return int32_t(std::min<size_t>(rows, INT32_MAX));
}

int32_t ObjLoader::IdCount() const {
  return HasIdTables() ? int32_t(groupOfTriangle.size()) : triangleCount;
}

int32_t ObjLoader::IdOf(int32_t g, int32_t k) const {
  if (!HasIdTables()) return k;
  if (g < 0 || size_t(g) >= triangleId.size() || k < 0 || size_t(k) >= triangleId[g].size()) return -1;
  return triangleId[g][k];
}

bool ObjLoader::Locate(int32_t id, int32_t* g, int32_t* k) const {
  if (id < 0) return false;
  int32_t group = 0, index = id;
  if (HasIdTables()) {
    if (size_t(id) >= groupOfTriangle.size()) return false;
    group = groupOfTriangle[id];
    index = indexInGroup[id];
  }
  // Mesh without tables: the id indexes the first group.
  if (group < 0 || group >= GroupsHeld()) return false;
  if (index < 0 || index >= groupTriCount[group]) return false;
  if (size_t(index) >= groupTriangles[group].size() / 3) return false;
  *g = group;
  *k = index;
  return true;
}

bool ObjLoader::Exists(int32_t id) const {
  int32_t g, k;
  return Locate(id, &g, &k);
}

bool ObjLoader::TriangleVertices(int32_t id, uint32_t idx[3]) const {
  int32_t g, k;
  if (!Locate(id, &g, &k)) return false;
  const uint32_t* t = Triangle(g, k);
  for (int i = 0; i < 3; i++) {
    if (t[i] >= positions.size()) return false;
    idx[i] = t[i];
  }
  return true;
}

bool ObjLoader::TrianglePositions(int32_t id, Vex3_quarn p[3]) const {
  uint32_t idx[3];
  if (!TriangleVertices(id, idx)) return false;
  for (int i = 0; i < 3; i++) p[i] = positions[idx[i]];
  return true;
}

bool ObjLoader::TriangleIndicesSorted(int32_t id, uint32_t idx[3]) const {
  if (!TriangleVertices(id, idx)) return false;
  std::sort(idx, idx + 3);
  return true;
}

bool ObjLoader::TrianglePositionsSorted(int32_t id, Vex3_quarn p[3]) const {
  uint32_t idx[3];
  if (!TriangleIndicesSorted(id, idx)) return false;
  for (int i = 0; i < 3; i++) p[i] = positions[idx[i]];
  return true;
}

AABB ObjLoader::TriangleBox(int32_t id) const {
  AABB box;
  Vex3_quarn p[3];
  if (TrianglePositions(id, p))
    for (const Vex3_quarn& v : p) box.Extend(v);
  return box;
}

AABB ObjLoader::Box() const {
  AABB box;
  for (const Vex3_quarn& v : positions) box.Extend(v);
  return box;
}

Vex3_quarn ObjLoader::Centroid() const {
  Vex3_quarn sum(0, 0, 0);
  if (positions.empty()) return sum;
  for (const Vex3_quarn& v : positions) sum += v;
  return sum / float(positions.size());
}

namespace {
// Positions of A and B blended with float weights; vertices beyond the
// shorter state come from B, whose triangles the result uses.
void Blend(const ObjLoader& A, const ObjLoader& B, double t, std::vector<Vex3_quarn>* out) {
  const float wa = float(1.0 - t), wb = float(t);
  size_t n = B.positions.size(), common = std::min(n, A.positions.size());
  out->resize(n);
  Vex3_quarn* o = out->data();
  const Vex3_quarn* a = A.positions.data();
  const Vex3_quarn* b = B.positions.data();
  for (size_t i = 0; i < common; i++) o[i] = a[i] * wa + b[i] * wb;
  for (size_t i = common; i < n; i++) o[i] = b[i];
}

// The lists and tables of `from`, so that the copied live counts always
// index lists that hold them.
void ShareLists(ObjLoader& to, const ObjLoader& from) {
  if (&to == &from) return;
  ObjLoader* owner = from.topologySource ? from.topologySource : const_cast<ObjLoader*>(&from);
  to.topologySource = owner == &to ? nullptr : owner;
  to.groupCount = from.groupCount;
  to.groupTriangles = from.groupTriangles;
  to.groupMaterial = from.groupMaterial;
  to.triangleId = from.triangleId;
  to.groupOfTriangle = from.groupOfTriangle;
  to.indexInGroup = from.indexInGroup;
}

// Copies live counts into this mesh's own array, never through into a
// mesh that shares it.
void CopyCounts(ObjLoader& to, const ObjLoader& from) {
  to.groupTriCount.MakeUnique();
  if (to.groupTriCount.size() != from.groupTriCount.size()) to.groupTriCount.Allocate(from.groupTriCount.size());
  if (!from.groupTriCount.empty())
    std::copy(from.groupTriCount.vec().begin(), from.groupTriCount.vec().end(), to.groupTriCount.vec().begin());
  to.triangleCount = from.triangleCount;
}
}  // namespace

void ObjLoader::Interpolate(const ObjLoader& A, const ObjLoader& B, double t) {
  Blend(A, B, t, &positions);
  vertexCount = int32_t(positions.size());
  ShareLists(*this, B);
  CopyCounts(*this, B);
}

void ObjLoader::InterpolatePositions(const ObjLoader& A, const ObjLoader& B, double t) {
  Blend(A, B, t, &positions);
  vertexCount = int32_t(positions.size());
}

void ObjLoader::CopyState(const ObjLoader& other) {
  if (&other == this) return;
  positions = other.positions;
  vertexCount = other.vertexCount;
  ShareLists(*this, other);
  CopyCounts(*this, other);
}

void ObjLoader::ShareTopology(ObjLoader& source, const GLMatrices* from, const GLMatrices* to) {
  if (&source == this) return;
  topologySource = &source;
  vertexCount = source.vertexCount;
  positions = source.positions;
  groupCount = source.groupCount;
  triangleCount = source.triangleCount;
  groupTriCount = source.groupTriCount;  // the same array: counts follow the source
  groupTriangles = source.groupTriangles;
  groupMaterial = source.groupMaterial;
  triangleId = source.triangleId;
  groupOfTriangle = source.groupOfTriangle;
  indexInGroup = source.indexInGroup;
  shadingMode = source.shadingMode;
  if (shadingMode == shading::kObjectList) {
    texCoords = source.texCoords;
    normals = source.normals;
    groupColor = source.groupColor;
  }
  if (!from || !to) return;
  // Seen through `to`, the moved vertices cover the pixels and window
  // depths that the source's cover through `from`.
  Projector project(*from), unproject(*to);
  for (Vex3_quarn& v : positions) {
    double wx, wy, wz, ox, oy, oz;
    if (!project.Project(v, &wx, &wy, &wz)) continue;
    if (!unproject.UnProject(wx, wy, wz, &ox, &oy, &oz)) continue;
    v = Vex3_quarn(float(ox), float(oy), float(oz));
  }
}

void ObjLoader::VisibleSubset(const int32_t* mask, std::vector<std::vector<uint32_t>>* lists,
                              std::vector<int32_t>* counts) const {
  lists->assign(size_t(std::max(groupCount, 0)), {});
  counts->assign(size_t(std::max(groupCount, 0)), 0);
  for (int32_t g = 0; g < GroupsHeld(); g++) {
    int32_t n = std::min<int32_t>(groupTriCount[g], int32_t(groupTriangles[g].size() / 3));
    std::vector<uint32_t>& list = (*lists)[g];
    for (int32_t k = 0; k < n; k++) {
      int32_t id = IdOf(g, k);
      if (id < 0 || (mask && !mask[id])) continue;
      const uint32_t* t = Triangle(g, k);
      list.insert(list.end(), t, t + 3);
    }
    (*counts)[g] = int32_t(list.size() / 3);
  }
}

void ObjLoader::RandomGroupColors() {
  if (groupColor.empty()) return;
  for (size_t g = 0; g < groupColor.size(); g++) {
    Vex3_quarn& c = groupColor[g];
    c.x = float(std::rand() % 129) / 256.0f + 0.5f;
    c.y = float(std::rand() % 129) / 256.0f + 0.5f;
    c.z = float(std::rand() % 129) / 256.0f + 0.5f;
  }
}

void ObjLoader::BaseHeights() {
  if (topologySource && topologySource != this) {
    baseHeights = topologySource->baseHeights;
    return;
  }
  baseHeights.Allocate(int64_t(positions.size()));
  for (size_t i = 0; i < positions.size(); i++) std::memcpy(&baseHeights[i], &positions[i].y, 4);
}

void ObjLoader::FacingMarks(const Vex3_quarn& eye, int32_t* marks) const {
  for (int32_t id = 0, n = IdCount(); id < n; id++) {
    Vex3_quarn p[3];
    if (!TrianglePositions(id, p)) continue;
    Vex3_quarn normal = (p[1] - p[0]).Cross(p[2] - p[1]);
    Vex3_quarn centroid = (p[0] + p[1] + p[2]) / 3.0f;
    if (normal.Dot(centroid - eye) < 0) marks[id] = -1;
  }
}
