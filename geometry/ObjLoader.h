// The triangle mesh: one instance per state of an animated scene. The first
// state owns the triangle lists and identifier tables (the topology source);
// later states borrow them and own only positions, live counts, normals and
// colours. Triangles live in groups (one per material); a state's group
// holds the first groupTriCount[g] triangles of the source's list.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "AABB.h"
#include "GLProject.h"
#include "SceneNumbers.h"
#include "SharedArray.h"
#include "Vex3.h"

// Group entry of an identifier that a cache file does not name (the byte
// fill 255 of the table, read as an int32).
constexpr int32_t kAbsentGroup = -1;

// Groups a state file or state cache may hold.
constexpr int32_t kMaxStateGroups = 6000;

class ObjLoader {
 public:
  ObjLoader* topologySource = nullptr;
  int32_t colorScheme = 0;  // 0: by material number, 1: index colours
  uint8_t shadingMode = shading::kLitVertexColours;  // a shading::Mode
  int32_t stateIndex = 0;
  Vex3_quarn lightDir;      // normalised (-1, -2, 4)
  int32_t triangleCount = 0;  // live triangles, the sum of groupTriCount
  std::string cacheName;
  int32_t vertexCount = 0;
  std::vector<Vex3_quarn> positions;
  // groupTriCount and groupMaterial hold exactly groupCount entries;
  // groupTriangles and the triangleId rows at least that many (a later
  // state may share the lists of a source with more groups).
  int32_t groupCount = 0;
  SharedArray<int32_t> groupTriCount;
  SharedArray<int32_t> groupMaterial;
  SharedArray<float> texCoords;                       // 2 per vertex
  SharedArray<std::vector<uint32_t>> groupTriangles;  // 3 vertex numbers per triangle
  SharedArray<Vex3_quarn> groupColor;
  SharedArray<Vex3_quarn> normals;  // per id (state meshes) or per vertex (object lists)
  SharedArray<Vex3_quarn> vertexColors;
  SharedArray<Vex3_quarn> triangleColors;        // per id, built on first use
  SharedArray<std::vector<int32_t>> triangleId;  // id of triangle k of group g
  SharedArray<int32_t> groupOfTriangle;          // per id; kAbsentGroup when absent
  SharedArray<int32_t> indexInGroup;             // per id
  SharedArray<int32_t> baseHeights;              // raw bits of each vertex's y

  ObjLoader();
  virtual ~ObjLoader() = default;
  ObjLoader(const ObjLoader&) = delete;
  ObjLoader& operator=(const ObjLoader&) = delete;

  // Cache "%s.rdd" first, else the text file, then writes the cache. Ids,
  // and in shading mode 0 normals and vertex colours, are complete after.
  // A cache that does not fit this configuration (shading mode, with or
  // without source) or is corrupt is reported and the text read instead;
  // so is one older than its text or whose vertex and group counts are not
  // the text's (one line: "INFO: <cache> ...; rebuilding it").
  // False (with one message naming the file, and no cache written) when
  // the text is missing or bad, holds no vertex, or, without a source,
  // yields no triangle; the mesh is then empty and consistent. Messages go
  // to `err`.
  virtual bool Load(const std::string& path, ObjLoader* source, std::ostream& err = std::cerr);
  // positions = (1 - t) A + t B; B's live counts (in this mesh's own
  // array), B's lists and topology source.
  virtual void Interpolate(const ObjLoader& A, const ObjLoader& B, double t);

  // Frees every array and zeroes the counts; keeps colorScheme,
  // shadingMode, stateIndex and lightDir.
  void Release();
  // With a source: shares its id tables. Without: numbers the live
  // triangles of the groups in order from 0.
  void AssignIds(ObjLoader* source);
  // A later state takes the source's triangle lists and id tables and keeps
  // its own live counts (cut to the source's lists, with a warning). False,
  // with one message naming `fileName`, when it has more groups than the
  // source or its live triangles name vertices it does not have.
  bool UseSourceTopology(ObjLoader& source, const std::string& fileName, std::ostream& err = std::cerr);
  // Triangles of group g that a later state of this mesh may hold: those
  // of its list that have ids.
  int32_t SourceRows(int32_t g) const;
  void InterpolatePositions(const ObjLoader& A, const ObjLoader& B, double t);
  void CopyState(const ObjLoader& other);
  // A fresh state of `source`; with views given, every vertex is projected
  // with `from` and unprojected with `to`, so `to` sees this state as
  // `from` sees the source.
  void ShareTopology(ObjLoader& source, const GLMatrices* from = nullptr,
                     const GLMatrices* to = nullptr);

  // Number of identifiers of the topology (the source's triangle count).
  int32_t IdCount() const;
  // Groups whose counts and lists are both there: groupCount for every
  // mesh the readers make, fewer only for a mesh assembled by hand.
  int32_t GroupsHeld() const {
    size_t n = std::min({size_t(std::max(groupCount, 0)), groupTriCount.size(), groupTriangles.size()});
    return int32_t(n);
  }
  bool HasIdTables() const { return !groupOfTriangle.empty(); }
  // Id of triangle k of group g: from the table, or k without tables; -1
  // when the table has no such entry.
  int32_t IdOf(int32_t g, int32_t k) const;
  // Group and index of a live triangle.
  bool Locate(int32_t id, int32_t* g, int32_t* k) const;
  bool Exists(int32_t id) const;
  // The three vertex numbers of triangle k of group g (no checks).
  const uint32_t* Triangle(int32_t g, int32_t k) const { return groupTriangles[g].data() + 3 * size_t(k); }
  bool TriangleVertices(int32_t id, uint32_t idx[3]) const;
  bool TrianglePositions(int32_t id, Vex3_quarn p[3]) const;
  bool TrianglePositionsSorted(int32_t id, Vex3_quarn p[3]) const;  // ascending vertex number
  bool TriangleIndicesSorted(int32_t id, uint32_t idx[3]) const;
  AABB TriangleBox(int32_t id) const;
  AABB Box() const;
  Vex3_quarn Centroid() const;

  // Per group, the triangles whose id has a non-zero mask entry; the caller
  // owns the result.
  void VisibleSubset(const int32_t* mask, std::vector<std::vector<uint32_t>>* lists,
                     std::vector<int32_t>* counts) const;
  void RandomGroupColors();
  void BaseHeights();
  // marks[id] = -1 for triangles facing away from the eye.
  void FacingMarks(const Vex3_quarn& eye, int32_t* marks) const;

  void ComputeNormals();
  void ComputeVertexColors();
  Vex3_quarn ColorAtPoint(float a, float b, int32_t id) const;
  void BuildTriangleColors();
  Vex3_quarn MaterialColor(int32_t material) const;
  Vex3_quarn IndexColor(int32_t a) const;
};
