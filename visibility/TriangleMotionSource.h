// Where the runs get a triangle's motion over their span: its vertex
// positions (ascending vertex number) at the span's two ends. The interval
// code sees only this interface, not the Scene.
#pragma once

#include <cstdint>
#include <vector>

#include "CoverageIntervals.h"
#include "TimelineInsert.h"

class ObjLoader;

class MotionSource {
 public:
  virtual ~MotionSource() = default;
  // False when the triangle has no vertices in the source.
  virtual bool Motion(int32_t triangle, TriangleMotion* motion) const = 0;
};

// Linear motion between two meshes of one topology (a run's two working
// meshes, or a scene's two states). The vertex numbers come from the first
// mesh, or from the second when the triangle is not alive in the first.
class MeshMotion : public MotionSource {
 public:
  MeshMotion(const ObjLoader& a, const ObjLoader& b) : a_(a), b_(b) {}
  bool Motion(int32_t triangle, TriangleMotion* motion) const override;

 private:
  const ObjLoader& a_;
  const ObjLoader& b_;
};

// Every triangle of every group's whole list, live counts ignored, as one
// plain list: triangle k is the k-th in group order.
class WholeListMotion : public MotionSource {
 public:
  WholeListMotion(const ObjLoader& a, const ObjLoader& b);
  bool Motion(int32_t triangle, TriangleMotion* motion) const override;
  int32_t Count() const { return int32_t(groupStart_.empty() ? 0 : groupStart_.back()); }

 private:
  const ObjLoader& a_;
  const ObjLoader& b_;
  std::vector<int64_t> groupStart_;  // running triangle index of each group, then the total
};

// A plain triangle list (three vertex numbers per triangle) over two
// position arrays: generated scenes, tests and benchmarks.
class ArrayMotion : public MotionSource {
 public:
  ArrayMotion(const std::vector<Vex3_quarn>& a, const std::vector<Vex3_quarn>& b,
              const std::vector<uint32_t>& triangles)
      : a_(a), b_(b), triangles_(triangles) {}
  bool Motion(int32_t triangle, TriangleMotion* motion) const override;

 private:
  const std::vector<Vex3_quarn>& a_;
  const std::vector<Vex3_quarn>& b_;
  const std::vector<uint32_t>& triangles_;
};

// Depth order of two triangles along a sample ray at a time, from their
// motions: the distance to each plane (no inside test; both cover the ray
// during an overlap). A triangle without a distance (ray parallel to its
// plane, plane behind the eye, triangle absent) loses to one that has one;
// when neither has one the existing interval stays.
class MotionDepthComparator : public DepthComparator {
 public:
  MotionDepthComparator(const MotionSource& motion, const Vex3_quarnd& eye)
      : motion_(motion), eye_(eye) {}
  // The triangle being inserted, already prepared, so its distance needs no
  // lookup.
  void SetCurrent(uint32_t triangle, const MovingTriangle* prepared) {
    current_ = triangle;
    prepared_ = prepared;
  }
  bool Distance(uint32_t triangle, const Vex3_quarnd& ray, double t, double* d) const;
  bool ExistingNearer(const double ray[3], uint32_t newTriangle, uint32_t existingTriangle,
                      double t) const override;
  OverlapOrder Order(const double ray[3], uint32_t newTriangle, uint32_t existingTriangle,
                     double lo, double hi) const override;

 private:
  // The plane of a triangle, prepared once: one sample's timeline compares
  // the same few triangles over and over, and neighbouring samples the same
  // ones again. Null when the triangle has no motion.
  const MovingTriangle* Plane(uint32_t triangle) const;

  const MotionSource& motion_;
  Vex3_quarnd eye_;
  uint32_t current_ = 0xffffffffu;
  const MovingTriangle* prepared_ = nullptr;
  // Direct-mapped by triangle number; an instance belongs to one thread.
  struct CachedPlane {
    uint32_t triangle = 0xffffffffu;
    bool valid = false;
    MovingTriangle plane;
  };
  static constexpr uint32_t kCachedPlanes = 256;
  mutable std::vector<CachedPlane> cache_;
};
