#include "CameraGL.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>

#include "PPC.h"

void PPC::SetGL() const {
  double hw, hh;
  FrustumArgs(&hw, &hh);
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-hw, hw, -hh, hh, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  double centre[3];
  LookAtCentre(centre);
  Vex3_quarn up = -b;
  gluLookAt(eye.x, eye.y, eye.z, centre[0], centre[1], centre[2], up.x, up.y, up.z);
}

void UseCameraGL() {
  SetCameraGLBinding([](const PPC& camera) {
    if (glXGetCurrentContext() != nullptr) camera.SetGL();
  });
}
