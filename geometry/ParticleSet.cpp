#include "ParticleSet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <utility>

#include "CacheFreshness.h"
#include "FileBytes.h"
#include "Format.h"
#include "TextScan.h"
#include "WorkLayout.h"

namespace {
constexpr size_t kMaxLine = 1023;
constexpr float kGlyphRadius = 0.1f;

bool Fail(std::ostream& err, const std::string& file, const char* what) {
  err << "ERROR: " << file << ": " << what << std::endl;
  return false;
}

bool Finite(const Vex3_quarn& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Icosahedron, each face split in four, vertices pushed onto the sphere.
void MakeGlyph(std::vector<Vex3_quarn>* vertices, std::vector<uint32_t>* triangles) {
  const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
  std::vector<Vex3_quarn> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                               {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  const uint32_t faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                 {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                 {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                 {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> middle;
  auto mid = [&](uint32_t a, uint32_t b) {
    auto key = std::minmax(a, b);
    auto it = middle.find(key);
    if (it != middle.end()) return it->second;
    v.push_back((v[a] + v[b]) * 0.5f);
    return middle[key] = uint32_t(v.size() - 1);
  };
  triangles->clear();
  for (const auto& f : faces) {
    uint32_t ab = mid(f[0], f[1]), bc = mid(f[1], f[2]), ca = mid(f[2], f[0]);
    const uint32_t split[4][3] = {{f[0], ab, ca}, {f[1], bc, ab}, {f[2], ca, bc}, {ab, bc, ca}};
    for (const auto& s : split) triangles->insert(triangles->end(), s, s + 3);
  }
  for (Vex3_quarn& p : v) p = p.Normalized() * kGlyphRadius;
  *vertices = std::move(v);
}
}  // namespace

ParticleSet::ParticleSet() { MakeGlyph(&glyphVertices, &glyphTriangles); }

bool ReadParticleCache(const char* data, size_t size, const std::string& fileName,
                       std::vector<Vex3_quarn>* points, std::ostream& err) {
  points->clear();
  ByteReader r(data, size);
  int32_t n = 0;
  if (!r.Read(&n) || n < 0 || uint64_t(r.Left()) != 12 * uint64_t(n))
    return Fail(err, fileName, "file size does not match its point count");
  points->resize(size_t(n));
  r.ReadArray(points->data(), size_t(n));
  for (const Vex3_quarn& p : *points)
    if (!Finite(p)) {
      points->clear();
      return Fail(err, fileName, "point coordinate is not a finite number");
    }
  return true;
}

bool ReadParticleText(const char* data, size_t size, const std::string& fileName,
                      std::vector<Vex3_quarn>* points, std::ostream& err) {
  points->clear();
  LineSplitter lines(data, size);
  const char *b, *e;
  while (lines.Next(&b, &e)) {
    if (size_t(e - b) > kMaxLine) {
      points->clear();
      err << "ERROR: " << fileName << ":" << lines.Number() << ": line longer than 1023 characters" << std::endl;
      return false;
    }
    if (b == e || *b != 'v') continue;
    Scan s(b + 1, e);
    Vex3_quarn p;
    if (!s.Float(&p.x) || !s.Float(&p.y) || !s.Float(&p.z) || !Finite(p)) {
      points->clear();
      err << "ERROR: " << fileName << ":" << lines.Number() << ": bad vertex line" << std::endl;
      return false;
    }
    points->push_back(p);
  }
  if (points->size() > size_t(INT32_MAX)) {
    points->clear();
    return Fail(err, fileName, "too many points");
  }
  return true;
}

bool ParticleSet::Load(const std::string& path, std::ostream& err) {
  count = 0;
  positions.clear();
  colors.clear();
  std::string cachePath = layout::CacheFile(path);
  std::vector<char> bytes;
  bool loaded = false;
  FileRead cache = ReadFileBytes(cachePath, &bytes);
  if (cache == FileRead::kOk) {
    // A cache older than its text, or with another number of points, or
    // none, is rebuilt from the text.
    TextLineCounts text;
    std::string stale;
    if (SourceIsNewer(path, cachePath)) {
      stale = " is older than " + path;
    } else if (ReadParticleCache(bytes.data(), bytes.size(), cachePath, &positions, err)) {
      loaded = true;
      if (CountTextLines(path, &text) && text.vertexLines != int64_t(positions.size()))
        stale = ": " + std::to_string(positions.size()) + " points, " + path + " has " +
                std::to_string(text.vertexLines);
      else if (positions.empty())
        stale = ": no point";
    }
    if (!stale.empty()) {
      err << "INFO: " << cachePath << stale << "; rebuilding it" << std::endl;
      loaded = false;
      positions.clear();
    }
  }
  if (!loaded) {
    switch (ReadFileBytes(path, &bytes)) {
      case FileRead::kOk:
        if (!ReadParticleText(bytes.data(), bytes.size(), path, &positions, err)) return false;
        break;
      case FileRead::kCannotOpen: return Fail(err, path, "cannot open file");
      case FileRead::kReadError: return Fail(err, path, "cannot read file");
    }
    // An empty state is refused and never cached.
    if (positions.empty()) return Fail(err, path, "no point to load: it has no \"v\" line (an empty state)");
    // The cache holds the values as read; the scale comes after.
    ByteWriter w;
    w.Put(int32_t(positions.size()));
    w.PutArray(positions.data(), positions.size());
    if (!WriteFileAtomically(cachePath, w.Bytes().data(), w.Bytes().size()))
      err << "ERROR: cannot write file: " << cachePath << std::endl;
  }
  for (Vex3_quarn& p : positions) p *= 100.0f;
  count = int32_t(positions.size());
  return true;
}

void ParticleSet::Interpolate(const ParticleSet& A, const ParticleSet& B, double t) {
  const float wa = float(1.0 - t), wb = float(t);
  auto blend = [&](const std::vector<Vex3_quarn>& a, const std::vector<Vex3_quarn>& b, std::vector<Vex3_quarn>* out) {
    // Points beyond the shorter state come from B.
    size_t n = b.size(), common = std::min(n, a.size());
    out->resize(n);
    for (size_t i = 0; i < common; i++) (*out)[i] = a[i] * wa + b[i] * wb;
    for (size_t i = common; i < n; i++) (*out)[i] = b[i];
  };
  blend(A.positions, B.positions, &positions);
  count = int32_t(positions.size());
  if (!A.colors.empty() && !B.colors.empty()) blend(A.colors, B.colors, &colors);
}
