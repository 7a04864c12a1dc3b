// Double-precision pinhole camera with its own reader and a projection that
// rejects points nearer than zNear, farther than zFar or behind the eye.
#pragma once

#include <iostream>
#include <string>

#include "M33.h"
#include "Vex3.h"

class PPCd {
 public:
  Vex3_quarnd a, b, corner;
  M33d invM;
  Vex3_quarnd unused;  // present in the file, used by no operation
  Vex3_quarnd eye;
  int w = 0, h = 0;
  double zNear = 1, zFar = 1000;
  double sNear = 0, sFar = 0;  // projection bounds f / zNear and f / zFar

  // Reads whitespace-separated numbers from the full path. False, with one
  // line on `err` and the camera unchanged, when the file cannot be read,
  // is short, or asks for a size or near and far distances no camera can
  // have (the limits of PPC files, PPC.h).
  bool Load(const std::string& path, std::ostream& err = std::cerr);
  void Rebuild();
  // Pixel coordinates from the top-left corner, and s = f / depth.
  bool Project(const Vex3_quarnd& P, double* u, double* v, double* s) const;
  double HFov() const;
  // Prints the old and new field of view on `err`.
  void ChangeFov(double delta, std::ostream& err = std::cerr);
  void PositionAndOrient(const Vex3_quarnd& P, Vex3_quarnd vd, Vex3_quarnd up);
  // A narrower view looking at a random point of the central half.
  void RandomSubView(PPCd* out, std::ostream& err = std::cerr) const;
};
