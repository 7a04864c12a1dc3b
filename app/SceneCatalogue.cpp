#include "SceneCatalogue.h"

namespace {

using S = LoadScheme;
const CatalogueEntry kEntries[] = {
    {"Truck", 0, S::kStateMeshes, "Geometry/truck/state", "Truck_default.ppc", -1, 4},
    {"Truck_gfb", 10, S::kStateMeshes, "Geometry/truck/state", "Truck_default.ppc", -1, 4},
    {"Truck_gfb_step2", 11, S::kStateMeshes, "Geometry/truckGFB/state", "Truck_default.ppc", -1, 4},
    {"WTC 911", 1, S::kStateMeshes, "Geometry/wtc/Seg%d/wtc", "Final_views/WTC_neo_Reverse.ppc", 30010, 1},
    {"Easy Plane", 2, S::kStateMeshes, "Geometry/EasyPlane/state", "", 10113, 4},
    {"Moving Box", 3, S::kStateMeshes, "Geometry/MovingBoxes/state", "mb_default.ppc", 10113, 4},
    {"Triangle Pair", 4, S::kStateMeshes, "Geometry/TrianglePair/state", "", 10113, 4},
    {"Water Flow", 5, S::kPointStates, "Geometry/WaterFlow/state", "Final_views/Waterflow.ppc", 10116, 5},
    {"Fusion", 6, S::kPointStates, "Geometry/Fusion/state", "Final_views/Fusion.ppc", 10116, 5},
    {"RTI", 7, S::kObjectList, "Geometry/RTI/state", "Final_views/RTI_45Degree_view.ppc", 40000, 7},
    {"RTI_Subdivided", 71, S::kObjectList, "Geometry/RTI_subdivided/View2/Cell_%d_%d.rdd",
     "Final_views/RTI_45Degree_view.ppc", 40000, 71},
    {"Grass Field", 8, S::kObjectList, "Geometry/GrassField/", "Final_views/GrassField_higher.ppc", 10001, 8},
    {"Forest", 9, S::kObjectList, "Geometry/Forest/", "Final_views/Forest_final.ppc", 10001, 9},
    {"Manhattan", 100, S::kObjectList, "Geometry/Manhattan/", "Final_views/Manhattan_downtown.ppc", 10001, 100},
    {"Quarn Tree", 200, S::kObjectList, "Geometry/QUARNTree/tree1.bin", "", 10001, 0},
};

const WtcSegment kSegments[kWtcSegments] = {
    {93, 2, 0}, {57, 2, 0}, {66, 2, 0}, {75, 2, 0}, {84, 2, 0},
    {93, 2, 0}, {66, 28, 0}, {100, 2, 500}, {134, 2, 500}, {39, 2, 500},
};

}  // namespace

const CatalogueEntry* FindCatalogueEntry(int sceneId) {
  for (const CatalogueEntry& e : kEntries)
    if (e.sceneId == sceneId) return &e;
  return nullptr;
}

const CatalogueEntry* CatalogueBegin() { return kEntries; }
const CatalogueEntry* CatalogueEnd() { return kEntries + sizeof kEntries / sizeof kEntries[0]; }

const WtcSegment& WtcSegmentTable(int segment) { return kSegments[segment]; }
