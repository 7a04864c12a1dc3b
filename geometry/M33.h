// 3 x 3 row-major matrices in float (M33) and double (M33d).
#pragma once

#include <cstdio>
#include <cstring>

#include "Vex3.h"

// The float nearest below pi, as the camera rotations have always used it.
constexpr float kRotationPi = 3.1415925f;

template <typename T>
struct M33T {
  T m[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};

  T& operator()(int r, int c) { return m[r * 3 + c]; }
  T operator()(int r, int c) const { return m[r * 3 + c]; }

  static M33T Identity() {
    M33T r;
    r.m[0] = r.m[4] = r.m[8] = 1;
    return r;
  }
  // Matrix whose columns are the three vectors.
  static M33T FromColumns(const Vex3T<T>& c0, const Vex3T<T>& c1, const Vex3T<T>& c2) {
    M33T r;
    r.m[0] = c0.x; r.m[1] = c1.x; r.m[2] = c2.x;
    r.m[3] = c0.y; r.m[4] = c1.y; r.m[5] = c2.y;
    r.m[6] = c0.z; r.m[7] = c1.z; r.m[8] = c2.z;
    return r;
  }
  static M33T FromRows(const Vex3T<T>& r0, const Vex3T<T>& r1, const Vex3T<T>& r2) {
    M33T r;
    r.m[0] = r0.x; r.m[1] = r0.y; r.m[2] = r0.z;
    r.m[3] = r1.x; r.m[4] = r1.y; r.m[5] = r1.z;
    r.m[6] = r2.x; r.m[7] = r2.y; r.m[8] = r2.z;
    return r;
  }

  M33T operator*(const M33T& b) const {
    M33T out;
    for (int r = 0; r < 3; r++)
      for (int c = 0; c < 3; c++)
        out.m[r * 3 + c] = m[r * 3 + 0] * b.m[0 + c] + m[r * 3 + 1] * b.m[3 + c] +
                           m[r * 3 + 2] * b.m[6 + c];
    return out;
  }
  Vex3T<T> operator*(const Vex3T<T>& v) const {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
  }

  // Adjugate over determinant, row by row; each row is divided by the
  // determinant expanded along the matching column of the input. No check
  // for a singular matrix: callers pass camera bases.
  M33T Inverse() const {
    const T m00 = m[0], m01 = m[1], m02 = m[2];
    const T m10 = m[3], m11 = m[4], m12 = m[5];
    const T m20 = m[6], m21 = m[7], m22 = m[8];
    M33T r;
    T a0 = m11 * m22 - m12 * m21, a1 = m21 * m02 - m22 * m01, a2 = m12 * m01 - m02 * m11;
    T d0 = a0 * m00 + a1 * m10 + a2 * m20;
    r.m[0] = a0 / d0; r.m[1] = a1 / d0; r.m[2] = a2 / d0;
    T b0 = m20 * m12 - m10 * m22, b1 = m22 * m00 - m20 * m02, b2 = m10 * m02 - m12 * m00;
    T d1 = b0 * m01 + b1 * m11 + b2 * m21;
    r.m[3] = b0 / d1; r.m[4] = b1 / d1; r.m[5] = b2 / d1;
    T c0 = m10 * m21 - m20 * m11, c1 = m20 * m01 - m21 * m00, c2 = m11 * m00 - m10 * m01;
    T d2 = c0 * m02 + c1 * m12 + c2 * m22;
    r.m[6] = c0 / d2; r.m[7] = c1 / d2; r.m[8] = c2 / d2;
    return r;
  }

  bool IsFinite() const {
    for (T v : m)
      if (!(v == v) || v - v != 0) return false;
    return true;
  }
};

using M33 = M33T<float>;
using M33d = M33T<double>;

// "rotx" or "roty" by an angle in degrees; any other name is reported and
// gives the identity.
M33 RotationMatrix(const char* type, float degrees);
