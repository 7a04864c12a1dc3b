// The offscreen render targets of the item-buffer passes: a float target
// (RGBA 32-bit float colour, twice the window's size each way) whose
// identifiers read back exactly, and a byte target of the window's size.
// Both are framebuffer objects created once, on the first draw that finds
// the framebuffer-object entry points.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <iostream>
#include <set>
#include <string>

// The framebuffer-object entry points, fetched by name on first use.
struct FramebufferEntryPoints {
  void (*ActiveTexture)(GLenum) = nullptr;
  void (*ClientActiveTexture)(GLenum) = nullptr;
  PFNGLGENFRAMEBUFFERSEXTPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSEXTPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFEREXTPROC BindFramebuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC CheckFramebufferStatus = nullptr;
  PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC GetFramebufferAttachmentParameteriv = nullptr;
  PFNGLGENERATEMIPMAPEXTPROC GenerateMipmap = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DEXTPROC FramebufferTexture2D = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC FramebufferRenderbuffer = nullptr;
  PFNGLGENRENDERBUFFERSEXTPROC GenRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSEXTPROC DeleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFEREXTPROC BindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEEXTPROC RenderbufferStorage = nullptr;
  PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC GetRenderbufferParameteriv = nullptr;
  PFNGLISRENDERBUFFEREXTPROC IsRenderbuffer = nullptr;
  // Optional: copies a target into the window (GL 3.0 or
  // GL_EXT_framebuffer_blit).
  PFNGLBLITFRAMEBUFFEREXTPROC BlitFramebuffer = nullptr;

  // Every framebuffer-object entry point is there.
  bool Complete() const;
};

struct RenderTargets {
  FramebufferEntryPoints gl;
  GLuint floatFramebuffer = 0, byteFramebuffer = 0;
  GLuint floatDepth = 0, byteDepth = 0;  // render buffers
  GLuint floatTexture = 0, byteTexture = 0;
  int width = 0, height = 0;  // the window size W x H the targets were made for
  bool targetsCreated = false;
  // Where the support and status lines go.
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

enum class TargetKind { kFloat, kByte };

// Whether the framebuffer-object entry points exist, decided from the GL
// version and extension list (the procedure lookup answers for any name):
// the extension itself, or core framebuffer objects (GL 3.0) standing in.
enum class FramebufferApi { kNone, kExtension, kCore };
FramebufferApi ChooseFramebufferApi(int glVersion, const std::set<std::string>& extensions);

// Fetches the entry points of `api` (null for kNone); the blit when the
// version or extension list offers it.
void FetchEntryPoints(FramebufferApi api, FramebufferEntryPoints* gl, int glVersion = 0,
                      const std::set<std::string>& extensions = {});

// Creates the targets once for a W x H window (needs a current context);
// prints the support line and one status line on the attempt that finds
// support, nothing afterwards.
void EnsureTargets(RenderTargets& targets, int W, int H);
// The same, with the API decided by the caller.
void EnsureTargets(RenderTargets& targets, int W, int H, FramebufferApi api);

void BindTarget(const RenderTargets& targets, TargetKind which);
void BindWindow(const RenderTargets& targets);
// Copies the lower-left w x h corner of a target into the window's
// framebuffer (colour only); false when the blit is not available.
bool ShowTarget(const RenderTargets& targets, TargetKind which, int w, int h);
// Completeness of the bound framebuffer, with its message.
bool CheckStatus(const RenderTargets& targets);
// The message of a status; true when it goes to the error stream.
const char* FramebufferStatusMessage(GLenum status, bool* toErrorStream);
