#include "CellDriver.h"

#include "CellSubdivision.h"
#include "ObjLoader.h"
#include "PPCd.h"

bool SubdivideTerrain(const ObjLoader& source, const std::string& viewFile,
                      const std::string& folder, std::ostream& out, std::ostream& err) {
  PPCd camera;
  if (!camera.Load(viewFile, err)) return false;
  out << "I'm here_1!" << std::endl;
  // Image position of every vertex; none outside the camera's depth window.
  std::vector<CellImagePoint> image(source.positions.size());
  for (size_t i = 0; i < image.size(); i++) {
    double u, v, s;
    if (camera.Project(Vex3_quarnd(source.positions[i]), &u, &v, &s))
      image[i] = {float(u), float(v), true};
  }
  out << "I'm here_2!" << std::endl;
  SubdivideIntoCells(source, image, CellGrid(), folder, out, err);
  return true;
}
