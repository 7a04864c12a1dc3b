// Footage frames: triangles coloured by their class, one group optionally
// cut into 81 pieces so that its large triangles raster like the others.
#include "GroupTriangles.h"
#include "PPC.h"
#include "SoftwareRaster.h"

namespace {

// The 81 sub-triangles of a barycentric grid of step 1/9: rows w = 8..0,
// k = 9 - w cells each, with an upside-down partner when w > 0.
template <typename Fn>
void SubdivideNine(const Vex3_quarn p[3], Fn&& fn) {
  auto at = [&](int a, int b, int c) {
    return p[0] * (a / 9.0f) + p[1] * (b / 9.0f) + p[2] * (c / 9.0f);
  };
  for (int w = 8; w >= 0; w--) {
    const int k = 9 - w;
    for (int l = 0; l < k; l++) {
      const Vex3_quarn up[3] = {at(k - l, l, w), at(k - l - 1, l + 1, w), at(k - l - 1, l, w + 1)};
      fn(up);
      if (w > 0) {
        const Vex3_quarn down[3] = {at(k - l, l, w), at(k - l - 1, l + 1, w),
                                    at(k - l, l + 1, w - 1)};
        fn(down);
      }
    }
  }
}

}  // namespace

void FootageRaster(uint32_t* colour, int32_t* ids, PPC& camera, double* depth,
                   const int32_t* classes, int kind, const ObjLoader& mesh, std::ostream& log) {
  camera.SetGLAndCache();
  const Projector proj = camera.MakeProjector();
  const int w = camera.w, h = camera.h;
  int32_t subdivided = -1;
  if (kind == 1) subdivided = mesh.groupCount - 3;
  if (kind == 2) subdivided = mesh.groupCount - 1;
  ForEachGroupTriangle(
      mesh,
      [&](int32_t g, int32_t k, int32_t t, const Vex3_quarn v[3]) {
        if (mesh.groupCount == 1 && k % 1000000 == 0)
          log << "\r" << k << "/" << mesh.groupTriCount[g] << std::flush;
        const int32_t k0 = classes[t];
        if (k0 == -1) return;
        uint32_t value = 0xFF0000FFu;
        if (k0 == 1) {
          if (mesh.groupColor && size_t(g) < mesh.groupColor.size()) {
            const Vex3_quarn& c = mesh.groupColor[g];
            value = PackColour(c.x, c.y, c.z);
          } else {
            value = uint32_t(t);
          }
        }
        if (g == subdivided) {
          SubdivideNine(v, [&](const Vex3_quarn s[3]) {
            RasterTriangle(colour, ids, proj, w, h, depth, value, s, t);
          });
        } else {
          RasterTriangle(colour, ids, proj, w, h, depth, value, v, t);
        }
      },
      [&](int32_t g) { log << "\r" << g + 1 << "/" << mesh.groupCount << std::flush; });
  log << "\n";
}
