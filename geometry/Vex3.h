// Three-component vector in float (positions, normals, colours, camera
// vectors; 12 raw bytes in files) and double form.
#pragma once

#include <cmath>
#include <cstdio>
#include <ostream>

template <typename T>
struct Vex3T {
  T x = 0, y = 0, z = 0;

  Vex3T() = default;
  constexpr Vex3T(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}
  template <typename U>
  explicit Vex3T(const Vex3T<U>& o) : x(T(o.x)), y(T(o.y)), z(T(o.z)) {}

  // Range-checked: an index outside 0..2 reports and yields component 0.
  T& operator[](int i) {
    if (i == 1) return y;
    if (i == 2) return z;
    if (i != 0) std::fputs("ERROR: index out of bounds in Vex3_quarn::operator[]", stderr);
    return x;
  }
  T operator[](int i) const { return const_cast<Vex3T*>(this)->operator[](i); }

  Vex3T operator+(const Vex3T& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vex3T operator-(const Vex3T& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vex3T operator-() const { return {-x, -y, -z}; }
  Vex3T operator*(T s) const { return {x * s, y * s, z * s}; }
  Vex3T operator/(T s) const { return {x / s, y / s, z / s}; }
  Vex3T& operator+=(const Vex3T& o) { x += o.x; y += o.y; z += o.z; return *this; }
  Vex3T& operator-=(const Vex3T& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  Vex3T& operator*=(T s) { x *= s; y *= s; z *= s; return *this; }
  bool operator==(const Vex3T& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Vex3T& o) const { return !(*this == o); }

  T Dot(const Vex3T& o) const { return x * o.x + y * o.y + z * o.z; }
  Vex3T Cross(const Vex3T& o) const {
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
  }
  T Length() const { return std::sqrt(x * x + y * y + z * z); }

  // Zero vector at or below 1e-10 instead of dividing by (almost) nothing.
  Vex3T Normalized() const {
    T len = Length();
    if (len > T(1e-10)) return *this / len;
    return {0, 0, 0};
  }
};

template <typename T>
inline Vex3T<T> operator*(T s, const Vex3T<T>& v) { return v * s; }

template <typename T>
inline std::ostream& operator<<(std::ostream& os, const Vex3T<T>& v) {
  return os << double(v.x) << " " << double(v.y) << " " << double(v.z);
}

using Vex3_quarn = Vex3T<float>;
using Vex3_quarnd = Vex3T<double>;

static_assert(sizeof(Vex3_quarn) == 12, "vertex positions are written as 12 raw bytes");
