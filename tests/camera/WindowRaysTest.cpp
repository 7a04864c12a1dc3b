// The window rays of a camera's GL arrays against the ideal pinhole of its
// record: the ray through window position (x, y) (rows from the bottom)
// must run along corner + x a + (h - y) b from the eye, to within 1e-4
// pixels anywhere in the image, whatever the near distance and however far
// the eye is from the origin.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "M33.h"
#include "PPC.h"

namespace {

// Cameras whose record is an exact pinhole in float: a and b orthogonal,
// the principal point at the image centre, every number exact. The focal
// length of the slanted one has low bits, so that a look-at centre rounded
// at the eye's magnitude loses them.
PPC AxisCamera() { return PPC(55, 1280, 720); }

PPC SlantedCamera(float scale) {
  PPC cam(55, 1280, 720);
  const Vex3_quarn a(2, -1, 2), b(1, 2, 0), view(-4, 2, 5);  // a x b = view
  cam.a = a * scale;
  cam.b = b * scale;
  cam.corner = (view * (550 + 1.0f / 4096) - a * 640.0f - b * 360.0f) * scale;
  cam.RebuildInverse();
  return cam;
}

// Largest distance in pixels, over a grid reaching every border of the
// image, between where a window ray of the GL arrays meets the ideal image
// plane and the window position it was made for.
double LargestPixelError(PPC cam) {
  cam.SetGLAndCache();
  const Projector proj = cam.MakeProjector();
  const M33d inv = M33d::FromColumns(Vex3_quarnd(cam.a), Vex3_quarnd(cam.b),
                                     Vex3_quarnd(cam.corner)).Inverse();
  double worst = 0;
  for (int i = 0; i <= 16; i++)
    for (int j = 0; j <= 16; j++) {
      const double x = cam.w * i / 16.0, y = cam.h * j / 16.0;
      double n[3], f[3];
      if (!proj.UnProject(x, y, 0, &n[0], &n[1], &n[2]) ||
          !proj.UnProject(x, y, 1, &f[0], &f[1], &f[2]))
        return 1e9;
      const Vex3_quarnd q = inv * Vex3_quarnd(f[0] - n[0], f[1] - n[1], f[2] - n[2]);
      if (!(q.z > 0)) return 1e9;
      worst = std::max({worst, std::fabs(q.x / q.z - x), std::fabs(q.y / q.z - (cam.h - y))});
    }
  return worst;
}

}  // namespace

TEST(WindowRays, FollowTheIdealPinholeForAnyNearDistanceAndEye) {
  const Vex3_quarn eyes[] = {{0, 0, 0}, {0.3f, -0.4f, 0.1f}, {1800, -2400, 7}, {6000, -8000, 1}};
  const float nears[] = {1e-4f, 3.7e-4f, 0.02f, 2, 10};
  for (const PPC& base : {AxisCamera(), SlantedCamera(1), SlantedCamera(1.0f / 1024)})
    for (const Vex3_quarn& eye : eyes)
      for (const float near : nears) {
        PPC cam = base;
        cam.eye = eye;
        cam.zNear = near;
        cam.zFar = near * 1e4f;
        const double e = LargestPixelError(cam);
        EXPECT_LT(e, 1e-4) << "pixel size " << cam.a.Length() << ", eye " << eye.Length()
                           << " from the origin, near " << near;
      }
}
