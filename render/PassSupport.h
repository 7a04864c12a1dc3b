// Small steps the render passes share.
#pragma once

#include "RenderPasses.h"

class cgShader;

namespace pass {

// Loads the program the first time a pass needs it (a shader is compiled
// once per run, failed or not); its messages go to `out` from now on.
void LoadOnce(cgShader* shader, const char* file, const char* geometryEntry,
              const char* fragmentEntry, std::ostream& out);
// The same for a vertex-only triple.
void LoadVertexOnlyOnce(cgShader* shader, const char* file, std::ostream& out);

// The camera's GL set-up and a viewport of the window's size; false when
// the window has no camera.
bool SetCamera(const PassContext& c);
// Depth test on, alpha test and blending off, cleared to the colour.
void Begin(float r, float g, float b, float a);

// Binds the program and sets "modelViewProj" of its vertex stage; false
// when there is no program.
bool BindWithMVP(cgShader* shader);
// In the scenes without programs the mesh's own colours are the whole
// view: draws them under the pass's mask and returns true there.
bool DrawOwnColours(const PassContext& c, ObjLoader& mesh, IdMask mask);
// The opening of the sky-cleared footage views: the sky, the camera and
// DrawOwnColours under the marks. Returns drawMesh when the pass has more to draw, else
// null.
ObjLoader* BeginSkyView(PassContext& c);
// The mesh's colours under the bound footage program, lit from the
// context's light direction; unbinds the program.
void DrawLitColours(const PassContext& c, cgShader& shader, ObjLoader& mesh, IdMask mask);

}  // namespace pass
