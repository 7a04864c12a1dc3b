// Triangle normals, lit vertex colours, the colour at a point of a
// triangle, the flat colour cache, and the material and index colours.
#include <algorithm>
#include <cmath>

#include "ObjLoader.h"

namespace {
// Unit normal (p1 - p0) x (p2 - p0); zero for a collapsed triangle.
Vex3_quarn FaceNormal(const Vex3_quarn& p0, const Vex3_quarn& p1, const Vex3_quarn& p2) {
  Vex3_quarn n = (p1 - p0).Cross(p2 - p0).Normalized();
  if (std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) return n;
  // Coordinates near the float limit overflow the products; double holds
  // them, and the unit result fits a float again.
  const Vex3_quarnd a(p0), b(p1), c(p2);
  Vex3_quarn d((b - a).Cross(c - a).Normalized());
  if (std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z)) return d;
  return {0, 0, 0};
}
}  // namespace

void ObjLoader::ComputeNormals() {
  // Indexed by id; a later state sizes it by its source's identifiers.
  normals.Allocate(IdCount());
  const size_t nv = positions.size();
  for (int32_t g = 0; g < GroupsHeld(); g++) {
    int32_t n = std::min<int32_t>(groupTriCount[g], int32_t(groupTriangles[g].size() / 3));
    for (int32_t k = 0; k < n; k++) {
      int32_t id = IdOf(g, k);
      const uint32_t* t = Triangle(g, k);
      if (id < 0 || size_t(id) >= normals.size() || t[0] >= nv || t[1] >= nv || t[2] >= nv) continue;
      normals[id] = FaceNormal(positions[t[0]], positions[t[1]], positions[t[2]]);
    }
  }
}

void ObjLoader::ComputeVertexColors() {
  if (shadingMode != shading::kLitVertexColours) return;
  vertexColors.Allocate(int64_t(positions.size()));
  std::vector<int32_t> counter(positions.size(), 0);
  const size_t nv = positions.size();
  for (int32_t g = 0; g < GroupsHeld(); g++) {
    Vex3_quarn c = MaterialColor(groupMaterial.empty() ? 0 : groupMaterial[g]);
    int32_t n = std::min<int32_t>(groupTriCount[g], int32_t(groupTriangles[g].size() / 3));
    for (int32_t k = 0; k < n; k++) {
      int32_t id = IdOf(g, k);
      const uint32_t* t = Triangle(g, k);
      if (t[0] >= nv || t[1] >= nv || t[2] >= nv) continue;
      Vex3_quarn normal = id >= 0 && size_t(id) < normals.size() ? normals[id] : Vex3_quarn();
      float f = 0.4f + 0.6f * std::min(std::fabs(normal.Dot(lightDir)), 1.0f);
      Vex3_quarn lit = c * f;
      for (int i = 0; i < 3; i++) {
        vertexColors[t[i]] += lit;
        counter[t[i]]++;
      }
    }
  }
  for (size_t i = 0; i < nv; i++)
    if (counter[i] > 0) vertexColors[i] = vertexColors[i] / float(counter[i]);
}

Vex3_quarn ObjLoader::ColorAtPoint(float a, float b, int32_t id) const {
  const Vex3_quarn fail(kFloatMax, kFloatMax, kFloatMax);
  int32_t g, k;
  uint32_t idx[3];
  if (!Locate(id, &g, &k) || !TriangleVertices(id, idx)) return fail;
  if (shadingMode == shading::kLitVertexColours) {
    // Lit colours of this state, else of the source (same vertices).
    const SharedArray<Vex3_quarn>* colors = &vertexColors;
    if (colors->size() != positions.size() && topologySource) colors = &topologySource->vertexColors;
    if (colors->size() == positions.size()) {
      const SharedArray<Vex3_quarn>& c = *colors;
      return c[idx[1]] * a + c[idx[2]] * b + c[idx[0]] * (1 - a - b);
    }
  }
  Vex3_quarn n = FaceNormal(positions[idx[0]], positions[idx[1]], positions[idx[2]]);
  float f = 0.4f + 0.6f * std::fabs(n.Dot(lightDir));
  return MaterialColor(groupMaterial.empty() ? 0 : groupMaterial[g]) * f;
}

void ObjLoader::BuildTriangleColors() {
  if (topologySource && topologySource != this) {
    if (topologySource->triangleColors.empty()) topologySource->BuildTriangleColors();
    triangleColors = topologySource->triangleColors;
    return;
  }
  int32_t n = IdCount();
  triangleColors.Allocate(n);
  for (int32_t id = 0; id < n; id++) triangleColors[id] = ColorAtPoint(0.5f, 0.5f, id);
}

Vex3_quarn ObjLoader::MaterialColor(int32_t material) const {
  if (colorScheme == 1) return IndexColor(material);
  switch (material) {
    case 1: return {0.3f, 0.45f, 0.1f};
    case 2: return {0.6f, 0.6f, 0.6f};
    case 3:
    case 7:
    case 9: return {0.9f, 0.91f, 0.98f};
    case 4: return {0.8f, 0.5f, 0.2f};
    case 5: return {0.73f, 0.48f, 0.34f};
    case 6: return {0.1f, 0.1f, 0.1f};
    case 8: return {0.03f, 0.15f, 0.0f};
    case 10: return {0.66f, 0.68f, 0.71f};
    case 11: return {0.876f, 0.576f, 0.408f};
    case 12: return {0.3f, 0.3f, 0.3f};
    default: return {0.2f, 0.4f, 0.8f};
  }
}

Vex3_quarn ObjLoader::IndexColor(int32_t a) const {
  // Scale factors in double, rounded to float; values above 1 stay.
  if (a < 20) return Vex3_quarn(0.8f, 0.3f, 0.3f) * float(double(a) / 19.0 + 1.0);
  // An empty mesh has no groups to spread over; count it as one.
  double groups = groupCount > 0 ? double(groupCount) : 1.0;
  return Vex3_quarn(0.25882354f, 0.33333334f, 1.0f) * float(double(a) / groups * 2.0 + 0.5);
}
