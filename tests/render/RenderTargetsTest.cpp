#include <GL/gl.h>

#include "GLTestSupport.h"
#include "RenderTargets.h"

TEST(RenderTargets, FirstDrawReportsSupportAndOneStatusLaterDrawsNothing) {
  CurrentGLWindow();
  RenderTargets t;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EnsureTargets(t, 64, 32);
  EnsureTargets(t, 64, 32);
  EnsureTargets(t, 64, 32);
  std::string err = testing::internal::GetCapturedStderr();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "Video card supports GL_EXT_framebuffer_object.\n");
  EXPECT_EQ(err, "Framebuffer complete.\n");
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
  testing::internal::CaptureStderr();
  EXPECT_TRUE(CheckStatus(t));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Framebuffer complete.\n");
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
  testing::internal::CaptureStdout();
  EnsureTargets(t, 64, 32, FramebufferApi::kNone);
  EnsureTargets(t, 64, 32, FramebufferApi::kNone);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "Video card does NOT support GL_EXT_framebuffer_object.\n"
            "Video card does NOT support GL_EXT_framebuffer_object.\n");
  EXPECT_FALSE(t.targetsCreated);
  EXPECT_EQ(t.floatFramebuffer, 0u);
  BindTarget(t, TargetKind::kFloat);  // harmless
  BindWindow(t);
}
