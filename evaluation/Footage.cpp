#include "Footage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "ErrorImages.h"
#include "FlyThrough.h"
#include "Format.h"
#include "Frustum.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "SoftwareRaster.h"
#include "TiffIO.h"

namespace {

const char* const kFootageLabel = "Make 2013 Footage!";
const char* const kEvaluationLabel = "Evaluate Error 2013";

// The view, set and folder a request names, or why it cannot run.
struct FootageRequest {
  const FootageView* view = nullptr;
  std::string set, folder;
};

bool Resolve(const FootageScene& s, bool evaluation, FootageRequest* r) {
  const FootageMember& m = s.row->footage;
  const char* label = evaluation ? kEvaluationLabel : kFootageLabel;
  // Other scenes have no member: nothing happens.
  if (!RunsFor(m.datasets, s.dataset) || (evaluation && !m.evaluation)) return false;
  if (s.mesh == nullptr || s.flags == nullptr) {
    *s.out << "\"" << label << "\": no scene is set up; choose a scene and press \"Scene Setup\" first"
           << std::endl;
    return false;
  }
  r->view = FootageViewFor(m, s.view);
  if (r->view == nullptr) {
    *s.out << "\"" << label << "\": View ID " << s.view << " refused (must be 1 or 2)" << std::endl;
    return false;
  }
  if (s.type < 1 || s.type > 3) {
    *s.out << "\"" << label << "\": Type ID " << s.type
           << " refused (1 the step-2 result, 2 the step-3 result, 3 the truth)" << std::endl;
    return false;
  }
  const int t = s.type - 1;
  FileRef set = r->view->footageSet[t];
  if (evaluation && !r->view->evaluationSet[t].Empty()) set = r->view->evaluationSet[t];
  if (set.Empty()) {
    *s.out << "\"" << label << "\": view " << s.view << " of " << s.row->name
           << " has no stored set of type " << s.type << std::endl;
    return false;
  }
  r->set = set.Path();
  const char* folder = evaluation ? r->view->evaluationFolder[t] : r->view->footageFolder[t];
  r->folder = layout::ImageFolder(folder);
  return true;
}

// A missing set file refuses the request with one line: a fly-through of
// an empty set would only repeat the scene in red. So does a camera file
// that cannot be read; `camera` receives the one read.
bool FilesReadable(const FootageScene& s, const FootageRequest& r, PPC* camera) {
  if (std::FILE* f = std::fopen(r.set.c_str(), "rb")) {
    std::fclose(f);
  } else {
    *s.err << "ERROR: cannot read visible set " << r.set << std::endl;
    return false;
  }
  *camera = *s.viewCamera;
  if (camera->Load(r.view->camera, *s.err)) return true;
  *s.err << "ERROR: cannot read camera " << layout::CameraFile(r.view->camera) << std::endl;
  return false;
}

// Reads the set into `flags`, cleared first, and says how many ids it
// held. A malformed file is named by the reader and leaves the flags
// cleared.
void ReadSet(const std::string& path, std::vector<int32_t>* flags, std::ostream& out,
             std::ostream& err) {
  std::fill(flags->begin(), flags->end(), 0);
  const int32_t n = ReadVisibleSet(*flags, path, false, out, err);
  out << n << " loaded" << std::endl;
}

}  // namespace

int MakeFootage(const FootageScene& s) {
  FootageRequest r;
  PPC view;
  if (!Resolve(s, false, &r) || !FilesReadable(s, r, &view)) return -1;
  if (s.prepare) s.prepare();
  const FootageMember& m = s.row->footage;
  if (m.readsIntoVisibleSet) {
    s.sampleBuffer();
    s.visible->assign(s.flags->size(), 0);
    ReadSet(r.set, s.visible, *s.out, *s.err);
  } else {
    ReadSet(r.set, s.flags, *s.out, *s.err);
  }
  *s.viewCamera = view;
  s.setRenderMode(m.renderMode);
  s.showOnly(m.readsIntoVisibleSet ? *s.visible : *s.flags);

  int written = 0;
  FootagePath(*s.viewCamera, m.footageKeys).ForEach([&](int c, const PPC& camera) {
    int w = 0, h = 0;
    const uint32_t* pixels = s.renderFrame(camera, &w, &h);
    const std::string path = layout::Frame(r.folder, c);
    if (pixels == nullptr)
      *s.err << "ERROR: " << path << " not written: the view window could not be read" << std::endl;
    else if (WriteTiff(pixels, path, h, w, *s.err) != 1)
      *s.err << "ERROR: cannot write file: " << path << std::endl;
    else
      written++;
    return true;
  });
  *s.out << written << " frames written to " << r.folder << std::endl;
  return written;
}

FrameError CountFrameError(uint32_t* colour, int32_t* ids, double* depth, size_t pixels,
                           double clearDepth, const std::vector<int32_t>& flags,
                           VisibleSet* marks, std::vector<int32_t>* seenIds) {
  FrameError e;
  seenIds->clear();
  const size_t n = std::min(flags.size(), marks->size());
  for (size_t p = 0; p < pixels; p++) {
    const int32_t id = ids[p];
    if (id >= 0 && size_t(id) < n && (*marks)[size_t(id)] == 0) {
      (*marks)[size_t(id)] = 1;
      seenIds->push_back(id);
    }
    if (colour[p] == kErrorRed) e.red++;
    colour[p] = 0xffffffffu;
    ids[p] = -1;
    depth[p] = clearDepth;
  }
  // Only the triangles this frame marked are visited and cleared.
  for (int32_t id : *seenIds) {
    e.seen++;
    if (flags[size_t(id)] == 0) e.missing++;
    (*marks)[size_t(id)] = 0;
  }
  return e;
}

ErrorFrame::ErrorFrame(int width, int height)
    : w(width),
      h(height),
      pixels(size_t(width) * size_t(height)),
      colour(pixels, 0xffffffffu),
      ids(pixels, -1),
      depth(pixels, 1.0) {}

void ErrorFrame::Raster(PPC& camera, const int32_t* flags, const ObjLoader& mesh,
                        std::ostream& log) {
  FootageRaster(colour.data(), ids.data(), camera, depth.data(), flags, 0, mesh, log);
}

FrameError ErrorFrame::Count(const std::vector<int32_t>& flags, VisibleSet* marks,
                             std::vector<int32_t>* seenIds) {
  return CountFrameError(colour.data(), ids.data(), depth.data(), pixels, 1.0, flags, marks,
                         seenIds);
}

int EvaluateFootageError(const FootageScene& s) {
  FootageRequest r;
  PPC view;
  if (!Resolve(s, true, &r) || !FilesReadable(s, r, &view)) return -1;
  if (s.prepare) s.prepare();
  const FootageMember& m = s.row->footage;
  std::vector<int32_t>& flags = *s.flags;
  ReadSet(r.set, &flags, *s.out, *s.err);
  *s.viewCamera = view;
  if (s.showAll) s.showAll();

  // Cull against the frustum of the sample buffer's camera: culled
  // triangles are marked -1 and not rasterized.
  SampleLocationBuffer& buffer = s.sampleBuffer();
  const Frustum frustum = Frustum::FromMatrices(buffer.camera->Matrices());
  int32_t culled = 0;
  for (size_t id = 0; id < flags.size(); id++)
    if (!frustum.MayContain(s.mesh->TriangleBox(int32_t(id)))) {
      flags[id] = -1;
      culled++;
    }
  *s.out << "Culled out: " << culled << std::endl;

  // The buffers are made once and reset pixel by pixel after each frame.
  PPC camera = *s.viewCamera;
  ErrorFrame frame(camera.w, camera.h);
  std::vector<int32_t> seenIds;
  std::ofstream log(r.folder + "Log.txt");
  if (!log) *s.err << "ERROR: cannot write file: " << r.folder << "Log.txt" << std::endl;
  s.visible->assign(flags.size(), 0);

  using Clock = std::chrono::steady_clock;
  auto since = [](Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
  };
  FootageTiming timing;
  const int frames = EvaluationPath(*s.viewCamera, m.evaluationKeys).ForEach([&](int i, const PPC& key) {
    camera = key;
    Clock::time_point t0 = Clock::now();
    frame.Raster(camera, flags.data(), *s.mesh, *s.out);
    timing.raster += since(t0);
    t0 = Clock::now();
    if (WriteTiff(frame.colour.data(), layout::Frame(r.folder, i), frame.h, frame.w, *s.err) != 1)
      *s.err << "ERROR: cannot write file: " << layout::Frame(r.folder, i) << std::endl;
    timing.write += since(t0);
    if (s.showFrame) s.showFrame(frame.colour.data(), frame.w, frame.h);
    t0 = Clock::now();
    const FrameError e = frame.Count(flags, s.visible, &seenIds);
    log << "State #" << i << "," << e.red << "," << e.missing << "," << e.seen << std::endl;
    timing.count += since(t0);
    timing.frames++;
    return s.frameLimit < 0 || timing.frames < s.frameLimit;
  });
  if (s.timing) *s.timing = timing;
  return frames;
}
