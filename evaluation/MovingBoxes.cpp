#include "MovingBoxes.h"

#include "TiffIO.h"
#include "WorkLayout.h"

namespace {

Vex3_quarn Unproject(const Projector& p, double x, double y, double z) {
  double ox = 0, oy = 0, oz = 0;
  p.UnProject(x, y, z, &ox, &oy, &oz);
  return Vex3_quarn(float(ox), float(oy), float(oz));
}

}  // namespace

MovingBoxesDemo MakeMovingBoxesDemo(int w, int h) {
  MovingBoxesDemo demo;
  PPC& camera = demo.camera;
  camera = PPC(30, w, h);
  camera.PositionAndOrient({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
  camera.SetGLAndCache();
  const Projector p = camera.MakeProjector();
  // The window positions are those of a 1280-pixel-wide view.
  const double sx = w / 1280.0, y = -h / 3.0;
  const double row[5] = {160, 400, 640, 880, 1120};
  for (double x : row) {
    MovingBox b;
    b.start = b.end = Unproject(p, x * sx, y, 0.5);
    b.shape = Box({0, 0, 0}, {200, 500, 200});
    b.colour = kRowBoxColour;
    demo.boxes.push_back(b);
  }
  MovingBox passing;
  passing.start = Unproject(p, 160 * sx, y, 0.6);
  passing.end = Unproject(p, 1120 * sx, y, 0.6);
  passing.shape = Box({0, 0, 0}, {160, 400, 160});
  passing.colour = kPassingBoxColour;
  demo.boxes.push_back(passing);
  // The boxes lie below the view: it looks down onto them.
  camera.Tilt(-15);
  camera.SetGLAndCache();
  return demo;
}

void PlaceMovingBoxes(const MovingBoxesDemo& demo, int i, int frames,
                      std::vector<ColouredSurface>* drawn) {
  if (drawn->size() != demo.boxes.size()) {
    drawn->resize(demo.boxes.size());
    for (size_t k = 0; k < demo.boxes.size(); k++) {
      (*drawn)[k].mesh = demo.boxes[k].shape;
      (*drawn)[k].colour = demo.boxes[k].colour;
    }
  }
  const float t = frames > 1 ? float(i) / float(frames - 1) : 0.0f;
  for (size_t k = 0; k < demo.boxes.size(); k++) {
    const MovingBox& b = demo.boxes[k];
    const Vex3_quarn centre = b.start * (1 - t) + b.end * t;
    std::vector<Vex3_quarn>& p = (*drawn)[k].mesh.positions;
    for (size_t v = 0; v < p.size() && v < b.shape.positions.size(); v++)
      p[v] = b.shape.positions[v] + centre;
  }
}

int RunMovingBoxesDemo(const MovingBoxesDemo& demo, std::vector<ColouredSurface>* drawn,
                       const std::function<const uint32_t*(int* w, int* h)>& renderFrame,
                       std::ostream& out, std::ostream& err, int frames) {
  int written = 0;
  for (int i = 0; i < frames; i++) {
    PlaceMovingBoxes(demo, i, frames, drawn);
    int w = 0, h = 0;
    const uint32_t* pixels = renderFrame(&w, &h);
    const std::string path = layout::MovingBoxesFrame(i);
    if (pixels != nullptr && WriteTiff(pixels, path, h, w, err) == 1)
      written++;
    else
      err << "ERROR: cannot write file: " << path << std::endl;
    out << "\r" << i + 1 << "/" << frames << std::flush;
  }
  out << std::endl << written << " frames written to " << layout::ImageFolder("MB_demo") << std::endl;
  return written;
}
