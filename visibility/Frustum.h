// The view frustum of a captured camera: six inward planes from the clip
// matrix (projection x model-view) and the world box of its eight corners.
// Every visibility run culls its triangles against it first.
#pragma once

#include <cstdint>
#include <iostream>
#include <vector>

#include "AABB.h"
#include "GLProject.h"

class ObjLoader;

struct Frustum {
  // Left, right, bottom, top, near, far; a x + b y + c z + d > 0 inside,
  // (a, b, c) of unit length.
  double planes[6][4] = {};
  AABB box;

  static Frustum FromMatrices(const GLMatrices& view);
  // False when the box lies wholly outside one plane (touching counts as
  // outside) or misses the frustum's box.
  bool MayContain(const AABB& b) const { return b.InFrustumAndRegion(planes, box); }
};

// Sets liveFlags[id] = 0 for every flagged triangle whose box (over state
// a and, when given, state b) the frustum cannot contain; prints
// "Culled out: " and the number culled. Returns that number.
// liveFlags holds at least a.IdCount() entries.
int32_t CullTriangles(const Frustum& frustum, const ObjLoader& a, const ObjLoader* b,
                      int32_t* liveFlags, std::ostream& out = std::cout);
// The same over the ids the vector holds.
int32_t CullTriangles(const Frustum& frustum, const ObjLoader& a, const ObjLoader* b,
                      std::vector<int32_t>& liveFlags, std::ostream& out = std::cout);
