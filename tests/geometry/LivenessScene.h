// A small animated scene built in memory: two groups, ten vertices, five
// triangles (ids 0-2 in group 0, 3-4 in group 1), and states that share
// its topology with their own live counts and moved positions.
#pragma once

#include <memory>
#include <vector>

#include "ObjLoader.h"

inline std::unique_ptr<ObjLoader> MakeBaseMesh() {
  auto m = std::make_unique<ObjLoader>();
  m->vertexCount = 10;
  for (int i = 0; i < 10; i++) m->positions.push_back(Vex3_quarn(float(i), float(i * i), 1.0f));
  m->groupCount = 2;
  m->groupTriangles.Assign({{0, 1, 2, 7, 3, 9, 2, 5, 4}, {6, 7, 8, 9, 8, 1}});
  m->groupTriCount.Assign({3, 2});
  m->groupMaterial.Assign({1, 2});
  m->triangleCount = 5;
  m->AssignIds(nullptr);
  return m;
}

// A state of `base` with the given live counts, every vertex moved by
// `shift` along x.
inline std::unique_ptr<ObjLoader> MakeState(ObjLoader& base, std::vector<int32_t> counts,
                                            float shift) {
  auto s = std::make_unique<ObjLoader>();
  s->ShareTopology(base);
  s->groupTriCount.Assign(counts);
  s->triangleCount = 0;
  for (int32_t c : counts) s->triangleCount += c;
  for (Vex3_quarn& p : s->positions) p.x += shift;
  return s;
}
