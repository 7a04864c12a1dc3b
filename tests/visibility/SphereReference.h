// The sphere forms' reference, sharing nothing with them: rays of the ideal
// pinhole of the camera record (the ray caster's), the near plane at zNear
// along the record's view direction, and the distance along a ray taken
// from the chord the ray cuts through the sphere, not from the forms'
// quadratic. Cases that rounding could decide either way are flagged as
// ties for the checks to count.
#pragma once

#include <algorithm>
#include <cmath>

#include "PPC.h"
#include "RayCaster.h"

struct SphereHit {
  bool hit = false;
  double distance = INFINITY;  // of the hit; of the touching point for a tie that misses
  bool tie = false;            // grazing the outline, or a surface on the near plane
};

class SphereReference {
 public:
  // A relative band within which grazing and the near plane count as ties.
  static constexpr double kTieBand = 1e-9;

  explicit SphereReference(const PPC& cam)
      : rays_(cam),
        view_(Vex3_quarnd(cam.a).Cross(Vex3_quarnd(cam.b)).Normalized()),
        zNear_(cam.zNear) {}

  const Vex3_quarnd& eye() const { return rays_.eye(); }
  // Unit ray at window position (x, y), rows from the bottom.
  Vex3_quarnd Ray(double x, double y) const { return rays_.WindowRay(x, y); }
  // Distance along the unit ray d from the eye to the near plane.
  double NearAlong(const Vex3_quarnd& d) const { return zNear_ / d.Dot(view_); }

  // The first point of the sphere along the unit ray d from `origin` at or
  // beyond `near`: the entry point when it lies beyond the near distance,
  // the exit point when the near distance falls inside the sphere.
  static SphereHit Distance(const Vex3_quarnd& origin, const Vex3_quarnd& d, double near,
                            const Vex3_quarnd& centre, double r) {
    const Vex3_quarnd oc = centre - origin;
    const double along = oc.Dot(d);
    const double off = oc.Cross(d).Dot(oc.Cross(d));  // squared distance of the centre from the line
    const double rr = r * r;
    SphereHit h;
    // Grazing: r^2 - off within rounding of the squares it comes from.
    if (std::fabs(rr - off) <= kTieBand * std::max(rr, oc.Dot(oc))) h.tie = true;
    if (off >= rr) {
      if (h.tie && along > near) h.distance = along;
      return h;
    }
    const double half = std::sqrt(rr - off);
    const double entry = along - half, exit = along + half;
    const double band = kTieBand * std::max(1.0, std::fabs(near));
    if (std::fabs(entry - near) <= band || std::fabs(exit - near) <= band) h.tie = true;
    if (near < entry) {
      h.hit = true;
      h.distance = entry;
    } else if (near <= exit) {
      h.hit = true;
      h.distance = exit;
    } else if (h.tie) {
      h.distance = exit;
    }
    return h;
  }

 private:
  RayCaster rays_;
  Vex3_quarnd view_;
  double zNear_;
};
