// Window projection and unprojection on captured GL arrays (column-major
// 4 x 4 model-view and projection, viewport x, y, w, h), computed the way
// GLU's gluProject and gluUnProject compute them, so no GL context is needed.
#pragma once

#include "Vex3.h"

struct GLMatrices {
  double modelView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  double projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  int viewport[4] = {0, 0, 1, 1};
};

// gluProject: false when the clip w is zero (outputs untouched).
bool ProjectPoint(double ox, double oy, double oz, const double modelView[16],
                  const double projection[16], const int viewport[4], double* wx, double* wy,
                  double* wz);
// gluUnProject: false when the combined matrix is singular or w is zero.
bool UnProjectPoint(double wx, double wy, double wz, const double modelView[16],
                    const double projection[16], const int viewport[4], double* ox, double* oy,
                    double* oz);

// r = a * b in GLU's row/column convention (__gluMultMatricesd).
void MultiplyMatrices4(const double a[16], const double b[16], double r[16]);
// Cofactor inverse; false when the determinant is zero.
bool InvertMatrix4(const double m[16], double inv[16]);

// Precomputed form for projecting many points with one set of arrays; gives
// the same results as the functions above.
class Projector {
 public:
  Projector() = default;
  Projector(const double modelView[16], const double projection[16], const int viewport[4]);
  explicit Projector(const GLMatrices& m) : Projector(m.modelView, m.projection, m.viewport) {}

  bool Project(double ox, double oy, double oz, double* wx, double* wy, double* wz) const;
  bool Project(const Vex3_quarn& p, double* wx, double* wy, double* wz) const {
    return Project(p.x, p.y, p.z, wx, wy, wz);
  }
  bool UnProject(double wx, double wy, double wz, double* ox, double* oy, double* oz) const;
  // Clip-space x, y and w of a world point. They are linear in the point,
  // so a point moving on a line moves linearly in them.
  void ClipXYW(double ox, double oy, double oz, double clip[3]) const;
  // Window x and y of clip-space x, y, w (w != 0).
  void WindowOfClip(const double clip[3], double* wx, double* wy) const {
    *wx = (clip[0] / clip[2] * 0.5 + 0.5) * vp_[2] + vp_[0];
    *wy = (clip[1] / clip[2] * 0.5 + 0.5) * vp_[3] + vp_[1];
  }
  // Clip-space w of a world point: positive in front of a perspective
  // camera's eye, zero or negative at or behind it.
  double ClipW(double ox, double oy, double oz) const;
  // Clip-space z + w of a world point: positive in front of the near
  // plane, negative behind it (and behind the eye).
  double NearSide(double ox, double oy, double oz) const;
  // The point every window ray passes through: the eye of the model-view
  // matrix. It differs from the camera's own float eye by the rounding of
  // the matrix (about 3e-4 for an eye 10,000 from the origin, enough to
  // move a ray off the projected vertices), so rays start here; `fallback`
  // when the matrix cannot be inverted.
  Vex3_quarnd RayOrigin(const Vex3_quarnd& fallback) const;
  bool Invertible() const { return invertible_; }

 private:
  double mv_[16] = {};
  double pr_[16] = {};
  double inv_[16] = {};
  int vp_[4] = {0, 0, 1, 1};
  bool invertible_ = false;
};
