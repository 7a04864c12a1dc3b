// The .ppc text format: a, b, corner, eye as three "%f" each, then
// "%i %i" for the size and "%f %f" for the near and far distances. Any
// white space separates the numbers.
#include <dirent.h>
#include <strings.h>

#include <cmath>
#include <cstdio>
#include <iostream>

#include "Format.h"
#include "PPC.h"
#include "WorkLayout.h"

std::string ResolveCameraPath(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    std::fclose(f);
    return path;
  }
  // "BufferPPC.ppc" and "bufferPPC.ppc" must reach one file on a file
  // system that tells letter case apart: match the name case-insensitively.
  size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string found = path;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (strcasecmp(e->d_name, name.c_str()) == 0) {
        found = (slash == std::string::npos ? std::string() : dir + "/") + e->d_name;
        break;
      }
    }
    closedir(d);
  }
  return found;
}

bool PPC::SaveToFile(const std::string& path) const {
  FILE* f = std::fopen(ResolveCameraPath(path).c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "%f %f %f\n", a.x, a.y, a.z);
  std::fprintf(f, "%f %f %f\n", b.x, b.y, b.z);
  std::fprintf(f, "%f %f %f\n", corner.x, corner.y, corner.z);
  std::fprintf(f, "%f %f %f\n", eye.x, eye.y, eye.z);
  std::fprintf(f, "%i %i\n", w, h);
  std::fprintf(f, "%f %f\n", zNear, zFar);
  std::fclose(f);
  return true;
}

bool PPC::Save() const { return SaveToFile(layout::CameraFile(layout::kSavedView)); }

namespace {
// One field at a time: a field that does not scan, or scans as NaN or
// infinity, keeps its old value and ends the reading.
bool ScanFloat(FILE* f, float* out) {
  float v;
  if (std::fscanf(f, " %f", &v) != 1 || !std::isfinite(v)) return false;
  *out = v;
  return true;
}
bool ScanSize(FILE* f, int* out) {
  int v;
  if (std::fscanf(f, " %i", &v) != 1 || v <= 0) return false;
  *out = v;
  return true;
}
}  // namespace

bool PPC::LoadFromFile(const std::string& path) {
  FILE* f = std::fopen(ResolveCameraPath(path).c_str(), "r");
  if (!f) return false;
  PPC next = *this;
  float* vectors[12] = {&next.a.x,      &next.a.y,      &next.a.z,      &next.b.x,
                        &next.b.y,      &next.b.z,      &next.corner.x, &next.corner.y,
                        &next.corner.z, &next.eye.x,    &next.eye.y,    &next.eye.z};
  bool ok = true;
  for (float* v : vectors)
    if (ok) ok = ScanFloat(f, v);
  if (ok) ok = ScanSize(f, &next.w);
  if (ok) ok = ScanSize(f, &next.h);
  if (ok) ok = ScanFloat(f, &next.zNear);
  if (ok) ok = ScanFloat(f, &next.zFar);
  std::fclose(f);
  next.RebuildInverse();
  if (!next.invM.IsFinite()) {
    std::cerr << "ERROR: camera file " << path
              << " describes a singular image plane; camera left unchanged" << std::endl;
    return false;
  }
  *this = next;
  return true;
}

bool PPC::Load(const std::string& name) { return LoadFromFile(layout::CameraFile(name)); }

std::vector<PPC> LoadTrack(const std::string& pattern, int n) {
  std::vector<PPC> track(n > 0 ? size_t(n) : 0);
  for (int i = 1; i <= n; i++) {
    track[i - 1].Load(Format(pattern.c_str(), i));
    track[i - 1].SetGLAndCache();
  }
  return track;
}
