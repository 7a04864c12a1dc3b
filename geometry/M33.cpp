#include "M33.h"

#include <cmath>
#include <cstring>

M33 RotationMatrix(const char* type, float degrees) {
  float rad = degrees * kRotationPi / 180.0f;
  float c = std::cos(rad), s = std::sin(rad);
  M33 r = M33::Identity();
  if (std::strcmp(type, "rotx") == 0) {
    r.m[4] = c; r.m[5] = -s;
    r.m[7] = s; r.m[8] = c;
  } else if (std::strcmp(type, "roty") == 0) {
    r.m[0] = c; r.m[2] = s;
    r.m[6] = -s; r.m[8] = c;
  } else {
    std::fputs("ERROR: unsupported matrix type\n", stderr);
  }
  return r;
}
