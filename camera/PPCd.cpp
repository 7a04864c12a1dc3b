#include "PPCd.h"

#include "PPC.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>

bool PPCd::Load(const std::string& path, std::ostream& err) {
  std::ifstream in(path);
  if (!in) {
    err << "ERROR: could not open file: " << path << std::endl;
    return false;
  }
  // Read into a copy: a short or non-numeric file must not leave zeros or a
  // singular basis behind.
  PPCd next = *this;
  Vex3_quarnd* triples[5] = {&next.a, &next.b, &next.corner, &next.unused, &next.eye};
  for (Vex3_quarnd* t : triples) in >> t->x >> t->y >> t->z;
  in >> next.w >> next.h >> next.zNear >> next.zFar;
  if (!in) {
    err << "ERROR: bad camera file: " << path << std::endl;
    return false;
  }
  if (const char* problem = CameraSizeProblem(next.w, next.h)) {
    err << "ERROR: camera file " << path << ": size " << next.w << " x " << next.h << ": " << problem
        << std::endl;
    return false;
  }
  if (!(next.zNear > 0 && next.zNear < next.zFar)) {
    err << "ERROR: camera file " << path << ": near distance " << next.zNear << " and far distance "
        << next.zFar << " (they must satisfy 0 < near < far)" << std::endl;
    return false;
  }
  next.Rebuild();
  if (!next.invM.IsFinite()) {
    err << "ERROR: camera file " << path << " describes a singular image plane" << std::endl;
    return false;
  }
  *this = next;
  return true;
}

void PPCd::Rebuild() {
  invM = M33d::FromColumns(a, b, corner).Inverse();
  double f = corner.Dot(a.Cross(b).Normalized());
  sNear = f / zNear;
  sFar = f / zFar;
}

bool PPCd::Project(const Vex3_quarnd& P, double* u, double* v, double* s) const {
  Vex3_quarnd q = invM * (P - eye);
  double sc = 1.0 / q.z;
  if (sc > sNear || sc < sFar) return false;
  *u = q.x * sc;
  *v = q.y * sc;
  *s = sc;
  return true;
}

double PPCd::HFov() const {
  Vex3_quarnd ah = a.Normalized(), vh = a.Cross(b).Normalized();
  return std::atan(-corner.Dot(ah) / corner.Dot(vh)) * 114.59155902616465;
}

void PPCd::ChangeFov(double delta, std::ostream& err) {
  err << "INFO: old fov: " << HFov() << std::endl;
  double fov = HFov() + delta;
  if (fov < 1 || fov > 179) return;
  Vex3_quarnd ah = a.Normalized(), bh = b.Normalized(), vh = a.Cross(b).Normalized();
  double hw = -corner.Dot(ah), hv = -corner.Dot(bh);
  // The principal point stays; only the focal length changes.
  corner = vh * (hw / std::tan(fov * 0.017453292519943295 * 0.5)) - ah * hw - bh * hv;
  err << "INFO: new fov: " << fov << std::endl;
}

void PPCd::PositionAndOrient(const Vex3_quarnd& P, Vex3_quarnd vd, Vex3_quarnd up) {
  vd = vd.Normalized();
  up = up.Normalized();
  Vex3_quarnd aOld = a.Normalized(), bOld = b.Normalized(), vOld = a.Cross(b).Normalized();
  double cv = corner.Dot(vOld), ca = corner.Dot(aOld), cb = corner.Dot(bOld);
  a = vd.Cross(up).Normalized() * a.Length();
  b = vd.Cross(a).Normalized() * b.Length();
  corner = vd * cv + a.Normalized() * ca + b.Normalized() * cb;
  eye = P;
  Rebuild();
}

namespace {
double RandomUnit() { return double(std::rand() % 65536) / 65535.0; }
}  // namespace

void PPCd::RandomSubView(PPCd* out, std::ostream& err) const {
  *out = *this;
  double r = RandomUnit();
  out->ChangeFov(-HFov() * (0.55 + 0.25 * r), err);
  r = RandomUnit();
  int ku = std::rand() % (w / 2 > 0 ? w / 2 : 1);
  double u = r + ku + 0.25 * w;
  r = RandomUnit();
  int kv = std::rand() % (h / 2 > 0 ? h / 2 : 1);
  double v = r + kv + 0.25 * h;
  Vex3_quarnd vd = ((a * u + b * v + corner) * 10.0).Normalized();
  out->PositionAndOrient(eye, vd, -b);
}
