// The still-frame references ASL is judged against ("ASL Control"):
// triangle ids rasterized in software at a multiple of the view's
// resolution, point ids on a 32x finer grid, and the pixel-centre pass.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "AslRun.h"
#include "SoftwareRaster.h"
#include "VisibleSet.h"

class ObjLoader;
class PPC;

// Band buffers of the fine rasters stay near this size (ids and depths).
constexpr size_t kReferenceBandBytes = size_t(128) << 20;

struct ReferenceReport {
  int32_t culled = 0;
  int32_t visible = 0;
  double seconds = 0;
  size_t bandBytes = 0;  // largest band buffers held at once
};

// Marks -1 in `flags` the triangles whose (p1 - p0) x (p2 - p1) normal
// faces the eye, culls against the camera's frustum, rasters every
// non-zero flag at `factor` band by band, then sets `flags` to the ids
// found, writes them as a visible set to `path` and copies them into
// `unionSet` (when given). The marked triangles stay drawn: they are the
// front faces of counter-clockwise meshes, and with the watertight raster
// and double depths a closed surface's far side wins no cell anyway.
ReferenceReport AslReference(const ObjLoader& mesh, PPC& camera, int factor,
                             std::vector<int32_t>& flags, VisibleSet* unionSet,
                             const std::string& path, std::ostream& out = std::cout,
                             size_t bandBytes = kReferenceBandBytes);

// Point reference: every flag set, spheres of radius r cast on the
// kParticleFine grid band by band, flags = points found, written to `path`
// and copied into `unionSet`.
ReferenceReport ParticleReference(const PointSetView& points, PPC& camera, float r,
                                  std::vector<int32_t>& flags, VisibleSet* unionSet,
                                  const std::string& path, std::ostream& out = std::cout,
                                  size_t bandBytes = kReferenceBandBytes);

// Pixel centres only: cull, Clear, resolve (each triangle's id as its
// colour), collect into the run's set; the visible ids go one per line
// into `textPath`. Then the buffer statistics on the error stream and the
// sample id image `imagePath` (none when empty). Returns the ids' number.
int32_t CentreSampleReference(const AslRunContext& run, const std::string& textPath,
                              const std::string& imagePath);
