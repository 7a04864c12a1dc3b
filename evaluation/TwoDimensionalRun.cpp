#include "TwoDimensionalRun.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>

#include "Footage.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "PPCd.h"
#include "SoftwareRaster.h"
#include "TiffIO.h"
#include "WorkLayout.h"

void PrintPlaneMenu(const PlaneMember& plane, std::ostream& out) {
  for (int i = 0; i < kPlaneChoices; i++) out << i << " - " << plane.choices[i].label << std::endl;
}

bool ReadPlaneChoice(std::istream& in, std::ostream& out, int* choice) {
  std::string word;
  if (!(in >> word)) {
    out << "\"DBG\": no mode number was typed; nothing is run" << std::endl;
    in.clear();
    return false;
  }
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  const bool digit = word.size() == 1 && word[0] >= '0' && word[0] < char('0' + kPlaneChoices);
  if (!digit) {
    out << "\"DBG\": mode \"" << word << "\" refused (must be 0 ... " << kPlaneChoices - 1
        << "); nothing is run" << std::endl;
    return false;
  }
  *choice = word[0] - '0';
  return true;
}

namespace {

// The float camera the raster projects through, at the buffers' size.
PPC RasterCamera(const PPCd& d, int w, int h) {
  PPC c;
  c.a = Vex3_quarn(float(d.a.x), float(d.a.y), float(d.a.z));
  c.b = Vex3_quarn(float(d.b.x), float(d.b.y), float(d.b.z));
  c.corner = Vex3_quarn(float(d.corner.x), float(d.corner.y), float(d.corner.z));
  c.eye = Vex3_quarn(float(d.eye.x), float(d.eye.y), float(d.eye.z));
  c.w = d.w;
  c.h = d.h;
  c.zNear = float(d.zNear);
  c.zFar = float(d.zFar);
  c.RebuildInverse();
  // A camera file of another size would raster past the buffers.
  if (c.w != w || c.h != h) c.Resize(w, h);
  return c;
}

}  // namespace

PlaneRunTotals TwoDimensionalRun(const PlaneRunScene& s, int choice) {
  PlaneRunTotals totals;
  totals.frames = -1;
  if (s.plane == nullptr || choice < 0 || choice >= kPlaneChoices) return totals;
  const PlaneChoice& c = s.plane->choices[choice];
  std::vector<int32_t>& flags = *s.flags;
  if (s.mesh == nullptr || flags.size() < size_t(s.mesh->IdCount()) || s.w <= 0 || s.h <= 0) {
    *s.out << "\"DBG\": no scene is set up; choose a scene and press \"Scene Setup\" first"
           << std::endl;
    return totals;
  }
  std::fill(flags.begin(), flags.end(), 0);
  const std::string setPath = c.set.Path();
  if (std::FILE* f = std::fopen(setPath.c_str(), "rb"))
    std::fclose(f);
  else
    *s.err << "ERROR: cannot read visible set " << setPath << std::endl;
  *s.out << ReadVisibleSet(flags, setPath, false, *s.out, *s.err) << " loaded" << std::endl;

  PPCd start;
  if (!start.Load(s.plane->rasterCamera.Path(), *s.err)) return totals;
  const std::string folder = layout::ImageFolder(c.folder);

  // Everything is allocated once; the frame loop only writes the images.
  const int w = s.w, h = s.h;
  ErrorFrame frame(w, h);
  std::vector<int32_t> seenIds;
  seenIds.reserve(flags.size());
  std::vector<uint8_t> seenAny(flags.size(), 0);
  s.visible->assign(flags.size(), 0);
  std::ofstream log(layout::SeriesLog(folder));
  if (!log) *s.err << "ERROR: cannot write file: " << layout::SeriesLog(folder) << std::endl;

  const PPC base = RasterCamera(start, w, h);
  const Vex3_quarn right = base.a.Normalized(), down = base.b.Normalized();
  totals.frames = 0;
  for (int f = 1; f < s.frames; f++) {
    PPC camera = base;
    const float d = float(kPlaneStepFactor * kPlaneCameraStep * f);
    camera.eye = base.eye + right * d + down * d;
    frame.Raster(camera, flags.data(), *s.mesh, *s.out);
    const std::string image = layout::Frame(folder, f);
    if (WriteTiff(frame.colour.data(), image, h, w, *s.err) != 1)
      *s.err << "ERROR: cannot write file: " << image << std::endl;
    if (s.showFrame) s.showFrame(frame.colour.data(), w, h);
    const FrameError e = frame.Count(flags, s.visible, &seenIds);
    for (int32_t id : seenIds) seenAny[size_t(id)] = 1;
    log << "State #" << f << "," << e.red << "," << e.missing << "," << e.seen << ";" << e.red
        << std::endl;
    *s.out << "\r" << f << "/" << s.frames - 1 << std::flush;
    totals.frames++;
  }
  *s.out << std::endl;
  for (size_t id = 0; id < seenAny.size(); id++)
    if (seenAny[id]) {
      totals.allVisible++;
      if (flags[id] == 0) totals.missing++;
    }
  log << "All states:" << std::endl;
  log << "missing:" << totals.missing << std::endl;
  log << "all visible:" << totals.allVisible << std::endl;
  return totals;
}
