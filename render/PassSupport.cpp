#include "PassSupport.h"

#include <GL/gl.h>

#include "FrameBuffer.h"
#include "MeshDraw.h"
#include "PPC.h"
#include "cgShader.h"

namespace pass {

void LoadOnce(cgShader* shader, const char* file, const char* geometryEntry,
              const char* fragmentEntry, std::ostream& out) {
  if (shader == nullptr) return;
  shader->console = &out;
  if (!shader->loaded) shader->Load(file, geometryEntry, fragmentEntry);
}

void LoadVertexOnlyOnce(cgShader* shader, const char* file, std::ostream& out) {
  if (shader == nullptr) return;
  shader->console = &out;
  if (shader->loaded) return;
  shader->fileName = file;
  shader->sourceText.reset();
  shader->entries[cgShader::kVertex] = std::string("VertexMain");
  shader->entries[cgShader::kGeometry].reset();
  shader->entries[cgShader::kFragment].reset();
  shader->Compile();
}

bool SetCamera(const PassContext& c) {
  if (c.window == nullptr || c.window->camera == nullptr) return false;
  c.window->camera->SetGL();
  glViewport(0, 0, c.window->w, c.window->h);
  return true;
}

void Begin(float r, float g, float b, float a) {
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool BindWithMVP(cgShader* shader) {
  if (shader == nullptr) return false;
  shader->Bind();
  SetMVPParameter(shader->GetVertexParameter("modelViewProj"));
  return true;
}

bool DrawOwnColours(const PassContext& c, ObjLoader& mesh, IdMask mask) {
  if (c.drawForm != DrawForm::kOwnColours) return false;
  DrawColors(mesh, mask);
  return true;
}

ObjLoader* BeginSkyView(PassContext& c) {
  if (c.window == nullptr) return nullptr;
  ClearToSky();
  if (!SetCamera(c) || c.drawMesh == nullptr) return nullptr;
  return DrawOwnColours(c, *c.drawMesh, c.marks) ? nullptr : c.drawMesh;
}

void DrawLitColours(const PassContext& c, cgShader& shader, ObjLoader& mesh, IdMask mask) {
  mesh.lightDir = c.lightDirection;
  DrawColors(mesh, mask);
  shader.Unbind();
}

}  // namespace pass
