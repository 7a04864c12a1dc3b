// Planar pinhole camera: image-plane vectors a (one column to the right),
// b (one row down), corner (eye to the top-left image corner), the eye and
// the image size, with the GL arrays it was last applied with.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "GLProject.h"
#include "M33.h"
#include "Vex3.h"

// The largest image a camera file may ask for. Every run allocates per
// pixel of the view (the sample-location buffer alone holds about 320
// bytes a pixel before any sample is added), so a file may not ask for
// more than the machine holds: each side 1 to 16384, and at most
// 8,388,608 pixels (3840 x 2160 fits), about 2.7 GB of sample buffer.
constexpr int kMaxCameraSide = 16384;
constexpr int64_t kMaxCameraPixels = 8388608;
// Null when w x h is a size a camera may have, else what is wrong.
const char* CameraSizeProblem(int64_t w, int64_t h);

class PPC {
 public:
  Vex3_quarn a, b, corner, eye;
  int w = 1280, h = 720;
  float zNear = 1, zFar = 200;
  M33 invM;
  int viewport[4] = {0, 0, 0, 0};
  double modelView[16] = {};
  double projection[16] = {};

  // 45 degrees over the size the record holds; callers overwrite it whole.
  PPC();
  PPC(float hfovDegrees, int w, int h);

  void RebuildInverse();
  Vex3_quarn ViewDirection() const;
  float FocalLength() const;

  void SetFocalLength(float f);
  void Zoom(float k);
  void Resize(int newW, int newH);

  void PositionAndOrient(const Vex3_quarn& P, Vex3_quarn vd, Vex3_quarn up);
  void PlaceBefore(const Vex3_quarn& target, Vex3_quarn vd, Vex3_quarn up);
  void Pan(float deg);
  void Tilt(float deg);
  void Roll(float deg);
  void MoveForward(float s) { eye += ViewDirection() * s; }
  void MoveRight(float s) { eye += a.Normalized() * s; }
  void MoveDown(float s) { eye += b.Normalized() * s; }

  // The frustum and look-at arguments SetGL passes to GL, computed in
  // double; GL rounds them once.
  void FrustumArgs(double* halfW, double* halfH) const;
  void LookAtCentre(double centre[3]) const;
  // Model-view, projection and viewport exactly as glFrustum and gluLookAt
  // build them (Mesa builds them in float), without touching GL.
  void ComputeGLArrays(double mv[16], double pr[16], int vp[4]) const;
  // Applies the camera to the current GL context (CameraGL.cpp, in the GL
  // camera library).
  void SetGL() const;
  // Fills the cached arrays on the CPU; applies them to GL when a context
  // is current and the program uses GL (see SetCameraGLBinding).
  void SetGLAndCache();
  // SetGLAndCache, then one unit ray per pixel (entry y * w + x, rows from
  // the bottom) when a table is given.
  void ComputePixelRays(std::vector<float>* pixelRays);

  GLMatrices Matrices() const;
  Projector MakeProjector() const { return Projector(modelView, projection, viewport); }

  std::vector<PPC> Interpolate(const PPC& other, int n) const;
  std::vector<PPC> InterpolateTargets(const PPC& other, int n) const;

  // "Views/BufferPPC.ppc"; silent when the file cannot be written.
  bool Save() const;
  // "Views/" + name; a missing file leaves the camera unchanged.
  bool Load(const std::string& name, std::ostream& err = std::cerr);
  bool SaveToFile(const std::string& path) const;
  // A missing file returns false silently; a short one leaves the fields
  // it lacks as they were. A value no camera can have (a number that is
  // not finite, a size outside 1 to kMaxCameraSide or beyond
  // kMaxCameraPixels in all, not 0 < zNear < zFar, a singular image plane)
  // refuses the whole file with one line on `err` naming it and the value;
  // the camera is then unchanged.
  bool LoadFromFile(const std::string& path, std::ostream& err = std::cerr);

 private:
  void RotateAboutFrame(const M33& frame, float deg);
};

// How SetGLAndCache reaches GL. The camera core never calls GL itself, so
// that programs without a display link no GL; the GL camera library
// installs the binding (UseCameraGL, CameraGL.h) in programs that draw.
// Process-wide because the current GL context is.
using CameraGLBinding = void (*)(const PPC& camera);
void SetCameraGLBinding(CameraGLBinding binding);

// Track cameras i = 1..n from a pattern with one %d, each cached for GL.
std::vector<PPC> LoadTrack(const std::string& pattern, int n, std::ostream& err = std::cerr);
// Opens a file under the camera folder, matching the last path component
// without regard to letter case when the exact name does not exist.
std::string ResolveCameraPath(const std::string& path);
