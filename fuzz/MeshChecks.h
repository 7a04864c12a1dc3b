// Consistency checks the fuzz targets apply to every mesh a reader
// accepts: whatever the bytes, an accepted mesh must be safe to index.
#pragma once

#include <cstdlib>

#include "ObjLoader.h"

inline void CheckMesh(const ObjLoader& m) {
  if (m.vertexCount != int32_t(m.positions.size())) std::abort();
  // A later state may share the lists of a source with more groups.
  if (m.groupCount < 0 || m.groupTriCount.size() != size_t(m.groupCount) ||
      m.groupTriangles.size() < size_t(m.groupCount) || m.groupMaterial.size() != size_t(m.groupCount))
    std::abort();
  if (m.HasIdTables() && m.triangleId.size() < size_t(m.groupCount)) std::abort();
  int64_t total = 0;
  for (int32_t g = 0; g < m.groupCount; g++) {
    int32_t n = m.groupTriCount[g];
    if (n < 0 || m.groupTriangles[g].size() < 3 * size_t(n)) std::abort();
    for (size_t i = 0; i < 3 * size_t(n); i++)
      if (m.groupTriangles[g][i] >= uint32_t(m.vertexCount)) std::abort();
    total += n;
  }
  if (total != m.triangleCount) std::abort();
  for (int32_t id = 0; id < m.IdCount(); id++) {
    uint32_t idx[3];
    if (m.Exists(id) != m.TriangleVertices(id, idx)) std::abort();
    if (m.HasIdTables() && m.Exists(id) &&
        m.triangleId[m.groupOfTriangle[id]][m.indexInGroup[id]] != id)
      std::abort();
  }
}
