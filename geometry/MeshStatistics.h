// Projected triangle areas of a mesh in one view: how hard the scene is
// for one-sample-per-pixel visibility.
#pragma once

#include <cstdint>
#include <iostream>

#include "GLProject.h"

class ObjLoader;

// Prints min, mean, share below 0.1 square pixels and median of the
// projected areas of the triangles with at least one vertex at window depth
// in [0, 1] (ids with a zero mask entry skipped) and returns the mean; 0
// and nothing printed when no triangle was measured.
double ProjectedAreaStatistics(const ObjLoader& mesh, const GLMatrices& view,
                               const int32_t* mask = nullptr, std::ostream& out = std::cout);
