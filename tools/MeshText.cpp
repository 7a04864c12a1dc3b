#include "MeshText.h"

#include <cstdio>
#include <iostream>

namespace {
FILE* OpenOrReport(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) std::cerr << "ERROR: cannot write " << path << std::endl;
  return f;
}
}  // namespace

bool WriteStateObj(const std::string& path, const GenMesh& mesh,
                   const std::vector<Vex3_quarn>& positions, int frame) {
  FILE* f = OpenOrReport(path);
  if (!f) return false;
  std::fprintf(f, "# sample state, frame %d\n", frame);
  for (const Vex3_quarn& p : positions) std::fprintf(f, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
  for (const GenGroup& g : mesh.groups) {
    std::fprintf(f, "g %s\nusemtl %s%d_mat\n", g.kind.c_str(), g.kind.c_str(), g.material);
    // Faces are sorted by death, so the live ones form a prefix.
    for (size_t i = 0; i < g.faces.size() && g.deathFrame[i] > frame; i++) {
      const GenFace& q = g.faces[i];
      if (q.IsQuad())
        std::fprintf(f, "f %d %d %d %d\n", q.v[0] + 1, q.v[1] + 1, q.v[2] + 1, q.v[3] + 1);
      else
        std::fprintf(f, "t %d %d %d\n", q.v[0] + 1, q.v[1] + 1, q.v[2] + 1);
    }
  }
  return std::fclose(f) == 0;
}

bool WriteObjectList(const std::string& dir, const GenMesh& mesh,
                     const std::vector<GenObject>& objects, float scale) {
  FILE* index = OpenOrReport(dir + "index.txt");
  if (!index) return false;
  std::fprintf(index, "%d files exported\n", int(objects.size()));
  bool ok = true;
  for (const GenObject& o : objects) {
    std::fprintf(index, "%s\n", o.name.c_str());
    FILE* mtl = OpenOrReport(dir + o.name + ".mtl");
    FILE* obj = OpenOrReport(dir + o.name + ".obj");
    if (!mtl || !obj) {
      if (mtl) std::fclose(mtl);
      if (obj) std::fclose(obj);
      ok = false;
      continue;
    }
    std::fprintf(obj, "# object %s\nmtllib %s.mtl\n", o.name.c_str(), o.name.c_str());
    for (int v = o.firstVertex; v < o.firstVertex + o.vertexCount; v++) {
      const Vex3_quarn p = mesh.positions[v] / scale;
      const Vex3_quarn& n = mesh.normals[v];
      std::fprintf(obj, "v %.9g %.9g %.9g\nvn %.6f %.6f %.6f\nvt %.6f %.6f\n", p.x, p.y, p.z,
                   n.x, n.y, n.z, mesh.uv[2 * v], mesh.uv[2 * v + 1]);
    }
    for (int gi = o.firstGroup; gi < o.firstGroup + o.groupCount; gi++) {
      const GenGroup& g = mesh.groups[gi];
      std::fprintf(mtl, "newmtl %s\nColor: %.6f %.6f %.6f\n", g.name.c_str(), g.color.x,
                   g.color.y, g.color.z);
      std::fprintf(obj, "usemtl %s\n", g.name.c_str());
      const int base = o.firstVertex - 1;  // local numbers count from 1
      for (const GenFace& q : g.faces) {
        std::fprintf(obj, "f %d %d %d\n", q.v[0] - base, q.v[1] - base, q.v[2] - base);
        if (q.IsQuad())
          std::fprintf(obj, "f %d %d %d\n", q.v[2] - base, q.v[3] - base, q.v[0] - base);
      }
    }
    ok = (std::fclose(obj) == 0) && ok;
    ok = (std::fclose(mtl) == 0) && ok;
  }
  return (std::fclose(index) == 0) && ok;
}

bool WritePointObj(const std::string& path, const std::vector<Vex3_quarn>& points, float scale) {
  FILE* f = OpenOrReport(path);
  if (!f) return false;
  std::fprintf(f, "# sample point state\n");
  for (const Vex3_quarn& p : points)
    std::fprintf(f, "v %.9g %.9g %.9g\n", p.x / scale, p.y / scale, p.z / scale);
  return std::fclose(f) == 0;
}
