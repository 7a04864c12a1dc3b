#include "PPC.h"

#include <cmath>

namespace {
// The constructor's degrees-to-radians factor uses this value of pi.
constexpr float kCameraPi = 3.14159f;
}  // namespace

PPC::PPC() {
  a = Vex3_quarn(1, 0, 0);
  b = Vex3_quarn(0, -1, 0);
  eye = Vex3_quarn(0, 0, 0);
  corner = Vex3_quarn(-w / 2.0f, h / 2.0f, -(w / 2.0f) / std::tan(0.39269876f));
  zNear = FocalLength();
  zFar = 200.0f * FocalLength();
  RebuildInverse();
}

PPC::PPC(float hfovDegrees, int w_, int h_) {
  w = w_;
  h = h_;
  a = Vex3_quarn(1, 0, 0);
  b = Vex3_quarn(0, -1, 0);
  eye = Vex3_quarn(0, 0, 0);
  float hfov = hfovDegrees * 0.5f / 180.0f * kCameraPi;
  corner = Vex3_quarn(-(w / 2.0f) * a.Length(), b.Length() * (h / 2.0f),
                      -(w / 2.0f) / std::tan(hfov) * a.Length());
  zNear = FocalLength();
  zFar = 200.0f * FocalLength();
  RebuildInverse();
}

void PPC::RebuildInverse() { invM = M33::FromColumns(a, b, corner).Inverse(); }

Vex3_quarn PPC::ViewDirection() const { return a.Cross(b).Normalized(); }

float PPC::FocalLength() const { return corner.Dot(ViewDirection()); }

void PPC::SetFocalLength(float f) {
  corner += ViewDirection() * (f - FocalLength());
  RebuildInverse();
}

void PPC::Zoom(float k) {
  corner += ViewDirection() * (FocalLength() * (k - 1.0f));
  RebuildInverse();
}

void PPC::Resize(int newW, int newH) {
  float rw = float(newW) / float(w), rh = float(newH) / float(h);
  float f = FocalLength() * (rh > rw ? rh : rw);
  corner = ViewDirection() * f - a * (newW * 0.5f) - b * (newH * 0.5f);
  w = newW;
  h = newH;
  RebuildInverse();
}

void PPC::PositionAndOrient(const Vex3_quarn& P, Vex3_quarn vd, Vex3_quarn up) {
  vd = vd.Normalized();
  up = up.Normalized();
  // The principal point's pixel, the focal length and the pixel sizes survive.
  float f = FocalLength();
  Vex3_quarn q = invM * (ViewDirection() * f);
  float pu = q.x / q.z, pv = q.y / q.z;
  a = vd.Cross(up).Normalized() * a.Length();
  b = vd.Cross(a).Normalized() * b.Length();
  corner = vd * f - a * pu - b * pv;
  eye = P;
  RebuildInverse();
}

void PPC::PlaceBefore(const Vex3_quarn& target, Vex3_quarn vd, Vex3_quarn up) {
  vd = vd.Normalized();
  up = up.Normalized();
  PositionAndOrient(target - vd * FocalLength(), vd, up);
}

// Rotation about the frame's second axis, brought into the camera's basis:
// M = F^-1 * R * F.
void PPC::RotateAboutFrame(const M33& frame, float deg) {
  M33 R = RotationMatrix("roty", deg);
  M33 M = frame.Inverse() * R * frame;
  a = M * a;
  b = M * b;
  corner = M * corner;
  RebuildInverse();
}

void PPC::Pan(float deg) {
  Vex3_quarn ah = a.Normalized(), bh = b.Normalized(), vh = ViewDirection();
  RotateAboutFrame(M33::FromRows(ah, -bh, -vh), deg);
}

void PPC::Tilt(float deg) {
  Vex3_quarn ah = a.Normalized(), bh = b.Normalized(), vh = ViewDirection();
  RotateAboutFrame(M33::FromRows(bh, ah, -vh), deg);
}

void PPC::Roll(float deg) {
  Vex3_quarn ah = a.Normalized(), bh = b.Normalized(), vh = ViewDirection();
  RotateAboutFrame(M33::FromRows(bh, -vh, ah), deg);
}

void PPC::FrustumArgs(double* halfW, double* halfH) const {
  // The distances between the near-plane points of the image corners, in
  // double: the eye cancels, leaving |a| w zNear / f and |b| h zNear / f.
  // Taken from float points they lost the near plane's scale against the
  // eye's coordinates when the near distance was small.
  const Vex3_quarnd ad(a), bd(b), cd(corner);
  const double s = double(zNear) / cd.Dot(ad.Cross(bd).Normalized());
  *halfW = ad.Length() * w * s / 2.0;
  *halfH = bd.Length() * h * s / 2.0;
}

void PPC::LookAtCentre(double centre[3]) const {
  // In double, so GL's float look-at basis is the one rounding of the view
  // direction, not of a centre rounded at the eye's magnitude.
  const Vex3_quarnd ad(a), bd(b), cd(corner);
  const Vex3_quarnd vd = ad.Cross(bd).Normalized();
  const Vex3_quarnd c = Vex3_quarnd(eye) + vd * cd.Dot(vd);
  centre[0] = c.x;
  centre[1] = c.y;
  centre[2] = c.z;
}

namespace {
// gluLookAt's helpers work in float.
void NormalizeF(float v[3]) {
  float r = float(std::sqrt(double(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])));
  if (r == 0.0f) return;
  v[0] /= r;
  v[1] /= r;
  v[2] /= r;
}
void CrossF(const float v1[3], const float v2[3], float r[3]) {
  r[0] = v1[1] * v2[2] - v1[2] * v2[1];
  r[1] = v1[2] * v2[0] - v1[0] * v2[2];
  r[2] = v1[0] * v2[1] - v1[1] * v2[0];
}
}  // namespace

void PPC::ComputeGLArrays(double mv[16], double pr[16], int vp[4]) const {
  vp[0] = 0;
  vp[1] = 0;
  vp[2] = w;
  vp[3] = h;

  // glFrustum(-W/2, W/2, -H/2, H/2, zNear, zFar), computed in float as the
  // GL implementation does, then multiplied into an identity (exact).
  double hw, hh;
  FrustumArgs(&hw, &hh);
  float left = float(-hw), right = float(hw), bottom = float(-hh), top = float(hh);
  float n = zNear, fa = zFar;
  float x = (2.0f * n) / (right - left);
  float y = (2.0f * n) / (top - bottom);
  float A = (right + left) / (right - left);
  float B = (top + bottom) / (top - bottom);
  float C = -(fa + n) / (fa - n);
  float D = -(2.0f * fa * n) / (fa - n);
  for (int i = 0; i < 16; i++) pr[i] = 0.0;
  pr[0] = x;
  pr[5] = y;
  pr[8] = A;
  pr[9] = B;
  pr[10] = C;
  pr[11] = -1.0;
  pr[14] = D;

  // gluLookAt(eye, eye + vd * f, -b): a float basis, then a float translate.
  double centre[3];
  LookAtCentre(centre);
  Vex3_quarn upv = -b;
  double ex = eye.x, ey = eye.y, ez = eye.z;
  float forward[3] = {float(centre[0] - ex), float(centre[1] - ey), float(centre[2] - ez)};
  float up[3] = {upv.x, upv.y, upv.z};
  float side[3];
  NormalizeF(forward);
  CrossF(forward, up, side);
  NormalizeF(side);
  CrossF(side, forward, up);
  float m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                 side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
  float tx = float(-ex), ty = float(-ey), tz = float(-ez);
  m[12] = m[0] * tx + m[4] * ty + m[8] * tz + m[12];
  m[13] = m[1] * tx + m[5] * ty + m[9] * tz + m[13];
  m[14] = m[2] * tx + m[6] * ty + m[10] * tz + m[14];
  m[15] = m[3] * tx + m[7] * ty + m[11] * tz + m[15];
  for (int i = 0; i < 16; i++) mv[i] = m[i];
}

namespace {
CameraGLBinding& Binding() {
  static CameraGLBinding binding = nullptr;
  return binding;
}
}  // namespace

void SetCameraGLBinding(CameraGLBinding binding) { Binding() = binding; }

void PPC::SetGLAndCache() {
  ComputeGLArrays(modelView, projection, viewport);
  if (Binding() != nullptr) Binding()(*this);
}

GLMatrices PPC::Matrices() const {
  GLMatrices m;
  for (int i = 0; i < 16; i++) {
    m.modelView[i] = modelView[i];
    m.projection[i] = projection[i];
  }
  for (int i = 0; i < 4; i++) m.viewport[i] = viewport[i];
  return m;
}

void PPC::ComputePixelRays(std::vector<float>* pixelRays) {
  SetGLAndCache();
  if (pixelRays == nullptr) return;
  pixelRays->assign(size_t(w) * size_t(h) * 3, 0.0f);
  Projector proj = MakeProjector();
  for (int x = 0; x < w; x++) {
    for (int y = 0; y < h; y++) {
      double px = 0, py = 0, pz = 0;
      proj.UnProject(x + 0.5, y + 0.5, 0.5, &px, &py, &pz);
      Vex3_quarnd d(px - eye.x, py - eye.y, pz - eye.z);
      Vex3_quarn r = Vex3_quarn(d).Normalized();
      float* out = pixelRays->data() + (size_t(y) * w + x) * 3;
      out[0] = r.x;
      out[1] = r.y;
      out[2] = r.z;
    }
  }
}

std::vector<PPC> PPC::Interpolate(const PPC& other, int n) const {
  std::vector<PPC> out;
  if (n <= 0) return out;
  float f0 = FocalLength(), f1 = other.FocalLength();
  Vex3_quarn up0 = (-b).Normalized(), up1 = (-other.b).Normalized();
  Vex3_quarn vd0 = ViewDirection(), vd1 = other.ViewDirection();
  for (int i = 0; i < n; i++) {
    // A one-camera path is this camera.
    double t = n > 1 ? double(i) / double(n - 1) : 0.0;
    float s = float(1.0 - t), u = float(t);
    PPC cam = *this;
    cam.SetFocalLength(s * f0 + u * f1);
    cam.PositionAndOrient(eye * s + other.eye * u, vd0 * s + vd1 * u, up0 * s + up1 * u);
    out.push_back(cam);
  }
  return out;
}

std::vector<PPC> PPC::InterpolateTargets(const PPC& other, int n) const {
  std::vector<PPC> out;
  if (n <= 0) return out;
  float f0 = FocalLength(), f1 = other.FocalLength();
  Vex3_quarn up0 = (-b).Normalized(), up1 = (-other.b).Normalized();
  Vex3_quarn T0 = eye + ViewDirection() * f0;
  Vex3_quarn T1 = other.eye + other.ViewDirection() * f1;
  for (int i = 0; i < n; i++) {
    double t = n > 1 ? double(i) / double(n - 1) : 0.0;
    float s = float(1.0 - t), u = float(t);
    PPC cam = *this;
    cam.SetFocalLength(float(f0 * std::pow(double(f1) / double(f0), t)));
    Vex3_quarn P = eye * s + other.eye * u;
    Vex3_quarn T = T0 * s + T1 * u;
    cam.PositionAndOrient(P, (T - P).Normalized(), up0 * s + up1 * u);
    out.push_back(cam);
  }
  return out;
}
