// Footage views of the experiments: the visible set's triangles in their
// colours (or the point set ray-cast in software), and the super-pixel view
// that highlights the drawing mask.
#include <GL/gl.h>

#include <algorithm>

#include "FrameBuffer.h"
#include "PPC.h"
#include "PassSupport.h"
#include "RenderPasses.h"
#include "cgShader.h"
#include "WorkLayout.h"

namespace {

// The first two triangles of a state, outlined in grey.
void OutlineFirstTriangles(const ObjLoader* state) {
  if (state == nullptr || state->positions.size() < 6) return;
  glBegin(GL_TRIANGLES);
  for (int i = 0; i < 6; i++) glVertex3fv(&state->positions[size_t(i)].x);
  glEnd();
}

void PointFootage(PassContext& c) {
  FrameBuffer& window = *c.window;
  window.Clear();
  if (c.pointIds != nullptr)
    std::fill(c.pointIds, c.pointIds + size_t(window.w) * size_t(window.h), -1);
  if (c.pointIds != nullptr && c.pixelRays != nullptr && c.points.points != nullptr) {
    PointSetView view = c.points;
    view.mask = c.drawFlags.flags;
    ParticleRaster(view, window.pixels.data(), c.pointIds, window.zBuffer.data(), *window.camera,
                   c.pixelRays, c.particleRadius, *c.out);
  }
  glWindowPos2i(0, 0);
  window.ShowPixels();
}

}  // namespace

void FootagePass(PassContext& c, ObjLoader* mesh, bool drawMeshVariant) {
  if (c.window == nullptr) return;
  pass::Begin(1, 1, 1, 1);
  if (!pass::SetCamera(c)) return;
  if (drawMeshVariant && c.drawForm == DrawForm::kPoints) {
    PointFootage(c);
    return;
  }
  if (mesh == nullptr || pass::DrawOwnColours(c, *mesh, c.drawFlags)) return;
  cgShader* shader = c.shaders.footage;
  pass::LoadOnce(shader, layout::kFootageShader, nullptr, "fpmain", *c.out);
  if (!pass::BindWithMVP(shader)) return;
  if (drawMeshVariant) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(2);
    glColor3f(0.8f, 0.8f, 0.8f);
    OutlineFirstTriangles(c.firstStates[0]);
    OutlineFirstTriangles(c.firstStates[1]);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1);
    glClear(GL_DEPTH_BUFFER_BIT);
  }
  pass::DrawLitColours(c, *shader, *mesh, c.drawFlags);
}

void SuperPixelFootagePass(PassContext& c) {
  ObjLoader* drawMesh = pass::BeginSkyView(c);
  if (drawMesh == nullptr) return;
  ObjLoader& mesh = *drawMesh;
  cgShader* shader = c.shaders.footageSp;
  pass::LoadVertexOnlyOnce(shader, layout::kSuperPixelShader, *c.out);
  if (!pass::BindWithMVP(shader)) return;
  cgParameter mode = shader->GetVertexParameter("mode");
  SetParameter1i(mode, 2);
  mesh.lightDir = c.lightDirection;
  DrawColors(mesh, c.marks);

  // The masked triangles over it in the highlight colour.
  SetParameter1i(mode, 4);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColor3f(1, 0, 0);
  glBegin(GL_TRIANGLES);
  int32_t ids = mesh.IdCount();
  for (int32_t id = 0; id < ids; id++) {
    uint32_t t[3];
    if (!c.drawFlags.Has(id) || !mesh.TriangleVertices(id, t)) continue;
    if (t[0] >= mesh.positions.size() || t[1] >= mesh.positions.size() ||
        t[2] >= mesh.positions.size())
      continue;
    for (uint32_t v : t) glVertex3fv(&mesh.positions[v].x);
  }
  glEnd();
  shader->Unbind();
}
