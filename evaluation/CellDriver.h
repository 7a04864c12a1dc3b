// "Subdivide Geometry": the terrain cut into the 3 x 3 image cells of its
// 45-degree view.
#pragma once

#include <iostream>
#include <string>

class ObjLoader;

// Projects every vertex of `source` with the double-precision camera in
// `viewFile` and writes the cell files into `folder`. False, with the
// camera reader's line, when the camera cannot be read.
bool SubdivideTerrain(const ObjLoader& source, const std::string& viewFile,
                      const std::string& folder, std::ostream& out, std::ostream& err);
