// SetGLAndCache computes GL's arrays on the CPU; they must match what GL
// itself builds from glFrustum and gluLookAt.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "GLTestWindow.h"
#include "PPC.h"

namespace {

void ExpectRelNear(double cpu, double gl, const char* what, int i) {
  double tol = 1e-12 * std::max(1.0, std::fabs(gl));
  EXPECT_NEAR(cpu, gl, tol) << what << "[" << i << "]";
}

void ExpectCacheMatchesGL(PPC cam) {
  cam.SetGLAndCache();
  double mv[16], pr[16];
  int vp[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  glGetIntegerv(GL_VIEWPORT, vp);
  for (int i = 0; i < 16; i++) {
    ExpectRelNear(cam.modelView[i], mv[i], "modelView", i);
    ExpectRelNear(cam.projection[i], pr[i], "projection", i);
  }
  for (int i = 0; i < 4; i++) EXPECT_EQ(cam.viewport[i], vp[i]) << "viewport[" << i << "]";
}

class PPCGL : public testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no DISPLAY";
    CurrentGLWindow();
  }
};

}  // namespace

TEST_F(PPCGL, CachedArraysEqualGLReadBack) {
  PPC main(55, 1280, 720);
  ExpectCacheMatchesGL(main);

  PPC moved = main;
  moved.PositionAndOrient({1234.5f, -250.25f, 880.0f}, {0.3f, -0.2f, -1.0f}, {0.1f, 1, 0});
  moved.Pan(17);
  moved.Tilt(-8);
  moved.Roll(3);
  ExpectCacheMatchesGL(moved);

  PPC zoomed = moved;
  zoomed.Zoom(2.37f);
  zoomed.zNear = 0.5f;
  zoomed.zFar = 123456.0f;
  ExpectCacheMatchesGL(zoomed);

  // The frustum stays symmetric when the principal point is off-centre.
  PPC offCentre = moved;
  offCentre.corner += offCentre.a * 57.0f - offCentre.b * 23.0f;
  offCentre.RebuildInverse();
  ExpectCacheMatchesGL(offCentre);
  EXPECT_EQ(offCentre.projection[8], 0.0);
  EXPECT_EQ(offCentre.projection[9], 0.0);

  PPC narrow(31, 300, 900);
  narrow.eye = {-7.5f, 3e4f, 1e-3f};
  narrow.Tilt(-89);
  ExpectCacheMatchesGL(narrow);

  // Pixels that are not square.
  PPC stretched = main;
  stretched.b = stretched.b * 1.75f;
  stretched.Resize(640, 200);
  ExpectCacheMatchesGL(stretched);
}
