#include "SceneCatalogue.h"

namespace {

using S = LoadScheme;
using namespace dataset;
namespace rm = render_mode;
// In the order the panel creates the radio buttons.
const CatalogueEntry kEntries[] = {
    {"Truck", kTruck, S::kStateMeshes, "Geometry/truck/state", "Truck_default.ppc", -1, kPlainStates, 105, 64},
    {"WTC 911", kWtc, S::kStateMeshes, "Geometry/wtc/Seg%d/wtc", "Final_views/WTC_neo_Reverse.ppc", rm::kGrass, kWtc, 165, 90},
    {"Easy Plane", kEasyPlane, S::kStateMeshes, "Geometry/EasyPlane/state", "", rm::kVisibleSet, kPlainStates, 210, 64},
    {"Moving Box", kMovingBox, S::kStateMeshes, "Geometry/MovingBoxes/state", "mb_default.ppc", rm::kVisibleSet, kPlainStates, 230, 64},
    {"Triangle Pair", kTrianglePair, S::kStateMeshes, "Geometry/TrianglePair/state", "", rm::kVisibleSet, kPlainStates, 250, 64},
    {"Truck_gfb", kTruckGfb, S::kStateMeshes, "Geometry/truck/state", "Truck_default.ppc", -1, kPlainStates, 125, 95},
    {"Water Flow", kWaterFlow, S::kPointStates, "Geometry/WaterFlow/state", "Final_views/Waterflow.ppc", rm::kPointFootage, kPoints, 270, 64},
    {"Truck_gfb_step2", kTruckGfbStep2, S::kStateMeshes, "Geometry/truckGFB/state", "Truck_default.ppc", -1, kPlainStates, 145, 95},
    {"Fusion", kFusion, S::kPointStates, "Geometry/Fusion/state", "Final_views/Fusion.ppc", rm::kPointFootage, kPoints, 290, 100},
    {"RTI", kRti, S::kObjectList, "Geometry/RTI/state", "Final_views/RTI_45Degree_view.ppc", rm::kPoints, kRti, 310, 100},
    {"RTI_Subdivided", kRtiSubdivided, S::kObjectList, "Geometry/RTI_subdivided/View2/Cell_%d_%d.rdd",
     "Final_views/RTI_45Degree_view.ppc", rm::kPoints, kRtiSubdivided, 330, 100},
    {"Grass Field", kGrassField, S::kObjectList, "Geometry/GrassField/", "Final_views/GrassField_higher.ppc", rm::kShaded, kGrassField, 350, 100},
    {"Forest", kForest, S::kObjectList, "Geometry/Forest/", "Final_views/Forest_final.ppc", rm::kShaded, kForest, 370, 100},
    {"Manhattan", kManhattan, S::kObjectList, "Geometry/Manhattan/", "Final_views/Manhattan_downtown.ppc", rm::kShaded, kManhattan, 390, 100},
    {"Quarn Tree", kQuarnTree, S::kObjectList, "Geometry/QUARNTree/tree1.bin", "", rm::kShaded, kOwnColours, 410, 100},
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
