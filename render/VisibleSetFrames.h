// Image series of a visible set: the mesh drawn in software with only the
// triangles of the set, from the view and a few views panned around it.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>

class ObjLoader;
class PPC;

// Writes `frames` TIFF frames "<prefix>%d.tif" (0, 1, ...), panning the
// view from -2 to +2 degrees; triangles whose `visible` entry is zero are
// left out, the rest are flat-lit over the sky colour. Returns the number
// of frames written.
int WriteVisibleSetFrames(const ObjLoader& mesh, const int32_t* visible, const PPC& view,
                          const std::string& prefix, int frames = 5,
                          std::ostream& out = std::cout);
