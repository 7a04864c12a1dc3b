// The complete still-frame ASL run in its forms: factor run, plain run,
// panorama over five cameras and the terrain run over all triangles. Each
// culls (except the terrain run), then runs three passes on the buffer:
// centre samples only, sample placement, and the final depth pass whose
// visible set is written.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "SampleLocationBuffer.h"
#include "VisibleSet.h"

class ObjLoader;
class PPC;

// The triangles a pass visits, in order, with their ids.
struct AslTriangles {
  std::vector<int32_t> ids;
  std::vector<Vex3_quarn> vertices;  // three per triangle
  size_t size() const { return ids.size(); }
};
// Ids 0..n-1 whose flag is non-zero (all when flags is null) and that exist
// in the mesh.
AslTriangles GatherLiveTriangles(const ObjLoader& mesh, const int32_t* flags, int32_t n);
// Every triangle of every group's whole list, ignoring live counts; the id
// is the running index over the groups.
AslTriangles GatherAllTriangles(const ObjLoader& mesh);

struct AslRunReport {
  int32_t culled = 0;
  double averageArea = 0;
  int32_t centreVisible = 0;  // triangles seen by the pixel centres alone
  int64_t samplesAdded = 0;
  int32_t visible = 0;
  double centreSeconds = 0, placementSeconds = 0, finalSeconds = 0;
};

// What every run works on. `flags` are the liveness flags (one per
// triangle), `visible` the run's set; `setIds` says how its file names the
// triangles (see WriteVisibleSet).
struct AslRunContext {
  SampleLocationBuffer* buffer = nullptr;
  const ObjLoader* mesh = nullptr;
  std::vector<int32_t>* flags = nullptr;
  VisibleSet* visible = nullptr;
  SetIds setIds = SetIds::kIndex;
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// The three passes over the triangles; the final set goes to `path` (no
// file when empty). With a tile (column 0..1, row 0..3) its statistics
// follow the placement pass instead of the whole buffer's.
AslRunReport AslPasses(const AslRunContext& run, const AslTriangles& triangles,
                       const std::string& path, const int* tile = nullptr);

// Cull against the buffer camera's frustum, report the mean projected area
// of the live triangles, run the passes, write `path`.
AslRunReport AslFactorRun(const AslRunContext& run, const std::string& path);
// Cull, then take the liveness flags from `overridePath` when that file
// exists (cleared first; none when empty), run the passes, write `path`.
AslRunReport AslPlainRun(const AslRunContext& run, const std::string& path,
                         const std::string& overridePath);
// One view of a panorama: its camera (a name below the camera folder) and
// the file its set goes to.
struct AslView {
  std::string camera;
  std::string output;
};
// For each view in order: its camera becomes the buffer (and raster)
// camera, all flags are set, then cull, run, write, Reset the buffer. A
// camera that cannot be read is reported on the error stream and its view
// skipped.
void AslPanoramaRun(const AslRunContext& run, const std::vector<AslView>& views, PPC* rasterCamera);
// Every triangle of the mesh, no culling; tile statistics after placement.
AslRunReport AslTerrainRun(const AslRunContext& run, const std::string& path, int tileColumn,
                           int tileRow);
