// The camera's side of GL: applying a PPC to the current context.
#pragma once

// From now on every PPC::SetGLAndCache also applies the camera when a GL
// context is current. The view window calls it when it is made; so do
// programs that give GL a context of their own.
void UseCameraGL();
