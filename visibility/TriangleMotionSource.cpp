#include "TriangleMotionSource.h"

#include <algorithm>

#include "DepthSwap.h"
#include "ObjLoader.h"

bool MeshMotion::Motion(int32_t triangle, TriangleMotion* m) const {
  uint32_t idx[3];
  if (!a_.TriangleIndicesSorted(triangle, idx) && !b_.TriangleIndicesSorted(triangle, idx))
    return false;
  for (int i = 0; i < 3; i++) {
    if (idx[i] >= a_.positions.size() || idx[i] >= b_.positions.size()) return false;
    m->a[i] = a_.positions[idx[i]];
    m->b[i] = b_.positions[idx[i]];
  }
  return true;
}

WholeListMotion::WholeListMotion(const ObjLoader& a, const ObjLoader& b) : a_(a), b_(b) {
  int64_t total = 0;
  for (int32_t g = 0; g < a.groupCount && size_t(g) < a.groupTriangles.size(); g++) {
    groupStart_.push_back(total);
    total += int64_t(a.groupTriangles[size_t(g)].size() / 3);
  }
  groupStart_.push_back(total);
}

bool WholeListMotion::Motion(int32_t triangle, TriangleMotion* m) const {
  if (triangle < 0 || triangle >= Count()) return false;
  size_t g = size_t(std::upper_bound(groupStart_.begin(), groupStart_.end(), triangle) -
                    groupStart_.begin()) - 1;
  const uint32_t* t = a_.Triangle(int32_t(g), int32_t(triangle - groupStart_[g]));
  uint32_t idx[3] = {t[0], t[1], t[2]};
  std::sort(idx, idx + 3);
  for (int i = 0; i < 3; i++) {
    if (idx[i] >= a_.positions.size() || idx[i] >= b_.positions.size()) return false;
    m->a[i] = a_.positions[idx[i]];
    m->b[i] = b_.positions[idx[i]];
  }
  return true;
}

bool ArrayMotion::Motion(int32_t triangle, TriangleMotion* m) const {
  if (triangle < 0 || size_t(triangle) * 3 + 2 >= triangles_.size()) return false;
  uint32_t idx[3] = {triangles_[size_t(triangle) * 3], triangles_[size_t(triangle) * 3 + 1],
                     triangles_[size_t(triangle) * 3 + 2]};
  std::sort(idx, idx + 3);
  for (int i = 0; i < 3; i++) {
    if (idx[i] >= a_.size() || idx[i] >= b_.size()) return false;
    m->a[i] = a_[idx[i]];
    m->b[i] = b_[idx[i]];
  }
  return true;
}

bool MotionDepthComparator::Distance(uint32_t triangle, const Vex3_quarnd& ray, double t,
                                     double* d) const {
  if (prepared_ && triangle == current_) return RayDistanceAt(*prepared_, ray, t, false, d);
  TriangleMotion m;
  if (!motion_.Motion(int32_t(triangle), &m)) return false;
  Vex3_quarnd v[3];
  PositionsAt(m, t, v);
  return RayDistanceAt(eye_, ray, v, false, d);
}

bool MotionDepthComparator::ExistingNearer(const double ray[3], uint32_t newTriangle,
                                           uint32_t existingTriangle, double t) const {
  Vex3_quarnd r(ray[0], ray[1], ray[2]);
  double dn = 0, dx = 0;
  if (!Distance(newTriangle, r, t, &dn)) return true;
  if (!Distance(existingTriangle, r, t, &dx)) return false;
  return dn - dx > 0;
}

const MovingTriangle* MotionDepthComparator::Plane(uint32_t triangle) const {
  if (prepared_ && triangle == current_) return prepared_;
  if (cache_.empty()) cache_.resize(kCachedPlanes);
  CachedPlane& c = cache_[triangle % kCachedPlanes];
  if (c.triangle != triangle) {
    c.triangle = triangle;
    TriangleMotion m;
    c.valid = motion_.Motion(int32_t(triangle), &m);
    if (c.valid) PrepareMovingPlane(m, eye_, &c.plane);
  }
  return c.valid ? &c.plane : nullptr;
}

OverlapOrder MotionDepthComparator::Order(const double ray[3], uint32_t newTriangle,
                                          uint32_t existingTriangle, double lo, double hi) const {
  // Two triangles of one cache slot: the second lookup would overwrite the
  // first's plane, so the first is copied out.
  MovingTriangle first;
  const MovingTriangle* tri[2] = {Plane(newTriangle), nullptr};
  if (tri[0] && tri[0] != prepared_ && newTriangle % kCachedPlanes == existingTriangle % kCachedPlanes) {
    first = *tri[0];
    tri[0] = &first;
  }
  tri[1] = Plane(existingTriangle);
  const Vex3_quarnd r(ray[0], ray[1], ray[2]);
  const double mid = 0.5 * (lo + hi);
  double dn = 0, dx = 0;
  if (!tri[0] || !RayDistanceAt(*tri[0], r, mid, false, &dn)) return {true, -1};
  if (!tri[1] || !RayDistanceAt(*tri[1], r, mid, false, &dx)) return {false, -1};
  return {dn - dx > 0, FirstDepthSwap(*tri[0], *tri[1], r, lo, hi)};
}
