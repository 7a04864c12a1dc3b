// Meshes built in memory for the raster and visibility tests: one group
// per call of AddGroup, ids assigned in order.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ObjLoader.h"

inline void BuildMesh(ObjLoader& mesh,
                      const std::vector<std::vector<std::array<Vex3_quarn, 3>>>& groups) {
  mesh.Release();
  std::vector<std::vector<uint32_t>> lists;
  std::vector<int32_t> counts, materials;
  for (const auto& g : groups) {
    std::vector<uint32_t> list;
    for (const auto& t : g)
      for (const Vex3_quarn& v : t) {
        list.push_back(uint32_t(mesh.positions.size()));
        mesh.positions.push_back(v);
      }
    lists.push_back(list);
    counts.push_back(int32_t(g.size()));
    materials.push_back(1);
    mesh.triangleCount += int32_t(g.size());
  }
  mesh.vertexCount = int32_t(mesh.positions.size());
  mesh.groupCount = int32_t(groups.size());
  mesh.groupTriangles.Assign(lists);
  mesh.groupTriCount.Assign(counts);
  mesh.groupMaterial.Assign(materials);
  mesh.AssignIds(nullptr);
}

// Deterministic pseudo-random numbers in [0, 1).
struct TestRandom {
  uint32_t s;
  explicit TestRandom(uint32_t seed) : s(seed) {}
  float operator()() {
    s = s * 1664525u + 1013904223u;
    return float(s >> 8) / 16777216.0f;
  }
};
