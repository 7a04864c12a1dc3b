// Mesh files in the standard formats, written by the tests themselves (no
// stored samples): binary PLY, OBJ with v/vt/vn polygons and negative
// indices, GLB, and the workbench's own form of a scene (its state text
// and camera under the catalogue's names). Plus running the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ObjLoader.h"
#include "PPC.h"
#include "Vex3.h"

using Polygon = std::vector<uint32_t>;  // 0-based vertex numbers

struct PolyScene {
  std::vector<std::vector<Vex3_quarn>> states;  // positions per state
  std::vector<Polygon> faces;
};

// Slats (pentagons and quads) in front of a back sheet of quads, seen by
// SlatCamera; `steps` states, the slats moving sideways from one to the
// next by `shift` (0: standing still), the back sheet still.
PolyScene Slats(int steps, float shift);
// 160 x 120, 50 degrees, eye at the origin looking down -z, y up.
PPC SlatCamera();

// Each polygon fanned from its first corner, in face order.
std::vector<uint32_t> Fanned(const std::vector<Polygon>& faces);

void WritePlyBinary(const std::string& path, const std::vector<Vex3_quarn>& v,
                    const std::vector<Polygon>& faces);
// "o", "g", "usemtl", "s" lines and v/vt/vn corners; every other face
// names its corners by negative numbers.
void WriteObj(const std::string& path, const std::vector<Vex3_quarn>& v,
              const std::vector<Polygon>& faces);
// Triangles only (glTF has no polygons): the faces fanned.
void WriteGlb(const std::string& path, const std::vector<Vex3_quarn>& v,
              const std::vector<uint32_t>& triangles);

// The states as the workbench's own state text: "g solid", its usemtl
// line, 't' lines (positions with nine digits, which read back exactly).
void WriteWorkbenchText(const std::string& path, const ObjLoader& mesh);

struct CliResult {
  int status = -1;
  std::string out, err;
};
// Runs build/workbench-cli with `args` (a shell word list) in the current
// folder.
CliResult RunCli(const std::string& args);

std::vector<char> Bytes(const std::string& path);
bool Exists(const std::string& path);
// Names in a folder, sorted ("." and ".." left out); empty when missing.
std::vector<std::string> Listing(const std::string& dir);
