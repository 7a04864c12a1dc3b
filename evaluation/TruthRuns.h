// "ASL_truth" on the datasets with a member of their own: the grass
// field's fly-through of the whole scene, and the city's dense sampling of
// the interval between its two states. (The camera-path truths of the
// terrain and the forest are in PathTruth.h.)
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "FlyThrough.h"
#include "VisibleSet.h"

class ObjLoader;
class PPC;

// The grass field's keys: zoom 3.5, tilt -1, pans of 4 and tilts of 3;
// 200 frames for the first and the last segment, 150 for the six others.
KeyScheme GrassTruthKeys();
FlyThrough GrassTruthPath(const PPC& view);

// Renders every camera of the path (the callback shows the camera in the
// view window and writes the frame) into "Images/Truth/<i>.tif". Returns
// the frames rendered.
int GrassFieldTruth(const PPC& view, const std::function<void(const PPC&, const std::string&)>& render,
                    std::ostream& out);

// Moments of the dense sampling of one interval.
constexpr int kDenseTruthMoments = 1000;

// The triangles seen at pixel centres of `camera` at `moments` + 1 evenly
// spaced moments of [0, 1] while the mesh moves linearly from `first` to
// `second` (software raster, double depth), into `set` (one flag per
// triangle, cleared first). `moving` takes the positions; it shares the
// states' topology. Returns the number seen.
int32_t DenseTruth(const ObjLoader& first, const ObjLoader& second, ObjLoader* moving,
                   PPC camera, int moments, VisibleSet* set, std::ostream& out);
