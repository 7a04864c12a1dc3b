// The shaded views: ShadePass by scene kind (with the city scene's
// footprint), the grass view with its backdrop, and the lit raster.
#include <GL/gl.h>

#include "FrameBuffer.h"
#include "GLProject.h"
#include "PPC.h"
#include "PassSupport.h"
#include "RenderPasses.h"
#include "TiffIO.h"
#include "TiffWindow.h"
#include "cgShader.h"
#include "WorkLayout.h"

namespace {

void SetEye(const cgShader& shader, const PassContext& c) {
  const Vex3_quarn& eye = c.window->camera->eye;
  SetParameter3f(shader.GetFragmentParameter("eye"), eye.x, eye.y, eye.z);
}

void LoadBackdropOnce(const PassContext& c, const char* path) {
  if (c.backdropTexture != nullptr && *c.backdropTexture == -1)
    *c.backdropTexture = int(LoadTexture(path));
}

// Outline, half-dark fill and marked point over the city view.
void DrawFootprint(const PassContext& c) {
  if (c.footprint == nullptr || c.footprint->empty()) return;
  glDisable(GL_DEPTH_TEST);
  glLineWidth(3);
  glColor3f(0, 0, 0);
  glBegin(GL_LINE_LOOP);
  for (const Vex3_quarn& p : *c.footprint) glVertex3fv(&p.x);
  glEnd();
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, 0.5f);
  glBegin(GL_QUADS);
  size_t quads = c.footprint->size() / 4 * 4;
  for (size_t i = 0; i < quads; i++) glVertex3fv(&(*c.footprint)[i].x);
  glEnd();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glLineWidth(1);
  if (c.markedPosition != nullptr) {
    glPointSize(10);
    glColor3f(1, 0, 0);
    glBegin(GL_POINTS);
    glVertex3fv(&c.markedPosition->x);
    glEnd();
    glPointSize(1);
  }
}

void ShadeCity(PassContext& c) {
  cgShader* shader = c.shaders.manhattan;
  pass::LoadOnce(shader, layout::kCityShader, "GeometryMain", "fpmain", *c.out);
  LoadBackdropOnce(c, layout::kCityBackdrop);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  if (pass::BindWithMVP(shader)) SetEye(*shader, c);
  if (c.drawMesh != nullptr) DrawTextured(*c.drawMesh, *c.out);
  if (shader != nullptr) shader->Unbind();
  // Culling must not outlive the city view: the item buffers draw both
  // faces.
  glDisable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  DrawFootprint(c);
}

}  // namespace

void ClearToSky() {
  glEnable(GL_DEPTH_TEST);
  glClearColor(0.50980395f, 0.7921569f, 0.98039216f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ShadePass(PassContext& c, ObjLoader* stateMesh) {
  if (c.window == nullptr) return;
  ClearToSky();
  if (!pass::SetCamera(c)) return;
  switch (c.drawForm) {
    case DrawForm::kOwnColours:
      if (stateMesh != nullptr) DrawMaterials(*stateMesh, nullptr, *c.out);
      if (c.drawMesh != nullptr) DrawMaterials(*c.drawMesh, nullptr, *c.out);
      break;
    case DrawForm::kVegetation: {
      cgShader* shader = c.shaders.grass;
      pass::LoadOnce(shader, layout::kGrassShader, nullptr, "fpmain", *c.out);
      if (!pass::BindWithMVP(shader)) break;
      SetEye(*shader, c);
      if (c.drawMesh != nullptr) DrawMaterials(*c.drawMesh, shader, *c.out);
      shader->Unbind();
      break;
    }
    case DrawForm::kCity:
      ShadeCity(c);
      break;
    case DrawForm::kStates:
    case DrawForm::kPoints: {
      cgShader* shader = c.shaders.wtc;
      pass::LoadOnce(shader, layout::kTowerShader, "GeometryMain", "fpmain", *c.out);
      if (shader == nullptr) break;
      shader->Bind();
      SetMVPParameter(shader->GetGeometryParameter("modelViewProj"));
      if (stateMesh != nullptr) DrawMaterials(*stateMesh, shader, *c.out);
      shader->Unbind();
      break;
    }
  }
}

void DrawBackdrop(const PPC& windowCamera, const PPC& footageCamera, unsigned texture) {
  PPC view = windowCamera;
  view.SetGLAndCache();
  PPC footage = footageCamera;
  footage.ComputeGLArrays(footage.modelView, footage.projection, footage.viewport);
  Projector from = view.MakeProjector();
  Projector to = footage.MakeProjector();

  // The window's corners on the plane of window depth 0.5, textured by
  // where the footage camera sees them.
  const double corners[4][2] = {
      {0, 0}, {0, double(view.h)}, {double(view.w), double(view.h)}, {double(view.w), 0}};
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  for (const auto& corner : corners) {
    double x = 0, y = 0, z = 0, u = 0, v = 0, d = 0;
    from.UnProject(corner[0], corner[1], 0.5, &x, &y, &z);
    to.Project(x, y, z, &u, &v, &d);
    glTexCoord2d(u / footage.w, v / footage.h);
    glVertex3d(x, y, z);
  }
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
}

void GrassPass(PassContext& c) {
  ObjLoader* drawMesh = pass::BeginSkyView(c);
  if (drawMesh == nullptr) return;
  ObjLoader& mesh = *drawMesh;
  if (c.drawForm == DrawForm::kVegetation) {
    cgShader* shader = c.shaders.grass;
    pass::LoadOnce(shader, layout::kGrassShader, nullptr, "fpmain", *c.out);
    LoadBackdropOnce(c, layout::kGrassBackdrop);
    if (c.backdropTexture != nullptr && *c.backdropTexture > 0) {
      const PPC* footage = c.footageCamera != nullptr ? c.footageCamera : c.window->camera;
      DrawBackdrop(*c.window->camera, *footage, unsigned(*c.backdropTexture));
      pass::SetCamera(c);
    }
    glClear(GL_DEPTH_BUFFER_BIT);
    if (!pass::BindWithMVP(shader)) return;
    SetEye(*shader, c);
    DrawRestricted(mesh, c.marks, shader);
    shader->Unbind();
    return;
  }
  cgShader* shader = c.shaders.footage;
  pass::LoadVertexOnlyOnce(shader, layout::kFootageShader, *c.out);
  if (pass::BindWithMVP(shader)) pass::DrawLitColours(c, *shader, mesh, c.marks);
}

void RasterPass(PassContext& c, const IdMask* list) {
  if (c.window == nullptr) return;
  FrameBuffer& window = *c.window;
  pass::Begin(0, 0, 0, 1);
  bool camera = pass::SetCamera(c);
  cgShader* shader = c.shaders.raster;
  pass::LoadOnce(shader, layout::kRasterShader, "GeometryMain", "FragmentMain", *c.out);
  if (shader != nullptr) {
    SetMVPParameter(shader->GetGeometryParameter("modelViewProj"));
    SetParameter3f(shader->GetFragmentParameter("lightDir"), -0.577f, -0.577f, 0.577f);
    SetParameter1f(shader->GetFragmentParameter("Ambient"), 0.4f);
    shader->Bind();
  }
  if (camera && c.drawMesh != nullptr) DrawRaster(*c.drawMesh, list, *c.out);
  if (shader != nullptr) shader->Unbind();
  window.ReadColor();
  WriteTiff(window.pixels.data(), layout::kRasterImage, window.h, window.w, *c.err);
}
