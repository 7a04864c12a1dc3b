// The CPU projection must agree with GLU's, which needs no context.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "GLProject.h"

TEST(GLProject, MatchesGluProjectAndUnProject) {
  const double mv[16] = {0.8, 0.1, -0.59, 0, -0.2, 0.97, 0.1, 0, 0.57, 0.2, 0.8, 0, 10, -20, -300, 1};
  const double pr[16] = {1.2, 0, 0, 0, 0, 2.1, 0, 0, 0.05, -0.02, -1.0002, -1, 0, 0, -2.0002, 0};
  const int vp[4] = {0, 0, 1280, 720};
  Projector proj(mv, pr, vp);
  for (int i = 0; i < 50; i++) {
    double ox = i * 3.7 - 90, oy = i * -1.3 + 20, oz = -i * 5.0;
    double a[3], b[3], c[3];
    ASSERT_EQ(ProjectPoint(ox, oy, oz, mv, pr, vp, &a[0], &a[1], &a[2]),
              gluProject(ox, oy, oz, mv, pr, vp, &b[0], &b[1], &b[2]) == GL_TRUE);
    proj.Project(ox, oy, oz, &c[0], &c[1], &c[2]);
    for (int k = 0; k < 3; k++) {
      EXPECT_DOUBLE_EQ(a[k], b[k]);
      EXPECT_EQ(a[k], c[k]);
    }
    double u[3], g[3];
    ASSERT_TRUE(proj.UnProject(a[0], a[1], 0.5, &u[0], &u[1], &u[2]));
    gluUnProject(a[0], a[1], 0.5, mv, pr, vp, &g[0], &g[1], &g[2]);
    for (int k = 0; k < 3; k++) EXPECT_NEAR(u[k], g[k], 1e-9 * (1 + std::abs(g[k])));
  }
}

TEST(GLProject, SingularMatrixRefusesUnProject) {
  double mv[16] = {0}, pr[16] = {0};
  int vp[4] = {0, 0, 10, 10};
  double x, y, z;
  EXPECT_FALSE(UnProjectPoint(1, 1, 0.5, mv, pr, vp, &x, &y, &z));
  EXPECT_FALSE(ProjectPoint(1, 1, 1, mv, pr, vp, &x, &y, &z));
}
