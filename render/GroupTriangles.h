// Walk over a mesh's triangles in group order, the order in which the
// rasters draw (and so the order that decides depth ties).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ObjLoader.h"

// Calls fn(g, k, id, vertices) for each triangle of each group in order,
// and groupDone(g) after each group; ids come from the mesh's table, or
// are the index in the group.
template <typename Fn, typename GroupFn>
void ForEachGroupTriangle(const ObjLoader& mesh, Fn&& fn, GroupFn&& groupDone) {
  const size_t nv = mesh.positions.size();
  const int32_t groups = int32_t(
      std::min({size_t(std::max(mesh.groupCount, 0)), mesh.groupTriCount.size(),
                mesh.groupTriangles.size()}));
  for (int32_t g = 0; g < groups; g++) {
    const int32_t n = mesh.groupTriCount[g];
    const std::vector<uint32_t>& list = mesh.groupTriangles[g];
    for (int32_t k = 0; k < n && size_t(k) * 3 + 2 < list.size(); k++) {
      const int32_t id =
          mesh.triangleId && size_t(k) < mesh.triangleId[g].size() ? mesh.triangleId[g][k] : k;
      const uint32_t* idx = &list[size_t(k) * 3];
      if (idx[0] >= nv || idx[1] >= nv || idx[2] >= nv) continue;
      const Vex3_quarn v[3] = {mesh.positions[idx[0]], mesh.positions[idx[1]],
                               mesh.positions[idx[2]]};
      fn(g, k, id, v);
    }
    groupDone(g);
  }
}

