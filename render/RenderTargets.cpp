#include "RenderTargets.h"

#include <GL/glx.h>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

int CurrentGLVersion() {
  const char* v = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (v == nullptr || std::sscanf(v, "%d.%d", &major, &minor) != 2) return 0;
  return major * 10 + minor;
}

std::set<std::string> CurrentExtensions(int version) {
  std::set<std::string> names;
  if (version >= 30) {
    auto getStringi = reinterpret_cast<PFNGLGETSTRINGIPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glGetStringi")));
    GLint n = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &n);
    for (GLint i = 0; i < n && getStringi != nullptr; i++) {
      const GLubyte* s = getStringi(GL_EXTENSIONS, GLuint(i));
      if (s != nullptr) names.insert(reinterpret_cast<const char*>(s));
    }
    return names;
  }
  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (all == nullptr) return names;
  const char* p = all;
  while (*p) {
    while (*p == ' ') p++;
    const char* start = p;
    while (*p && *p != ' ') p++;
    if (p > start) names.insert(std::string(start, p));
  }
  return names;
}

template <typename F>
void Fetch(F* slot, const char* name) {
  *slot = reinterpret_cast<F>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// Colour texture and depth render buffer of one target, attached to its
// framebuffer (steps 1-2 of the build; step 3 repeats them for the byte
// target).
void BuildTarget(const FramebufferEntryPoints& gl, int w, int h, GLint internalFormat,
                 GLenum type, GLuint* framebuffer, GLuint* depth, GLuint* texture) {
  gl.GenFramebuffers(1, framebuffer);
  gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, *framebuffer);
  gl.GenRenderbuffers(1, depth);
  gl.BindRenderbuffer(GL_RENDERBUFFER_EXT, *depth);
  gl.RenderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, w, h);
  gl.BindRenderbuffer(GL_RENDERBUFFER_EXT, 0);

  glGenTextures(1, texture);
  glBindTexture(GL_TEXTURE_2D, *texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, w, h, 0, GL_RGBA, type, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, *texture,
                          0);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                             *depth);
}

// Both targets; the support line, then the byte target's status.
void BuildTargets(RenderTargets& targets, int W, int H) {
  if (!targets.gl.Complete()) {
    *targets.out << "Video card does NOT support GL_EXT_framebuffer_object." << std::endl;
    return;
  }
  *targets.out << "Video card supports GL_EXT_framebuffer_object." << std::endl;
  const FramebufferEntryPoints& gl = targets.gl;
  targets.width = W;
  targets.height = H;
  BuildTarget(gl, 2 * W, 2 * H, GL_RGBA32F_ARB, GL_FLOAT, &targets.floatFramebuffer,
              &targets.floatDepth, &targets.floatTexture);
  BuildTarget(gl, W, H, GL_RGBA, GL_UNSIGNED_BYTE, &targets.byteFramebuffer,
              &targets.byteDepth, &targets.byteTexture);
  CheckStatus(targets);
  gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
  targets.targetsCreated = true;
}

}  // namespace

bool FramebufferEntryPoints::Complete() const {
  return GenFramebuffers && DeleteFramebuffers && BindFramebuffer && CheckFramebufferStatus &&
         GetFramebufferAttachmentParameteriv && GenerateMipmap && FramebufferTexture2D &&
         FramebufferRenderbuffer && GenRenderbuffers && DeleteRenderbuffers &&
         BindRenderbuffer && RenderbufferStorage && GetRenderbufferParameteriv &&
         IsRenderbuffer;
}

FramebufferApi ChooseFramebufferApi(int glVersion, const std::set<std::string>& extensions) {
  if (extensions.count("GL_EXT_framebuffer_object")) return FramebufferApi::kExtension;
  if (glVersion >= 30 || extensions.count("GL_ARB_framebuffer_object"))
    return FramebufferApi::kCore;
  return FramebufferApi::kNone;
}

void FetchEntryPoints(FramebufferApi api, FramebufferEntryPoints* gl, int glVersion,
                      const std::set<std::string>& extensions) {
  *gl = FramebufferEntryPoints();
  if (api != FramebufferApi::kNone && glVersion >= 30)
    Fetch(&gl->BlitFramebuffer, "glBlitFramebuffer");
  else if (api != FramebufferApi::kNone && extensions.count("GL_EXT_framebuffer_blit"))
    Fetch(&gl->BlitFramebuffer, "glBlitFramebufferEXT");
  Fetch(&gl->ActiveTexture, "glActiveTexture");
  Fetch(&gl->ClientActiveTexture, "glClientActiveTexture");
  if (api == FramebufferApi::kNone) return;
  // The core functions take the same arguments and enumerants.
  const bool ext = api == FramebufferApi::kExtension;
  Fetch(&gl->GenFramebuffers, ext ? "glGenFramebuffersEXT" : "glGenFramebuffers");
  Fetch(&gl->DeleteFramebuffers, ext ? "glDeleteFramebuffersEXT" : "glDeleteFramebuffers");
  Fetch(&gl->BindFramebuffer, ext ? "glBindFramebufferEXT" : "glBindFramebuffer");
  Fetch(&gl->CheckFramebufferStatus,
        ext ? "glCheckFramebufferStatusEXT" : "glCheckFramebufferStatus");
  Fetch(&gl->GetFramebufferAttachmentParameteriv,
        ext ? "glGetFramebufferAttachmentParameterivEXT"
            : "glGetFramebufferAttachmentParameteriv");
  Fetch(&gl->GenerateMipmap, ext ? "glGenerateMipmapEXT" : "glGenerateMipmap");
  Fetch(&gl->FramebufferTexture2D, ext ? "glFramebufferTexture2DEXT" : "glFramebufferTexture2D");
  Fetch(&gl->FramebufferRenderbuffer,
        ext ? "glFramebufferRenderbufferEXT" : "glFramebufferRenderbuffer");
  Fetch(&gl->GenRenderbuffers, ext ? "glGenRenderbuffersEXT" : "glGenRenderbuffers");
  Fetch(&gl->DeleteRenderbuffers, ext ? "glDeleteRenderbuffersEXT" : "glDeleteRenderbuffers");
  Fetch(&gl->BindRenderbuffer, ext ? "glBindRenderbufferEXT" : "glBindRenderbuffer");
  Fetch(&gl->RenderbufferStorage, ext ? "glRenderbufferStorageEXT" : "glRenderbufferStorage");
  Fetch(&gl->GetRenderbufferParameteriv,
        ext ? "glGetRenderbufferParameterivEXT" : "glGetRenderbufferParameteriv");
  Fetch(&gl->IsRenderbuffer, ext ? "glIsRenderbufferEXT" : "glIsRenderbuffer");
}

void EnsureTargets(RenderTargets& targets, int W, int H) {
  if (targets.targetsCreated) return;
  int version = CurrentGLVersion();
  std::set<std::string> extensions = CurrentExtensions(version);
  FramebufferApi api = ChooseFramebufferApi(version, extensions);
  FetchEntryPoints(api, &targets.gl, version, extensions);
  BuildTargets(targets, W, H);
}

void EnsureTargets(RenderTargets& targets, int W, int H, FramebufferApi api) {
  if (targets.targetsCreated) return;
  FetchEntryPoints(api, &targets.gl);
  BuildTargets(targets, W, H);
}

void BindTarget(const RenderTargets& targets, TargetKind which) {
  if (targets.gl.BindFramebuffer == nullptr) return;
  targets.gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, which == TargetKind::kFloat
                                                     ? targets.floatFramebuffer
                                                     : targets.byteFramebuffer);
}

bool ShowTarget(const RenderTargets& targets, TargetKind which, int w, int h) {
  const FramebufferEntryPoints& gl = targets.gl;
  if (!targets.targetsCreated || gl.BlitFramebuffer == nullptr) return false;
  gl.BindFramebuffer(GL_READ_FRAMEBUFFER_EXT, which == TargetKind::kFloat
                                                  ? targets.floatFramebuffer
                                                  : targets.byteFramebuffer);
  gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER_EXT, 0);
  gl.BlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
  return true;
}

void BindWindow(const RenderTargets& targets) {
  if (targets.gl.BindFramebuffer == nullptr) return;
  targets.gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
}

const char* FramebufferStatusMessage(GLenum status, bool* toErrorStream) {
  *toErrorStream = true;
  switch (status) {
    case GL_FRAMEBUFFER_COMPLETE_EXT: return "Framebuffer complete.";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
      return "[ERROR] Framebuffer incomplete: Attachment is NOT complete.";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
      return "[ERROR] Framebuffer incomplete: No image is attached to FBO.";
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
      return "[ERROR] Framebuffer incomplete: Attached images have different dimensions.";
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
      return "[ERROR] Framebuffer incomplete: Color attached images have different internal "
             "formats.";
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
      return "[ERROR] Framebuffer incomplete: Draw buffer.";
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
      return "[ERROR] Framebuffer incomplete: Read buffer.";
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT: return "[ERROR] Unsupported by FBO implementation.";
    default: *toErrorStream = false; return "[ERROR] Unknow error.";
  }
}

bool CheckStatus(const RenderTargets& targets) {
  if (targets.gl.CheckFramebufferStatus == nullptr) return false;
  GLenum status = targets.gl.CheckFramebufferStatus(GL_FRAMEBUFFER_EXT);
  bool toError = true;
  const char* message = FramebufferStatusMessage(status, &toError);
  (toError ? *targets.err : *targets.out) << message << std::endl;
  return status == GL_FRAMEBUFFER_COMPLETE_EXT;
}
