// Splits a large mesh into the cells of a 3 x 3 image grid of one view:
// each cell gets a positions-only flagged binary mesh of the triangles
// with a vertex in it (a one-unit margin on every side, bounds inclusive)
// and a correspondence file naming each such triangle's source group.
// A triangle crossing a boundary goes to every cell one of its vertices
// lies in; vertices keep their source order within a cell.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

class ObjLoader;

// Image position of a source vertex, or none (behind the camera or
// outside its depth window): such a vertex lies in no cell, but is written
// to a cell whose kept triangle uses it.
struct CellImagePoint {
  float u = 0, v = 0;
  bool valid = false;
};

struct CellGrid {
  int32_t h[4] = {0, 535, 820, 1280};  // boundaries of the first image coordinate
  int32_t v[4] = {0, 235, 453, 720};   // of the second
};

struct CellResult {
  int row = 0, column = 0;
  int32_t triangles = 0, vertices = 0;
  bool written = false;  // both files are in place
};

// "%sRTI_%d_%d.bin" and "%sRTI_triangleCorrespondency_%d_%d.bin" (row,
// then column) in `directory`, for every column (outer) and row (inner).
// Prints the progress lines of each cell on `out`; a file that cannot be
// written is named on `err` and the other cells go on. Files are written
// under a temporary name and renamed, so none is left half-written.
std::vector<CellResult> SubdivideIntoCells(const ObjLoader& source,
                                           const std::vector<CellImagePoint>& image,
                                           const CellGrid& grid, const std::string& directory,
                                           std::ostream& out, std::ostream& err);
