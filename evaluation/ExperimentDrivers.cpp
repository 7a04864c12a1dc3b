#include "ExperimentDrivers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "Format.h"
#include "GLProject.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "TiffIO.h"
#include "WorkLayout.h"

namespace {

bool Readable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

}  // namespace

int MergeVisibility(const MergeMember& merge, VisibleSet* scratch, std::ostream& out,
                    std::ostream& err, int32_t entries) {
  if (merge.count <= 0) return -1;
  scratch->assign(size_t(std::max(entries, 0)), 0);
  int written = 0;
  for (int k = 0; k < 2; k++) {
    std::fill(scratch->begin(), scratch->end(), 0);
    for (int i = 1; i <= merge.count; i++) {
      const std::string path = Format(merge.parts[k].Path().c_str(), i);
      // A part that cannot be read adds nothing; the others still merge.
      if (!Readable(path)) {
        err << "ERROR: cannot read visible set " << path << std::endl;
        continue;
      }
      const int32_t n = ReadVisibleSet(*scratch, path, false, out, err);
      out << "Done with " << path << ": " << n << " ids" << std::endl;
    }
    const std::string target = merge.unions[k].Path();
    WriteVisibleSet(*scratch, target.c_str(), out, err);
    if (Readable(target))
      written++;
    else
      err << "ERROR: cannot write file: " << target << std::endl;
  }
  return written;
}

namespace {

const char* const kSeparatedLabel = "Make Image!";

// Reads set m of a kSets member into the flags (an unreadable file leaves
// them empty) and loads its camera.
void PrepareSet(const SeparatedScene& s, int m) {
  const SeparatedMember& sep = *s.member;
  const int i = m % sep.setCount;
  const std::string path = sep.sets[i].Path();
  std::fill(s.flags->begin(), s.flags->end(), 0);
  if (!Readable(path)) {
    *s.err << "ERROR: cannot read visible set " << path << std::endl;
  } else {
    *s.out << ReadVisibleSet(*s.flags, path, false, *s.out, *s.err) << " loaded" << std::endl;
  }
  const char* camera = sep.cameras[2 * i < sep.setCount ? 0 : 1];
  if (camera != nullptr && !s.viewCamera->Load(camera, *s.err))
    *s.err << "ERROR: cannot read camera " << layout::CameraFile(camera) << std::endl;
}

void Write(const uint32_t* colour, const std::string& path, int w, int h, std::ostream& err) {
  if (colour == nullptr || WriteTiff(colour, path, h, w, err) != 1)
    err << "ERROR: cannot write file: " << path << std::endl;
}

}  // namespace

SeparatedResult MakeSeparatedImages(const SeparatedScene& s) {
  SeparatedResult r;
  const SeparatedMember& sep = *s.member;
  const bool points = sep.form == SeparatedForm::kPoints;
  const size_t needed =
      points ? size_t(std::max(s.points.count, 0)) : s.mesh ? size_t(s.mesh->IdCount()) : 0;
  const bool ready = points ? s.points.points != nullptr : s.mesh != nullptr;
  if (!ready || s.flags == nullptr || s.flags->empty() || s.flags->size() < needed) {
    *s.out << "\"" << kSeparatedLabel
           << "\": no scene is set up; choose a scene and press \"Scene Setup\" first" << std::endl;
    return r;
  }
  const int m = *s.counter;
  if (sep.form == SeparatedForm::kSets && sep.setCount > 0) PrepareSet(s, m);

  // The view as the window draws it.
  int vw = 0, vh = 0;
  const uint32_t* view = s.renderView(&vw, &vh);
  Write(view, layout::SeparatedImage(m), vw, vh, *s.err);

  PPC camera = *s.viewCamera;
  const int w = camera.w, h = camera.h;
  ErrorFrame frame(w, h);
  std::ofstream log(layout::SeparatedLog(m));
  if (!log) *s.err << "ERROR: cannot write file: " << layout::SeparatedLog(m) << std::endl;

  if (s.showAll) s.showAll();
  // The seen marks live in a set of their own: the run's visible set is
  // what the tower's view draws, and a cleared one would leave the next
  // pair's view empty.
  VisibleSet marks(s.flags->size(), 0);
  if (points) {
    // The point raster keeps its own depth (0 empty).
    std::vector<float> pointDepth(frame.pixels, 0.0f);
    PointSetView p = s.points;
    p.mask = s.flags->data();
    ParticleMaskView(p, frame.colour.data(), frame.ids.data(), pointDepth.data(), camera,
                     s.pixelRays, s.radius, *s.out);
    *s.out << std::endl;
  } else {
    frame.Raster(camera, s.flags->data(), *s.mesh, *s.out);
  }
  Write(frame.colour.data(), layout::SeparatedErrorImage(m), w, h, *s.err);
  if (s.showFrame) s.showFrame(frame.colour.data(), w, h);
  *s.counter = m + 1;

  std::vector<int32_t> seenIds;
  r.counts = frame.Count(*s.flags, &marks, &seenIds);
  log << "Log: " << r.counts.red << "," << r.counts.missing << "," << r.counts.seen << std::endl;
  *s.out << "Image pair " << m << " written" << std::endl;
  r.image = m;
  return r;
}

std::array<Vex3_quarn, 4> FrameOutline(PPC saved, PPC view) {
  saved.SetGLAndCache();
  view.SetGLAndCache();
  const Projector from = saved.MakeProjector(), to = view.MakeProjector();
  const double corners[4][2] = {{0, 0},
                                {double(saved.w), 0},
                                {double(saved.w), double(saved.h)},
                                {0, double(saved.h)}};
  std::array<Vex3_quarn, 4> outline;
  for (int i = 0; i < 4; i++) {
    double x = 0, y = 0, z = 0, wx = 0, wy = 0, wz = 0;
    const bool ok = from.UnProject(corners[i][0], corners[i][1], 0, &x, &y, &z) &&
                    to.ClipW(x, y, z) > 0 && to.Project(x, y, z, &wx, &wy, &wz) &&
                    std::isfinite(wx) && std::isfinite(wy);
    if (!ok) {
      outline[size_t(i)] = Vex3_quarn(0, 0, -std::numeric_limits<float>::infinity());
      continue;
    }
    // Far outside the window a line is only its clipped part; bounded
    // coordinates keep the pixel loops in the int range.
    const double bound = 1e6;
    outline[size_t(i)] = Vex3_quarn(float(std::clamp(wx, -bound, bound)),
                                    float(std::clamp(wy, -bound, bound)), float(wz));
  }
  return outline;
}

void ForEachOutlineEdge(const std::array<Vex3_quarn, 4>& outline,
                        const std::function<void(const Vex3_quarn&, const Vex3_quarn&)>& line) {
  for (size_t i = 0; i < 4; i++) {
    const Vex3_quarn &a = outline[i], &b = outline[(i + 1) % 4];
    if (std::isfinite(a.z) && std::isfinite(b.z)) line(a, b);
  }
}
