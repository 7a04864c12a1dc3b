// The passes that read identifiers back: the item buffer (float target),
// the visible-set marking, and the byte-encoded "TID" view.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>

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
  pass::LoadOnce(shader, layout::kItemBufferShader, "GeometryMain", "FragmentMain", *c.out);
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

void CullToView(const ObjLoader& mesh, const PPC& camera, TruthViewScratch* scratch) {
  ObjLoader& view = scratch->mesh;
  const int32_t groups = mesh.GroupsHeld();
  if (scratch->source != &mesh || view.positions.size() != mesh.positions.size() ||
      view.groupCount != groups) {
    // Positions and colours once per mesh (the truth's scene stands still).
    view.Release();
    scratch->source = &mesh;
    view.positions = mesh.positions;
    view.vertexCount = mesh.vertexCount;
    view.groupCount = groups;
    view.shadingMode = mesh.shadingMode;
    view.colorScheme = mesh.colorScheme;
    view.lightDir = mesh.lightDir;
    view.groupMaterial = mesh.groupMaterial;
    view.groupColor = mesh.groupColor;
    view.normals = mesh.normals;
    view.texCoords = mesh.texCoords;
    view.triangleColors = mesh.triangleColors;
    const ObjLoader* source = mesh.topologySource;
    view.vertexColors = mesh.vertexColors.empty() && source != nullptr ? source->vertexColors
                                                                       : mesh.vertexColors;
    view.groupOfTriangle = mesh.groupOfTriangle;
    view.indexInGroup = mesh.indexInGroup;
    view.groupTriangles.Allocate(groups);
    view.triangleId.Allocate(groups);
    view.groupTriCount.Allocate(groups);
  }
  std::vector<Vex3_quarn>& q = scratch->projected;
  q.resize(mesh.positions.size());
  for (size_t i = 0; i < q.size(); i++) {
    const Vex3_quarn p = camera.invM * (mesh.positions[i] - camera.eye);
    q[i] = p.z > 0 ? Vex3_quarn(p.x / p.z, p.y / p.z, 1) : Vex3_quarn(0, 0, -1);
  }
  const float w = float(camera.w) + 1, h = float(camera.h) + 1;
  int32_t total = 0;
  for (int32_t g = 0; g < groups; g++) {
    std::vector<uint32_t>& list = view.groupTriangles[size_t(g)];
    std::vector<int32_t>& ids = view.triangleId[size_t(g)];
    list.clear();
    ids.clear();
    const int n = LiveCount(mesh, g);
    for (int k = 0; k < n; k++) {
      const uint32_t* t = mesh.Triangle(g, k);
      if (t[0] >= q.size() || t[1] >= q.size() || t[2] >= q.size()) continue;
      const Vex3_quarn &a = q[t[0]], &b = q[t[1]], &d = q[t[2]];
      // A vertex behind the eye: the clipped triangle may reach anywhere.
      const bool behind = a.z < 0 || b.z < 0 || d.z < 0;
      if (!behind && (std::max({a.x, b.x, d.x}) < -1 || std::min({a.x, b.x, d.x}) > w ||
                      std::max({a.y, b.y, d.y}) < -1 || std::min({a.y, b.y, d.y}) > h))
        continue;
      list.insert(list.end(), t, t + 3);
      ids.push_back(mesh.IdOf(g, k));
    }
    view.groupTriCount[size_t(g)] = int32_t(ids.size());
    total += int32_t(ids.size());
  }
  view.triangleCount = total;
}

void TruthViewPass(PassContext& c, ObjLoader* mesh, TruthViewScratch* scratch,
                   TruthPassTimes* times) {
  if (c.window == nullptr || c.readback == nullptr) return;
  FrameBuffer& window = *c.window;
  using Clock = std::chrono::steady_clock;
  auto since = [](Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
  };
  Clock::time_point t0 = Clock::now();
  if (mesh != nullptr && scratch != nullptr && window.camera != nullptr) {
    CullToView(*mesh, *window.camera, scratch);
    mesh = &scratch->mesh;
    c.drawMesh = mesh;
  }
  BindTarget(*c.targets, TargetKind::kFloat);
  DrawAndReadIds(c, mesh, IdMask::All(), IdDrawing::kBest, 0);
  const double drawn = since(t0);
  t0 = Clock::now();
  if (c.itemBuffer != nullptr)
    DecodeItemBuffer(c.readback->data(), size_t(window.w) * size_t(window.h), c.itemBuffer);
  const double decoded = since(t0);
  t0 = Clock::now();
  ShadePass(c, mesh);
  window.ReadColor();
  const double shaded = since(t0);
  if (!ShowTarget(*c.targets, TargetKind::kFloat, window.w, window.h)) {
    BindWindow(*c.targets);
    window.ShowPixels();
  }
  BindWindow(*c.targets);
  if (times != nullptr) {
    times->itemBuffer += drawn;
    times->decode += decoded;
    times->shaded += shaded;
    times->calls++;
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
