// In-memory meshes of the sample working directory, in world units (the
// units the workbench holds after loading). Faces are kept as written:
// quads stay quads so the state files show both face kinds, and a face
// list's order is the order of the triangle ids the loaders assign.
#pragma once

#include <cstdint>
#include <string>
#include <deque>
#include <functional>
#include <unordered_map>
#include <vector>

#include "Vex3.h"

struct GenFace {
  int32_t v[4];  // vertex numbers; v[3] < 0 for a triangle
  bool IsQuad() const { return v[3] >= 0; }
  int TriangleCount() const { return IsQuad() ? 2 : 1; }
};

struct GenGroup {
  std::string kind;   // state files: "solid", "shell", "beams" or "cubes"
  int material = 0;   // the number of "usemtl <kind>%d_mat"
  std::string name;   // object lists: the material name
  Vex3_quarn color;   // object lists: the "Color:" line
  std::vector<GenFace> faces;
  // Per face, the first file number in which the face no longer exists
  // (a large number for faces that live on). Faces must be sorted so that
  // the ones dying first come last: a state holds a prefix of each group.
  std::vector<int> deathFrame;
  int TriangleCount() const;
};

class GenMesh {
 public:
  std::vector<Vex3_quarn> positions;
  std::vector<Vex3_quarn> normals;  // per vertex, object lists only
  std::vector<float> uv;            // 2 per vertex, object lists only
  std::deque<GenGroup> groups;  // a deque keeps references to groups valid

  // With dedupe on, a vertex at a position already present is reused, so no
  // two vertices share a position (the welding cleanup then changes nothing).
  explicit GenMesh(bool dedupe = false) : dedupe_(dedupe) {}

  int AddVertex(const Vex3_quarn& p);
  int AddVertex(const Vex3_quarn& p, const Vex3_quarn& n, float u, float v);
  GenGroup& AddGroup(const std::string& kind, int material);
  GenGroup& AddNamedGroup(const std::string& name, const Vex3_quarn& color);
  void Tri(GenGroup& g, int a, int b, int c, int death = kNever);
  void Quad(GenGroup& g, int a, int b, int c, int d, int death = kNever);

  int TriangleCount() const;
  // Triangles as the loaders number them: groups in order, faces in order,
  // a quad (a, b, c, d) giving (a, b, c) and (c, d, a).
  std::vector<uint32_t> TriangleList() const;
  // Per triangle id, its group.
  std::vector<int32_t> TriangleGroups() const;
  // Live triangles per group at a file number.
  std::vector<int32_t> LiveCounts(int frame) const;
  // Sorts each group's faces so that faces dying earlier come later.
  void SortByDeath();
  // Object lists: per-vertex normals averaged from the faces around each
  // vertex, and texture coordinates from a planar map of axes ua, va scaled
  // by 1 / size.
  void ComputeAttributes(int ua, int va, float size);

  static constexpr int kNever = 1 << 30;

 private:
  bool dedupe_;
  struct Key {
    float x, y, z;
    bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  std::unordered_map<Key, int, KeyHash> seen_;
};

// Small helpers used by the scene builders.
float Hash01(uint32_t i);  // deterministic value in [0, 1)
// A grid of cols x rows quads over (cols + 1) x (rows + 1) vertices added
// row by row at at(i, j) (called once per vertex, in that order); quad
// (i, j) is wound (i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1).
void AddGrid(GenMesh& m, GenGroup& g, int cols, int rows,
             const std::function<Vex3_quarn(int, int)>& at, int death = GenMesh::kNever);
// Box with corners lo, hi; each face split n x n into quads.
void AddBox(GenMesh& m, GenGroup& g, const Vex3_quarn& lo, const Vex3_quarn& hi, int n = 1,
            int death = GenMesh::kNever);
