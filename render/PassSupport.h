// Small steps the render passes share.
#pragma once

#include "RenderPasses.h"

class cgShader;

namespace pass {

// Loads the program the first time a pass needs it (a shader is compiled
// once per run, failed or not).
void LoadOnce(cgShader* shader, const char* file, const char* geometryEntry,
              const char* fragmentEntry);
// The same for a vertex-only triple.
void LoadVertexOnlyOnce(cgShader* shader, const char* file);

// The camera's GL set-up and a viewport of the window's size; false when
// the window has no camera.
bool SetCamera(const PassContext& c);
// Depth test on, alpha test and blending off, cleared to the colour.
void Begin(float r, float g, float b, float a);

}  // namespace pass
