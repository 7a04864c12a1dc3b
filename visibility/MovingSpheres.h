// The point scenes' visibility forms: every point is a sphere of one
// common radius whose centre moves linearly from frame to frame. The
// interval methods insert, per sample, the times a moving sphere covers the
// sample ray into the sample's list-form timeline; ASL places samples where
// a sphere's silhouette overlaps a pixel without covering one of its
// samples. Everything works on eye-relative doubles from the buffer's
// captured camera arrays.
#pragma once

#include <cstdint>
#include <iostream>
#include <vector>

#include "GLProject.h"
#include "SuperPixel.h"
#include "TimelineInsert.h"
#include "Vex3.h"

class SampleLocationBuffer;

constexpr double kSphereNoHit = 3.4028234663852886e38;  // the largest float
// A step whose centre moves less than this (squared) is a resting sphere.
constexpr double kRestingSquared = 1e-6;

// qa t^2 + qb t + qc = 0 multiplied by -1 when qa < 0, then solved: 0, 1
// (discriminant below 1e-10, or linear) or 2 roots, the smaller first.
int SolveQuadraticSorted(double qa, double qb, double qc, double roots[2]);

// Distance along the unit ray (origin `eye`, direction `dir`) to the
// sphere: the nearer root when it lies beyond `nearDistance`, the farther
// when the near distance lies between the two roots, otherwise no hit
// (kSphereNoHit).
double SphereRayDistance(const Vex3_quarnd& eye, const Vex3_quarnd& dir, double nearDistance,
                         const Vex3_quarnd& centre, double r);

// One sphere over the step from frame k to k + 1 (centres c0, c1) at one
// sample ray. Writes the covered intervals [k + u1, k + u2], rounded to
// 1e-6, into `slots` and returns their number (at most kSphereSlots).
// A resting sphere covers the whole step or nothing. A moving one covers
// the ray while its centre is within r of the ray's line and the sphere
// lies beyond the near distance: a sphere behind the eye or before the near
// plane covers nothing there, so the interval is cut where that changes.
constexpr int kSphereSlots = 3;
int SphereCoverage(const Vex3_quarnd& eye, const Vex3_quarnd& dir, double nearDistance,
                   const Vex3_quarnd& c0, const Vex3_quarnd& c1, double r, int k, uint32_t id,
                   CoverageInterval* slots);

// Window box of a sphere (centre p, radius r) or of a sphere moving from c0
// to c1, clipped to the window [0, width) x [0, height) as pixel columns
// and rows (ends included). The silhouette's outline is bounded by a
// polygon circumscribing it, so no pixel the sphere reaches falls outside.
// A sphere reaching the eye's plane covers the whole window. False when the
// box misses the window.
struct PixelBox {
  int32_t col0 = 0, row0 = 0, col1 = -1, row1 = -1;
};
bool SphereWindowBox(const Projector& proj, const Vex3_quarnd& eye, const Vex3_quarnd& p, double r,
                     int32_t width, int32_t height, PixelBox* box);
bool MovingSphereWindowBox(const Projector& proj, const Vex3_quarnd& eye, const Vex3_quarnd& c0,
                           const Vex3_quarnd& c1, double r, int32_t width, int32_t height,
                           PixelBox* box);

// The frames of one step as the timelines see them: sphere centres at
// frame k (`from`) and k + 1 (`to`), times in frame units.
struct SphereStep {
  const Vex3_quarn* from = nullptr;
  const Vex3_quarn* to = nullptr;
  int32_t count = 0;
  int k = 0;
  double radius = 0;
  Vex3_quarnd CentreAt(uint32_t id, double t) const;
};

// Overlaps of two spheres decided by their ray distances with the centres
// at the moment in question; the first moment inside an overlap at which
// the two change places cuts the new interval there. Set the sample's near
// distance before each sample's insertions.
class SphereDepthComparator : public DepthComparator {
 public:
  SphereDepthComparator(const SphereStep& step, const Vex3_quarnd& eye) : step_(step), eye_(eye) {}
  void SetNear(double nearDistance) { near_ = nearDistance; }
  double Distance(const double ray[3], uint32_t id, double t) const;
  bool ExistingNearer(const double ray[3], uint32_t newSphere, uint32_t existingSphere,
                      double t) const override;
  OverlapOrder Order(const double ray[3], uint32_t newSphere, uint32_t existingSphere, double lo,
                     double hi) const override;

 private:
  const SphereStep& step_;
  Vex3_quarnd eye_;
  double near_ = 0;
};

// List-form insertion of a sphere's interval: an interval of zero length is
// not inserted; otherwise as the triangle form (a finalised timeline is
// left as it is with its message).
void InsertSphereInterval(SuperPixel& timeline, const CoverageInterval& interval,
                          const SphereDepthComparator& depth, std::ostream& err = std::cerr);

// Real roots of the polynomial sum c[i] t^i (degree <= 4) inside (lo, hi),
// ascending. Each monotone piece between the roots of the derivative is
// bisected, so roots that touch zero without crossing may be missed; those
// change no order.
int PolynomialRootsIn(const double* c, int degree, double lo, double hi, double* roots);

// --- The interval run over one step.
struct SphereStepWork {
  int64_t sampleTests = 0;  // (sphere, sample) coverage evaluations
  int64_t intervals = 0;    // intervals produced
};
// Inserts the coverage of every flagged sphere (flags null: all) between
// the step's frames into the list timelines of the samples of its window
// box. The buffer's rays must be current. Progress "\r%d/%d nodes
// processed" every 10,000 spheres on `out`.
SphereStepWork InsertStepIntervals(SampleLocationBuffer& buffer, const SphereStep& step,
                                   const int32_t* flags, std::ostream& out, std::ostream& err);

// --- ASL's sphere form.
// Adds at most one sample per pixel of the sphere's box that its silhouette
// overlaps without covering one of the pixel's samples, at the mean of
// points of the overlap on the silhouette plane; the new samples' rays are
// computed at once. `cornerRays` holds (width + 1) x (height + 1) unit
// rays through the pixel corners (CornerRayGrid). Returns samples added.
int32_t PlaceSamplesForSphere(SampleLocationBuffer& buffer, const Projector& proj,
                              const Vex3_quarnd& eye, const std::vector<Vex3_quarnd>& cornerRays,
                              const Vex3_quarnd& centre, double r);
// Unit rays from the eye through every pixel corner (column i, row j at
// window depth 0.5), row-major over (width + 1) columns.
std::vector<Vex3_quarnd> CornerRayGrid(const Projector& proj, const Vex3_quarnd& eye,
                                       int32_t width, int32_t height);
// Nearest sphere at every sample of the box: the sample's depth holds the
// ray distance of the nearest so far (kSphereNoHit after ClearSphereDepths).
void ResolveSphereAtSamples(SampleLocationBuffer& buffer, const Projector& proj,
                            const Vex3_quarnd& eye, const Vex3_quarnd& centre, double r,
                            int32_t id);
void ClearSphereDepths(SampleLocationBuffer& buffer);
