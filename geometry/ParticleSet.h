// A vertex-only state of a point scene: `count` points, an optional second
// per-point array (colours, same length) and the glyph drawn for each
// point, a small sphere mesh made at construction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "Vex3.h"

class ParticleSet {
 public:
  int32_t count = 0;
  std::vector<Vex3_quarn> positions;
  std::vector<Vex3_quarn> colors;  // optional, one per point
  // Glyph: an icosahedron subdivided once onto the sphere of radius 0.1.
  std::vector<Vex3_quarn> glyphVertices;
  std::vector<uint32_t> glyphTriangles;  // three vertex numbers each

  ParticleSet();

  // The cache "%s.rdd" (int32 count, then the raw points) if it opens,
  // else the 'v' lines of the text at `path`, then writes the cache; the
  // coordinates are multiplied by 100 after either. A cache older than the
  // text, or whose count is not the text's, is rebuilt (one "INFO:" line).
  // False, with one error line on `err` naming the file and no points,
  // when neither can be read or the state holds no point.
  bool Load(const std::string& path, std::ostream& err = std::cerr);
  // positions = (1 - t) A + t B; colours likewise when both have them.
  void Interpolate(const ParticleSet& A, const ParticleSet& B, double t);
};

// Readers of the two forms, unscaled; false (with the error line) on a bad
// or truncated file.
bool ReadParticleCache(const char* data, size_t size, const std::string& fileName,
                       std::vector<Vex3_quarn>* points, std::ostream& err = std::cerr);
bool ReadParticleText(const char* data, size_t size, const std::string& fileName,
                      std::vector<Vex3_quarn>* points, std::ostream& err = std::cerr);
