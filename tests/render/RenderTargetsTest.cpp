#include <GL/gl.h>

#include "GLTestSupport.h"
#include "RenderTargets.h"

TEST(RenderTargets, FirstDrawReportsSupportAndOneStatusLaterDrawsNothing) {
  CurrentGLWindow();
  RenderTargets t;
  const Console c = ConsoleOf([&] {
    for (int i = 0; i < 3; i++) EnsureTargets(t, 64, 32);
  });
  EXPECT_EQ(c.out, "Video card supports GL_EXT_framebuffer_object.\n");
  EXPECT_EQ(c.err, "Framebuffer complete.\n");
  EXPECT_TRUE(t.targetsCreated);

  // The float target is 2W x 2H of RGBA 32-bit float.
  GLint w = 0, h = 0, format = 0;
  glBindTexture(GL_TEXTURE_2D, t.floatTexture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 64);
  EXPECT_EQ(format, GL_RGBA32F);

  // Values read back from the float target are not quantised to bytes.
  BindTarget(t, TargetKind::kFloat);
  EXPECT_EQ(StderrOf([&] { EXPECT_TRUE(CheckStatus(t)); }), "Framebuffer complete.\n");
  const float red = 12345.0f / 65535.0f, alpha = 54321.0f / 65535.0f;
  glClearColor(red, 0.25f, 0.125f, alpha);
  glClear(GL_COLOR_BUFFER_BIT);
  float px[4] = {0, 0, 0, 0};
  glReadPixels(3, 2, 1, 1, GL_RGBA, GL_FLOAT, px);
  BindWindow(t);
  EXPECT_EQ(px[0], red);
  EXPECT_EQ(px[3], alpha);
}

TEST(RenderTargets, WithoutTheEntryPointsEveryDrawSaysSoAndNothingIsCreated) {
  CurrentGLWindow();
  RenderTargets t;
  EXPECT_EQ(StdoutOf([&] {
              EnsureTargets(t, 64, 32, FramebufferApi::kNone);
              EnsureTargets(t, 64, 32, FramebufferApi::kNone);
            }),
            "Video card does NOT support GL_EXT_framebuffer_object.\n"
            "Video card does NOT support GL_EXT_framebuffer_object.\n");
  EXPECT_FALSE(t.targetsCreated);
  EXPECT_EQ(t.floatFramebuffer, 0u);
  BindTarget(t, TargetKind::kFloat);  // harmless
  BindWindow(t);
}
