// "Subdivide Geometry": the loaded terrain into its nine image cells.
#include "CellDriver.h"
#include "ObjLoader.h"
#include "Scene.h"
#include "WorkLayout.h"

void Scene::SubdivideGeometry() {
  // Only the whole terrain is cut; its cells are what the subdivided entry
  // loads.
  if (loaded.Entry() == nullptr || !loaded.Entry()->wholeTerrain || loaded.baseMesh == nullptr ||
      loaded.baseMesh->positions.empty()) {
    *output << "\"Subdivide Geometry\": the terrain \"RTI\" is not set up; choose it and press "
               "\"Scene Setup\" first"
            << std::endl;
    return;
  }
  SubdivideTerrain(*loaded.baseMesh, layout::kCellView, layout::kCellFolder, *output, *errors);
}
