// Helpers shared by the object-list scenes (Grass Field, Forest,
// Manhattan): the list writer with its counts, per-triangle colours for the
// stand-in images, and the stand-in files of a camera path.
#pragma once

#include <string>
#include <vector>

#include "GenContext.h"
#include "MeshText.h"

// Starts an object: remembers where its vertices and groups begin.
GenObject BeginObject(const GenMesh& m, const std::string& name);
void EndObject(const GenMesh& m, GenObject* o, std::vector<GenObject>* objects);

// Writes the list below `dir` (positions divided by `fileScale`) and
// records the counts under `label`.
void WriteListScene(GenContext& ctx, const std::string& label, const std::string& dir,
                    const GenMesh& m, const std::vector<GenObject>& objects, float fileScale);

// Per triangle id, its group's colour.
std::vector<Vex3_quarn> TriangleColors(const GenMesh& m);

// A view of the scene at half the camera's size (rows from the bottom):
// drawn whole, drawn with only the triangles a coarse raster saw, and the
// two error images (missed triangles red, background white).
struct StandInImages {
  int w = 0, h = 0;
  std::vector<uint32_t> full, fullError, step2, step2Error;
};
StandInImages RenderStandIns(const PPC& camera, const std::vector<Vex3_quarn>& positions,
                             const std::vector<uint32_t>& triangles,
                             const std::vector<Vex3_quarn>& colors);

// Stand-in images of a prepared result folder: "<dir>Step2.tif" drawn with
// the triangles a coarse raster saw, "<dir>Step2_error.tif" with the
// triangles it missed in red on white, and the same pair "31X31" for a fine
// raster (nothing missed).
void SaveProcessImages(GenContext& ctx, const std::string& dir, const PPC& camera,
                       const std::vector<Vex3_quarn>& positions,
                       const std::vector<uint32_t>& triangles,
                       const std::vector<Vex3_quarn>& colors);

// Per-step id lists "<pattern with %d>" for 40 steps of the camera path
// from a to b, and their union as a visible set at `unionPath`.
void SavePathSteps(GenContext& ctx, const std::string& pattern, const std::string& unionPath,
                   const PPC& a, const PPC& b, const std::vector<Vex3_quarn>& positions,
                   const std::vector<uint32_t>& triangles);
