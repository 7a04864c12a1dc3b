#include "CellSubdivision.h"

#include <algorithm>

#include "FileBytes.h"
#include "FlaggedBinary.h"
#include "Format.h"
#include "ObjLoader.h"

std::vector<CellResult> SubdivideIntoCells(const ObjLoader& source,
                                           const std::vector<CellImagePoint>& image,
                                           const CellGrid& grid, const std::string& directory,
                                           std::ostream& out, std::ostream& err) {
  const size_t nv = source.positions.size();
  // Per vertex: bit 0 in the cell, bit 1 used by a kept triangle; then its
  // number in the cell file. Reused by every cell.
  std::vector<int32_t> work(nv);
  // Keep flag per triangle, in group order (the ids' order for a source
  // that numbers its triangles).
  auto live = [&](int32_t g) {
    return std::max(0, std::min<int32_t>(source.groupTriCount[g],
                                         int32_t(source.groupTriangles[g].size() / 3)));
  };
  size_t total = 0;
  for (int32_t g = 0; g < source.GroupsHeld(); g++) total += size_t(live(g));
  std::vector<uint8_t> keep(total);
  std::vector<Vex3_quarn> positions;
  std::vector<uint32_t> triangles;
  std::vector<int32_t> groups;
  std::vector<CellResult> results;
  for (int c = 0; c < 3; c++) {
    for (int r = 0; r < 3; r++) {
      out << "Begin processing Cell[" << r << "," << c << "]" << std::endl;
      std::fill(work.begin(), work.end(), 0);
      std::fill(keep.begin(), keep.end(), 0);
      const int32_t h0 = grid.h[c] - 1, h1 = grid.h[c + 1] + 1;
      const int32_t v0 = grid.v[r] - 1, v1 = grid.v[r + 1] + 1;
      out << h0 << "," << h1 << "\n" << v0 << "," << v1 << std::endl;
      for (size_t i = 0; i < nv && i < image.size(); i++) {
        const CellImagePoint& p = image[i];
        if (p.valid && p.u >= h0 && p.u <= h1 && p.v >= v0 && p.v <= v1) work[i] |= 1;
      }
      CellResult result;
      result.row = r;
      result.column = c;
      size_t index = 0;
      for (int32_t g = 0; g < source.GroupsHeld(); g++) {
        for (int32_t k = 0; k < live(g); k++, index++) {
          const uint32_t* t = source.Triangle(g, k);
          if (t[0] >= nv || t[1] >= nv || t[2] >= nv) continue;
          if (!((work[t[0]] | work[t[1]] | work[t[2]]) & 1)) continue;
          keep[index] = 1;
          for (int i = 0; i < 3; i++) work[t[i]] |= 2;
          result.triangles++;
        }
      }
      positions.clear();
      for (size_t i = 0; i < nv; i++) {
        if (work[i] != 0) {
          work[i] = int32_t(positions.size());
          positions.push_back(source.positions[i]);
        } else {
          work[i] = -1;
        }
      }
      result.vertices = int32_t(positions.size());
      out << "INFO: [T]" << result.triangles << " and [V]" << result.vertices << " are splitted"
          << std::endl;
      triangles.clear();
      groups.clear();
      index = 0;
      for (int32_t g = 0; g < source.GroupsHeld(); g++) {
        for (int32_t k = 0; k < live(g); k++, index++) {
          if (!keep[index]) continue;
          const uint32_t* t = source.Triangle(g, k);
          groups.push_back(g);
          for (int i = 0; i < 3; i++) triangles.push_back(uint32_t(work[t[i]]));
        }
      }
      const std::string meshPath = Format("%sRTI_%d_%d.bin", directory.c_str(), r, c);
      const std::string mapPath =
          Format("%sRTI_triangleCorrespondency_%d_%d.bin", directory.c_str(), r, c);
      ByteWriter map;
      map.Put(int32_t(groups.size()));
      map.PutArray(groups.data(), groups.size());
      const bool meshOk = WriteFlaggedBinary(meshPath, positions, triangles);
      if (!meshOk) err << "ERROR: cannot write file: " << meshPath << std::endl;
      const bool mapOk = WriteFileAtomically(mapPath, map.Bytes().data(), map.Bytes().size());
      if (!mapOk) err << "ERROR: cannot write file: " << mapPath << std::endl;
      result.written = meshOk && mapOk;
      results.push_back(result);
    }
  }
  return results;
}
