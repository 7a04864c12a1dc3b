// The .ppc text format: a, b, corner, eye as three "%f" each, then
// "%i %i" for the size and "%f %f" for the near and far distances. Any
// white space separates the numbers.
#include <dirent.h>
#include <strings.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

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

static_assert(kMaxCameraSide == 16384 && kMaxCameraPixels == 8388608, "the messages name the limits");

const char* CameraSizeProblem(int64_t w, int64_t h) {
  if (w < 1 || w > kMaxCameraSide || h < 1 || h > kMaxCameraSide) return "each side must be 1 to 16384 pixels";
  if (w * h > kMaxCameraPixels) return "at most 8388608 pixels in all";
  return nullptr;
}

namespace {
// One field at a time: a field that does not scan keeps its old value and
// ends the reading (a short file); one that scans to a value no camera can
// have refuses the file.
enum class Field { kRead, kMissing, kBad };
Field ScanFloat(FILE* f, float* out) {
  float v;
  if (std::fscanf(f, " %f", &v) != 1) return Field::kMissing;
  *out = v;
  return std::isfinite(v) ? Field::kRead : Field::kBad;
}
Field ScanSize(FILE* f, int* out) {
  int v;
  if (std::fscanf(f, " %i", &v) != 1) return Field::kMissing;
  *out = v;
  return v >= 1 && v <= kMaxCameraSide ? Field::kRead : Field::kBad;
}
}  // namespace

bool PPC::LoadFromFile(const std::string& path, std::ostream& err) {
  FILE* f = std::fopen(ResolveCameraPath(path).c_str(), "r");
  if (!f) return false;
  PPC next = *this;
  float* vectors[12] = {&next.a.x,      &next.a.y,      &next.a.z,      &next.b.x,
                        &next.b.y,      &next.b.z,      &next.corner.x, &next.corner.y,
                        &next.corner.z, &next.eye.x,    &next.eye.y,    &next.eye.z};
  static const char* const kNames[12] = {"a x",      "a y",      "a z",      "b x",
                                         "b y",      "b z",      "corner x", "corner y",
                                         "corner z", "eye x",    "eye y",    "eye z"};
  auto refuse = [&](const std::string& what) {
    err << "ERROR: camera file " << path << ": " << what << "; camera left unchanged" << std::endl;
    return false;
  };
  Field field = Field::kRead;
  int i = 0;
  for (; i < 12 && field == Field::kRead; i++) field = ScanFloat(f, vectors[i]);
  if (field == Field::kRead) field = ScanSize(f, &next.w), i = 12;
  if (field == Field::kRead) field = ScanSize(f, &next.h), i = 13;
  if (field == Field::kRead) field = ScanFloat(f, &next.zNear), i = 14;
  if (field == Field::kRead) field = ScanFloat(f, &next.zFar), i = 15;
  std::fclose(f);
  if (field == Field::kBad) {
    std::ostringstream what;
    if (i < 12) what << kNames[i - 1] << " is " << *vectors[i - 1] << " (numbers must be finite)";
    else if (i < 14) what << (i == 12 ? "width " : "height ") << (i == 12 ? next.w : next.h)
                          << " is outside 1 to " << kMaxCameraSide;
    else what << (i == 14 ? "near distance " : "far distance ") << (i == 14 ? next.zNear : next.zFar)
              << " is not a finite number";
    return refuse(what.str());
  }
  // The checks below hold for what the file left, read or kept.
  if (const char* problem = CameraSizeProblem(next.w, next.h))
    return refuse("size " + std::to_string(next.w) + " x " + std::to_string(next.h) + ": " + problem);
  if (!(next.zNear > 0 && next.zNear < next.zFar)) {
    std::ostringstream what;
    what << "near distance " << next.zNear << " and far distance " << next.zFar
         << " (they must satisfy 0 < near < far)";
    return refuse(what.str());
  }
  next.RebuildInverse();
  if (!next.invM.IsFinite()) return refuse("describes a singular image plane");
  *this = next;
  return true;
}

bool PPC::Load(const std::string& name, std::ostream& err) {
  return LoadFromFile(layout::CameraFile(name), err);
}

std::vector<PPC> LoadTrack(const std::string& pattern, int n, std::ostream& err) {
  std::vector<PPC> track(n > 0 ? size_t(n) : 0);
  for (int i = 1; i <= n; i++) {
    track[i - 1].Load(Format(pattern.c_str(), i), err);
    track[i - 1].SetGLAndCache();
  }
  return track;
}
