// Reader of the objects of an object list: "%s%s.obj" with v, vn, vt, f and
// usemtl lines (vertex numbers local to the object, from 1) and its
// material file "%s%s.mtl", whose entries are a name line and a
// "Color: r g b" line.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "Vex3.h"

using MaterialTable = std::unordered_map<std::string, Vex3_quarn>;

// Colour of a group whose material the material file does not define.
constexpr Vex3_quarn kUnknownMaterialColor{0.2f, 0.4f, 0.8f};

// Name -> colour; the first entry of a name counts. A file that cannot be
// opened leaves the table empty (true); a bad one gives an error line and
// false.
bool ReadMaterialTable(const std::string& path, MaterialTable* table, std::ostream& err = std::cerr);

// What the objects of a list add up to; vertex numbers are global.
struct ObjectAccumulator {
  std::vector<Vex3_quarn> positions;
  std::vector<Vex3_quarn> normals;  // one per position
  std::vector<float> texCoords;     // two per position
  std::vector<int32_t> groupCounts;
  std::vector<std::vector<uint32_t>> groupLists;
  std::vector<Vex3_quarn> groupColors;
};

// Appends the object `name` of `directory`. An object file that cannot be
// opened contributes nothing (true). A bad file (over-long line, a line
// that does not scan, a non-finite number, a vertex number outside the
// object) gives one error line naming it and false; the accumulator then
// holds a partial object and must be dropped.
bool ReadObject(const std::string& directory, const std::string& name, ObjectAccumulator* acc,
                std::ostream& err = std::cerr);
