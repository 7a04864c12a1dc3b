#include "GenContext.h"

#include <cstdio>
#include <iostream>

#include "IdRaster.h"
#include "WorkLayout.h"

void GenContext::Fail(const std::string& what) {
  std::cerr << "ERROR: could not write " << Path(what) << std::endl;
  ok = false;
}

void GenContext::Record(const std::string& key, int vertices, int triangles) {
  if (manifest) manifest->counts[key] = {vertices, triangles};
}

void GenContext::SaveCamera(const std::string& name, const PPC& camera) {
  Check(camera.SaveToFile(Path(layout::CameraFile(name))), layout::CameraFile(name));
}

void GenContext::SaveCameraD(const std::string& rel, const PPC& c) {
  // a, b, corner, an unused triple, eye, size, near and far distances.
  FILE* f = std::fopen(Path(rel).c_str(), "w");
  if (!f) return Fail(rel);
  std::fprintf(f, "%.9g %.9g %.9g\n%.9g %.9g %.9g\n%.9g %.9g %.9g\n0 0 0\n%.9g %.9g %.9g\n",
               c.a.x, c.a.y, c.a.z, c.b.x, c.b.y, c.b.z, c.corner.x, c.corner.y, c.corner.z,
               c.eye.x, c.eye.y, c.eye.z);
  std::fprintf(f, "%d %d\n%.9g %.9g\n", c.w, c.h, c.zNear, c.zFar);
  Check(std::fclose(f) == 0, rel);
}

void GenContext::SaveText(const std::string& rel, const std::string& text) {
  FILE* f = std::fopen(Path(rel).c_str(), "w");
  if (!f) return Fail(rel);
  std::fwrite(text.data(), 1, text.size(), f);
  Check(std::fclose(f) == 0, rel);
}

PPC LookAt(const Vex3_quarn& eye, const Vex3_quarn& target, const Vex3_quarn& up, float zNear,
           float zFar) {
  PPC c(55.0f, 1280, 720);
  c.PositionAndOrient(eye, target - eye, up);
  c.zNear = zNear;
  c.zFar = zFar;
  return c;
}

void SaveViewSets(GenContext& ctx, const PPC& camera, const std::vector<Vex3_quarn>& positions,
                  const std::vector<uint32_t>& triangles, const std::vector<std::string>& coarse,
                  const std::vector<std::string>& medium, const std::vector<std::string>& fine) {
  const int n = int(triangles.size() / 3);
  const std::pair<const std::vector<std::string>*, float> levels[3] = {
      {&coarse, 0.25f}, {&medium, 0.5f}, {&fine, 1.0f}};
  for (const auto& [paths, scale] : levels) {
    if (paths->empty()) continue;
    std::vector<int32_t> flags = SeenFlags(RasterIds(camera, scale, positions, triangles), n);
    for (const std::string& p : *paths) ctx.SaveVisibleSet(p, flags);
  }
}
