#include "SceneCatalogue.h"

#include "WorkLayout.h"

namespace {

using S = LoadScheme;
using namespace dataset;
namespace rm = render_mode;
// In the order the panel creates the radio buttons.
// Per entry: label, id, scheme, data path, camera, render mode, id after
// setup, radio row and width; then the further files of some entries.
const CatalogueEntry kEntries[] = {
    {"Truck", kTruck, S::kStateMeshes, "truck/state", "Truck_default.ppc", -1, kPlainStates,
     105, 64},
    {"WTC 911", kWtc, S::kStateMeshes, "wtc/Seg%d/wtc", "Final_views/WTC_neo_Reverse.ppc",
     rm::kGrass, kWtc, 165, 90, "", "",
     {"Final_views/WTC_neo_outSide.ppc", "Final_views/WTC_neo_Reverse.ppc"}},
    {"Easy Plane", kEasyPlane, S::kStateMeshes, "EasyPlane/state", "", rm::kVisibleSet,
     kPlainStates, 210, 64},
    {"Moving Box", kMovingBox, S::kStateMeshes, "MovingBoxes/state", "mb_default.ppc",
     rm::kVisibleSet, kPlainStates, 230, 64, "", "mb_track_%d.ppc"},
    {"Triangle Pair", kTrianglePair, S::kStateMeshes, "TrianglePair/state", "", rm::kVisibleSet,
     kPlainStates, 250, 64},
    {"Truck_gfb", kTruckGfb, S::kStateMeshes, "truck/state", "Truck_default.ppc", -1,
     kPlainStates, 125, 95},
    {"Water Flow", kWaterFlow, S::kPointStates, "WaterFlow/state", "Final_views/Waterflow.ppc",
     rm::kPointFootage, kPoints, 270, 64, "", "", {"", ""}, "",
     "Water/Waterflow_asl_control_32.bin"},
    {"Truck_gfb_step2", kTruckGfbStep2, S::kStateMeshes, "truckGFB/state", "Truck_default.ppc", -1,
     kPlainStates, 145, 95},
    {"Fusion", kFusion, S::kPointStates, "Fusion/state", "Final_views/Fusion.ppc",
     rm::kPointFootage, kPoints, 290, 100, "", "", {"", ""}, "Fusion_default.ppc",
     "Fusion/Fusion_asl_control_32.bin"},
    {"RTI", kRti, S::kObjectList, "RTI/state", "Final_views/RTI_45Degree_view.ppc", rm::kPoints,
     kRti, 310, 100, "RTI/RTI.bin"},
    {"RTI_Subdivided", kRtiSubdivided, S::kObjectList, "RTI_subdivided/View2/Cell_%d_%d.rdd",
     "Final_views/RTI_45Degree_view.ppc", rm::kPoints, kRtiSubdivided, 330, 100, "",
     "RTI_track_v2_%d.ppc"},
    {"Grass Field", kGrassField, S::kObjectList, "GrassField/", "Final_views/GrassField_higher.ppc",
     rm::kShaded, kGrassField, 350, 100, "", "GrassField_track_%d.ppc"},
    {"Forest", kForest, S::kObjectList, "Forest/", "Final_views/Forest_final.ppc", rm::kShaded,
     kForest, 370, 100, "", "Forest_track_v3_%d.ppc"},
    {"Manhattan", kManhattan, S::kObjectList, "Manhattan/", "Final_views/Manhattan_downtown.ppc",
     rm::kShaded, kManhattan, 390, 100, "", "Manhattan_track%d.ppc"},
    {"Quarn Tree", kQuarnTree, S::kObjectList, "QUARNTree/tree1.bin", "", rm::kShaded, kOwnColours,
     410, 100},
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

std::string EntryDataPath(const CatalogueEntry& entry) {
  return layout::GeometryFile(entry.dataPath);
}

const CatalogueEntry* CatalogueBegin() { return kEntries; }
const CatalogueEntry* CatalogueEnd() { return kEntries + sizeof kEntries / sizeof kEntries[0]; }

const WtcSegment& WtcSegmentTable(int segment) { return kSegments[segment]; }
