#include "CompareReference.h"

#include <algorithm>
#include <ostream>

#include "FlaggedBinary.h"
#include "ObjLoader.h"

void CompareWithReference(const ObjLoader& mesh, const std::string& referencePath, std::ostream& out,
                          std::ostream& err) {
  ObjLoader reference;
  ReadFlaggedBinary(reference, referencePath, out, err);
  out << (reference.triangleCount == mesh.triangleCount ? "T number match!" : "T number does not match")
      << std::endl;
  const int32_t refCount = reference.groupCount > 0 ? reference.groupTriCount[0] : 0;
  int32_t j = 0;
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    int32_t n = std::min<int32_t>(mesh.groupTriCount[g], int32_t(mesh.groupTriangles[g].size() / 3));
    for (int32_t k = 0; k < n; k++, j++) {
      // Triangles beyond the reference's have nothing to match.
      bool same = j < refCount;
      const uint32_t* a = mesh.Triangle(g, k);
      const uint32_t* b = same ? reference.Triangle(0, j) : nullptr;
      for (int c = 0; c < 3 && same; c++) {
        if (a[c] >= mesh.positions.size()) {
          same = false;
          break;
        }
        const Vex3_quarn& p = mesh.positions[a[c]];
        const Vex3_quarn& q = reference.positions[b[c]];
        same = p.x == q.x && p.y == q.y && p.z == q.z;
      }
      if (!same) out << "Triangle #" << j << " does not match" << std::endl;
    }
  }
}
