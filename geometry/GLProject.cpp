#include "GLProject.h"

namespace {

// out = matrix * in, column-major (__gluMultMatrixVecd).
inline void MultMatrixVec(const double m[16], const double in[4], double out[4]) {
  for (int i = 0; i < 4; i++)
    out[i] = in[0] * m[0 * 4 + i] + in[1] * m[1 * 4 + i] + in[2] * m[2 * 4 + i] +
             in[3] * m[3 * 4 + i];
}

inline bool ProjectWith(const double mv[16], const double pr[16], const int vp[4], double ox,
                        double oy, double oz, double* wx, double* wy, double* wz) {
  double in[4] = {ox, oy, oz, 1.0}, out[4];
  MultMatrixVec(mv, in, out);
  MultMatrixVec(pr, out, in);
  if (in[3] == 0.0) return false;
  in[0] /= in[3];
  in[1] /= in[3];
  in[2] /= in[3];
  in[0] = in[0] * 0.5 + 0.5;
  in[1] = in[1] * 0.5 + 0.5;
  in[2] = in[2] * 0.5 + 0.5;
  *wx = in[0] * vp[2] + vp[0];
  *wy = in[1] * vp[3] + vp[1];
  *wz = in[2];
  return true;
}

inline bool UnProjectWith(const double inv[16], const int vp[4], double wx, double wy, double wz,
                          double* ox, double* oy, double* oz) {
  double in[4] = {wx, wy, wz, 1.0}, out[4];
  in[0] = (in[0] - vp[0]) / vp[2];
  in[1] = (in[1] - vp[1]) / vp[3];
  in[0] = in[0] * 2 - 1;
  in[1] = in[1] * 2 - 1;
  in[2] = in[2] * 2 - 1;
  MultMatrixVec(inv, in, out);
  if (out[3] == 0.0) return false;
  *ox = out[0] / out[3];
  *oy = out[1] / out[3];
  *oz = out[2] / out[3];
  return true;
}

}  // namespace

void MultiplyMatrices4(const double a[16], const double b[16], double r[16]) {
  double t[16];
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 4; j++)
      t[i * 4 + j] = a[i * 4 + 0] * b[0 * 4 + j] + a[i * 4 + 1] * b[1 * 4 + j] +
                     a[i * 4 + 2] * b[2 * 4 + j] + a[i * 4 + 3] * b[3 * 4 + j];
  for (int i = 0; i < 16; i++) r[i] = t[i];
}

bool InvertMatrix4(const double m[16], double invOut[16]) {
  double inv[16];
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
           m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
           m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
           m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
            m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
           m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
           m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
           m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
            m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] +
           m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
           m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
            m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
            m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
           m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] +
           m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] -
            m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] +
            m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  if (det == 0) return false;
  det = 1.0 / det;
  for (int i = 0; i < 16; i++) invOut[i] = inv[i] * det;
  return true;
}

bool ProjectPoint(double ox, double oy, double oz, const double modelView[16],
                  const double projection[16], const int viewport[4], double* wx, double* wy,
                  double* wz) {
  return ProjectWith(modelView, projection, viewport, ox, oy, oz, wx, wy, wz);
}

bool UnProjectPoint(double wx, double wy, double wz, const double modelView[16],
                    const double projection[16], const int viewport[4], double* ox, double* oy,
                    double* oz) {
  double final[16];
  MultiplyMatrices4(modelView, projection, final);
  if (!InvertMatrix4(final, final)) return false;
  return UnProjectWith(final, viewport, wx, wy, wz, ox, oy, oz);
}

Projector::Projector(const double modelView[16], const double projection[16],
                     const int viewport[4]) {
  for (int i = 0; i < 16; i++) {
    mv_[i] = modelView[i];
    pr_[i] = projection[i];
  }
  for (int i = 0; i < 4; i++) vp_[i] = viewport[i];
  double final[16];
  MultiplyMatrices4(mv_, pr_, final);
  invertible_ = InvertMatrix4(final, inv_);
}

bool Projector::Project(double ox, double oy, double oz, double* wx, double* wy,
                        double* wz) const {
  return ProjectWith(mv_, pr_, vp_, ox, oy, oz, wx, wy, wz);
}

bool Projector::UnProject(double wx, double wy, double wz, double* ox, double* oy,
                          double* oz) const {
  if (!invertible_) return false;
  return UnProjectWith(inv_, vp_, wx, wy, wz, ox, oy, oz);
}

void Projector::ClipXYW(double ox, double oy, double oz, double clip[3]) const {
  double in[4] = {ox, oy, oz, 1.0}, eye[4], c[4];
  MultMatrixVec(mv_, in, eye);
  MultMatrixVec(pr_, eye, c);
  clip[0] = c[0];
  clip[1] = c[1];
  clip[2] = c[3];
}

double Projector::ClipW(double ox, double oy, double oz) const {
  double in[4] = {ox, oy, oz, 1.0}, eye[4];
  MultMatrixVec(mv_, in, eye);
  return eye[0] * pr_[3] + eye[1] * pr_[7] + eye[2] * pr_[11] + eye[3] * pr_[15];
}

double Projector::NearSide(double ox, double oy, double oz) const {
  double in[4] = {ox, oy, oz, 1.0}, eye[4];
  MultMatrixVec(mv_, in, eye);
  double z = 0, w = 0;
  for (int k = 0; k < 4; k++) {
    z += eye[k] * pr_[2 + 4 * k];
    w += eye[k] * pr_[3 + 4 * k];
  }
  return z + w;
}

Vex3_quarnd Projector::RayOrigin(const Vex3_quarnd& fallback) const {
  double inv[16];
  if (!InvertMatrix4(mv_, inv) || inv[15] == 0) return fallback;
  return Vex3_quarnd(inv[12] / inv[15], inv[13] / inv[15], inv[14] / inv[15]);
}
