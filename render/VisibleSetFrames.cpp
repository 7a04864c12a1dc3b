#include "VisibleSetFrames.h"

#include <cmath>
#include <vector>

#include "Format.h"
#include "GroupTriangles.h"
#include "PPC.h"
#include "SoftwareRaster.h"
#include "TiffIO.h"

namespace {
constexpr uint32_t kSky = 130u | (202u << 8) | (250u << 16) | 0xFF000000u;
}  // namespace

int WriteVisibleSetFrames(const ObjLoader& mesh, const std::vector<int32_t>& visible,
                          const PPC& view,
                          const std::string& prefix, int frames, std::ostream& out) {
  const int w = view.w, h = view.h;
  if (w <= 0 || h <= 0 || frames <= 0) return 0;
  const size_t n = size_t(w) * size_t(h);
  std::vector<uint32_t> colour(n);
  std::vector<int32_t> ids(n);
  std::vector<double> depth(n);
  int written = 0;
  for (int i = 0; i < frames; i++) {
    PPC cam = view;
    const float deg = frames > 1 ? -2.0f + 4.0f * float(i) / float(frames - 1) : 0.0f;
    cam.Pan(deg);
    cam.SetGLAndCache();
    const Projector proj = cam.MakeProjector();
    std::fill(colour.begin(), colour.end(), kSky);
    std::fill(ids.begin(), ids.end(), -1);
    std::fill(depth.begin(), depth.end(), 2.0);
    ForEachGroupTriangle(
        mesh,
        [&](int32_t g, int32_t, int32_t id, const Vex3_quarn v[3]) {
          if (id < 0 || size_t(id) >= visible.size() || visible[size_t(id)] == 0) return;
          Vex3_quarn c;
          if (mesh.groupColor && size_t(g) < mesh.groupColor.size()) {
            // Object lists: the group's colour, lit by the face normal.
            const Vex3_quarn n = (v[1] - v[0]).Cross(v[2] - v[0]).Normalized();
            c = mesh.groupColor[g] * (0.4f + 0.6f * std::fabs(n.Dot(mesh.lightDir)));
          } else {
            c = mesh.ColorAtPoint(1.0f / 3, 1.0f / 3, id);
          }
          RasterTriangle(colour.data(), ids.data(), proj, w, h, depth.data(),
                         PackColour(c.x, c.y, c.z), v, id);
        },
        [](int32_t) {});
    if (WriteTiff(colour.data(), Format("%s%d.tif", prefix.c_str(), i), h, w) == 1) written++;
  }
  out << written << " frames written to " << prefix << "\n";
  return written;
}
