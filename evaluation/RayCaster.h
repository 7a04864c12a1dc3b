// Brute-force nearest-hit ray casting in double precision: the reference
// the visibility methods are checked against. It shares no code with them:
// triangles are intersected one by one (Moeller-Trumbore), at one moment
// at a time, and the nearest hit along each ray wins.
//
// Rays are its own, taken from the camera record alone as an ideal
// pinhole in double: the ray of window position (x, y) (pixel units, rows
// from the bottom, as the sample locations are placed; a pixel centre is
// (column + 0.5, row + 0.5)) leaves the eye along corner + x a + (h - y) b,
// since the record counts rows from the top. Near and far planes do not
// clip hits.
//
// A hit that rounding could decide either way is flagged as a tie: the ray
// passes within `kTieBand` (a barycentric fraction) of an edge of the
// nearest triangle or of a nearer triangle it just misses, or a second
// triangle lies at the same distance. Callers count ties instead of
// judging them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "Vex3.h"

class ObjLoader;
class PPC;

struct RayHit {
  int32_t id = -1;  // nearest triangle, -1 for none
  double distance = 0;
  bool tie = false;
};

class RayCaster {
 public:
  static constexpr double kTieBand = 1e-7;

  explicit RayCaster(const PPC& camera);

  // A triangle moving linearly from positions a (time 0) to b (time 1).
  void AddTriangle(int32_t id, const Vex3_quarn a[3], const Vex3_quarn b[3]);
  // Every live triangle of `first`, under its identifier, moving to the
  // positions of the same vertices in `second` (null: standing still).
  void AddMesh(const ObjLoader& first, const ObjLoader* second);
  int32_t TriangleCount() const { return int32_t(ids_.size()); }
  int32_t MaxId() const { return ids_.empty() ? -1 : *std::max_element(ids_.begin(), ids_.end()); }

  // Sorts the triangles into screen tiles by where they are at time t; the
  // casts that follow must ask for that moment.
  void BinAt(double t);
  // Sorts them by the screen regions they sweep over each of `spans` equal
  // parts of [0, 1], for casts at any moment.
  void BinSpans(int spans);
  // Unit direction of the ray at window position (x, y).
  Vex3_quarnd WindowRay(double x, double y) const;
  // Window position of a direction from the ray origin; false when it
  // points at or behind the eye's plane.
  bool WindowOf(const Vex3_quarnd& direction, double* x, double* y) const;
  // Nearest hit along the ray from the ray origin at time t.
  RayHit Cast(const Vex3_quarnd& direction, double t) const;

  // Rays start at the camera's eye; a check that must cast exactly a
  // method's rays moves their origin to that of the method (before binning).
  void SetRayOrigin(const Vex3_quarnd& origin) { eye_ = origin; }

  const Vex3_quarnd& eye() const { return eye_; }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  // Triangles sorted into square screen tiles for the moments [t0, t1].
  struct Bins {
    double t0 = 0, t1 = 0;
    int tile = 8, tilesX = 0, tilesY = 0;  // tile side in pixels, tile counts
    std::vector<uint32_t> tileStart, tileList;  // triangles per tile (compressed rows)
    std::vector<float> box;  // window box of each triangle, a pixel wider
    // Triangles reaching behind the eye plane, which every ray tries; those
    // reaching off screen, which the rays outside the image try too.
    std::vector<uint32_t> behind, offscreen;
  };
  void Positions(uint32_t triangle, double t, Vex3_quarnd p[3]) const;
  void Bin(double t0, double t1, Bins* bins) const;

  Vex3_quarnd eye_, a_, b_, c_;  // camera basis: eye, column step, row step, corner
  double inv_[9] = {};           // inverse of the basis matrix [a b c]
  int w_ = 0, h_ = 0;

  std::vector<int32_t> ids_;
  std::vector<Vex3_quarn> start_, end_;  // three per triangle
  std::vector<Bins> bins_;               // in time order, covering the moments cast at
};

// Progress of a cast over a view: rays cast so far and rays in all.
using CastProgress = std::function<void(int64_t done, int64_t total)>;

// Triangles nearest along `perSide` x `perSide` evenly spread rays in every
// pixel of the caster's view (one per pixel: the pixel centres; sample
// (i, j) of pixel (col, row) at window position (col + (i + 0.5) / perSide,
// row + (j + 0.5) / perSide)) at each of the times, as a flag per
// identifier (size: the largest id + 1). Ties are counted in `ties` (one
// per ray and time) and their nearest triangles flagged too.
//
// The rays are made as they are cast, band of rows by band of rows, so
// memory does not grow with `perSide`. Work is spread over `threads`
// threads; the result does not depend on their number. `progress`, when
// given, is called on the calling thread as bands finish, last with done ==
// total.
std::vector<uint8_t> VisibleAtPixelSamples(RayCaster& caster, int perSide,
                                           const std::vector<double>& times, int threads,
                                           int64_t* ties = nullptr,
                                           const CastProgress& progress = nullptr);
