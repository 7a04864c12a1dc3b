#include "TruthRuns.h"

#include <sstream>

#include "ObjLoader.h"
#include "PPC.h"
#include "SoftwareRaster.h"
#include "WorkLayout.h"

KeyScheme GrassTruthKeys() { return {3.5f, -1, 4, 3}; }

FlyThrough GrassTruthPath(const PPC& view) {
  return {KeyCameras(view, GrassTruthKeys()), {200, 150, 150, 150, 150, 150, 150, 200}};
}

int GrassFieldTruth(const PPC& view, const std::function<void(const PPC&, const std::string&)>& render,
                    std::ostream& out) {
  const std::string folder = layout::kTruthFrames;
  const int frames = GrassTruthPath(view).ForEach([&](int i, const PPC& camera) {
    render(camera, layout::Frame(folder, i));
    if (i % 100 == 0) out << "Done with " << i << std::endl;
    return true;
  });
  out << frames << " frames written to " << folder << std::endl;
  return frames;
}

int32_t DenseTruth(const ObjLoader& first, const ObjLoader& second, ObjLoader* moving,
                   PPC camera, int moments, VisibleSet* set, std::ostream& out) {
  set->assign(size_t(first.IdCount()), 0);
  camera.SetGLAndCache();
  const size_t pixels = size_t(camera.w) * size_t(camera.h);
  // One id and depth buffer for every moment.
  std::vector<int32_t> ids(pixels);
  std::vector<double> depth(pixels);
  std::ostringstream quiet;  // the raster's per-group progress, once per moment
  int32_t seen = 0;
  for (int k = 0; k <= moments; k++) {
    moving->InterpolatePositions(first, second, double(k) / moments);
    std::fill(ids.begin(), ids.end(), -1);
    std::fill(depth.begin(), depth.end(), 2.0);
    quiet.str("");
    TriangleRaster(*moving, ids.data(), camera, depth.data(), 1, nullptr, quiet);
    for (int32_t id : ids)
      if (id >= 0 && size_t(id) < set->size() && (*set)[size_t(id)] == 0) {
        (*set)[size_t(id)] = 1;
        seen++;
      }
    if (k % 100 == 0) out << "\r" << k << "/" << moments << " moments, " << seen << " seen" << std::flush;
  }
  out << std::endl;
  return seen;
}
