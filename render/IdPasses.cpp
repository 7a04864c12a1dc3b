// The passes that read identifiers back: the item buffer (float target),
// the visible-set marking, and the byte-encoded "TID" view.
#include <GL/gl.h>

#include "FrameBuffer.h"
#include "ItemBuffer.h"
#include "PPC.h"
#include "PassSupport.h"
#include "RenderPasses.h"
#include "cgShader.h"
#include "WorkLayout.h"

namespace {

// Draws the identifiers of `mesh` under `mask` into the bound target and
// reads the window-sized corner back as RGBA floats. False when the list
// drawing was asked for and the program cannot take it.
bool DrawAndReadIds(PassContext& c, const ObjLoader* mesh, IdMask mask, IdDrawing drawing,
                    size_t maxPerCall) {
  FrameBuffer& window = *c.window;
  pass::Begin(0, 0, 0, 0);
  bool camera = pass::SetCamera(c);
  cgShader* shader = c.shaders.itemBuffer;
  pass::LoadOnce(shader, layout::kItemBufferShader, "GeometryMain", "FragmentMain");
  bool drawn = true;
  if (shader != nullptr) {
    SetMVPParameter(shader->GetVertexParameter("modelViewProj"));
    shader->Bind();
    if (mesh != nullptr && camera) {
      switch (drawing) {
        case IdDrawing::kBest: DrawIds(*mesh, *shader, mask); break;
        case IdDrawing::kList: drawn = DrawIdsBatched(*mesh, *shader, mask, maxPerCall); break;
        case IdDrawing::kPerTriangle: DrawIdsPerTriangle(*mesh, *shader, mask); break;
      }
    }
  }
  size_t n = size_t(window.w) * size_t(window.h);
  if (c.readback->size() < 4 * n) c.readback->resize(4 * n);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, window.w, window.h, GL_RGBA, GL_FLOAT, c.readback->data());
  if (shader != nullptr) shader->Unbind();
  return drawn;
}

}  // namespace

void ItemBufferPass(PassContext& c, ObjLoader* mesh) {
  if (c.window == nullptr || c.readback == nullptr) return;
  FrameBuffer& window = *c.window;
  BindTarget(*c.targets, TargetKind::kFloat);
  DrawAndReadIds(c, mesh, IdMask::All(), IdDrawing::kBest, 0);
  if (c.itemBuffer != nullptr)
    DecodeItemBuffer(c.readback->data(), size_t(window.w) * size_t(window.h), c.itemBuffer);

  // The shaded view of the same state into the target for the read-back
  // buffers, then the same image into the window to be seen (copied when
  // the GL can, which saves drawing the scene a third time).
  ShadePass(c, mesh);
  window.ReadColor();
  window.ReadDepth();
  if (!ShowTarget(*c.targets, TargetKind::kFloat, window.w, window.h)) {
    BindWindow(*c.targets);
    ShadePass(c, mesh);
  }
}

bool ReadItemIds(PassContext& c, const ObjLoader& mesh, IdMask mask, IdDrawing drawing,
                 int32_t* ids, size_t maxPerCall) {
  if (c.window == nullptr || c.readback == nullptr) return false;
  BindTarget(*c.targets, TargetKind::kFloat);
  bool drawn = DrawAndReadIds(c, &mesh, mask, drawing, maxPerCall);
  BindWindow(*c.targets);
  DecodeItemBuffer(c.readback->data(), size_t(c.window->w) * size_t(c.window->h), ids);
  return drawn;
}

void MarkVisiblePass(PassContext& c) {
  if (c.visibleFlags == nullptr || c.visibleFlags->empty()) return;
  if (c.window == nullptr || c.readback == nullptr) return;
  BindTarget(*c.targets, TargetKind::kFloat);
  DrawAndReadIds(c, c.drawMesh, c.drawFlags, IdDrawing::kBest, 0);
  size_t n = size_t(c.window->w) * size_t(c.window->h);
  const float* px = c.readback->data();
  std::vector<int32_t>& flags = *c.visibleFlags;
  for (size_t i = 0; i < n; i++) {
    int32_t id = DecodeFloatId(px[4 * i], px[4 * i + 3]);
    if (id >= 0 && size_t(id) < flags.size()) flags[size_t(id)] = 1;
  }
  BindWindow(*c.targets);
}

void TidPass(PassContext& c) {
  if (c.window == nullptr) return;
  // Every byte must reach the buffer as drawn.
  glUseProgram(0);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DITHER);
  pass::Begin(1, 1, 1, 1);
  if (pass::SetCamera(c) && c.drawMesh != nullptr) DrawTid(*c.drawMesh, c.renderingFactor, *c.out);
  glEnable(GL_DITHER);
  c.window->ReadColor();
}

void PointPass(PassContext& c) {
  if (c.window == nullptr) return;
  pass::Begin(0, 0, 0, 1);
  if (pass::SetCamera(c) && c.drawMesh != nullptr) DrawPoints(*c.drawMesh, c.renderingFactor);
}
