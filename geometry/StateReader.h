// Reader of the state text files: 'v' vertex lines, then 'g' group lines
// (the kinds solid, shell, beams and cubes followed by their usemtl line)
// with 'f' quads and 't' triangles, vertex numbers counted from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string>

#include "ObjLoader.h"

// What a reading saw that explains a state without triangles: face lines
// that came before any group line count for nothing.
struct StateTextNotes {
  int64_t faceLines = 0;
  int64_t facesOutsideGroups = 0;
  int firstOutsideLine = 0;  // line number of the first of them
  int64_t objectLines = 0;   // "o" lines, which start no group
};

// Fills vertexCount, positions, groupCount, groupTriCount, groupMaterial,
// groupTriangles and triangleCount of `mesh` from the text, printing the
// quad diagnostics and the triangle total on `err`. A bad file gives one
// error line naming `fileName` and leaves the mesh released; the result is
// then false. A well-formed text may still hold no triangle: `notes` says
// why (WhyNoTriangle).
bool ReadStateText(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                   std::ostream& err = std::cerr, StateTextNotes* notes = nullptr);

// The same from the file at `path`.
bool ReadStateFile(ObjLoader& mesh, const std::string& path, std::ostream& err = std::cerr,
                   StateTextNotes* notes = nullptr);

// Why a state read as `mesh` holds no triangle, in words for a one-line
// refusal: no vertex, faces before any group line, no face line, or only
// degenerate faces.
std::string WhyNoTriangle(const ObjLoader& mesh, const StateTextNotes& notes);
