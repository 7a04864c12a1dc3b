// Image series of a visible set: the mesh drawn in software with only the
// triangles of the set, from the view and a few views panned around it.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

class ObjLoader;
class PPC;

// Writes `frames` TIFF frames "<prefix>%d.tif" (0, 1, ...), panning the
// view from -2 to +2 degrees; triangles whose `visible` entry is zero (or
// missing) are left out, the rest are flat-lit over the sky colour. Returns
// the number of frames written.
int WriteVisibleSetFrames(const ObjLoader& mesh, const std::vector<int32_t>& visible,
                          const PPC& view,
                          const std::string& prefix, int frames = 5,
                          std::ostream& out = std::cout);
