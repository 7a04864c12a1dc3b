#include "SceneCatalogue.h"

#include "WorkLayout.h"

namespace {

using namespace dataset;
namespace rm = render_mode;
using Camera = FixedPose::Camera;
using Step = SetupStep;

CatalogueEntry Entry(const char* label, int id, int radioY, int radioWidth, LoadScheme scheme,
                     const char* dataPath) {
  CatalogueEntry e;
  e.label = label;
  e.sceneId = id;
  e.sceneIdAfter = id;
  e.radioY = radioY;
  e.radioWidth = radioWidth;
  e.scheme = scheme;
  e.dataPath = dataPath;
  return e;
}

FixedPose Pose(Camera camera, Vex3_quarn eye, Vex3_quarn direction, Vex3_quarn up) {
  FixedPose p;
  p.camera = camera;
  p.eye = eye;
  p.direction = direction;
  p.up = up;
  return p;
}

// In the order the panel creates the radio buttons.
std::vector<CatalogueEntry> BuildCatalogue() {
  std::vector<CatalogueEntry> c;
  using S = LoadScheme;

  // The state scenes without runs of their own leave the panel on "Triangle
  // Pair", so that a second press of "Scene Setup" loads that.
  CatalogueEntry truck = Entry("Truck", kTruck, 105, 64, S::kStateMeshes, "truck/state");
  truck.sceneIdAfter = kTrianglePair;
  truck.stamps = StampRule::kExactlyTwo;
  truck.fixedStates = 2;
  truck.loadShading = truck.shading = shading::kLitVertexColours;
  truck.cameraFile = "Truck_default.ppc";
  truck.cameraOptional = true;
  truck.pose = Pose(Camera::kKept, {200, -3700, 1500}, {700, 3700, -1300}, {0, 0, 1});
  truck.steps = {Step::kTrajectories, Step::kTriangleRecords};
  c.push_back(truck);

  CatalogueEntry tower = Entry("WTC 911", kWtc, 165, 90, S::kStateMeshes, "wtc/Seg%d/wtc");
  tower.segmented = true;
  tower.stateCount = StateCount::kSegment;
  tower.drawsFirstState = true;
  tower.repairReference = layout::kTowerReference;
  tower.cameraFile = "Final_views/WTC_neo_Reverse.ppc";
  tower.views[0] = "Final_views/WTC_neo_outSide.ppc";
  tower.views[1] = "Final_views/WTC_neo_Reverse.ppc";
  tower.renderMode = rm::kGrass;
  tower.steps = {Step::kTriangleColours, Step::kAllDrawFlags};
  tower.redrawsAfterSetup = true;
  c.push_back(tower);

  CatalogueEntry plane =
      Entry("Easy Plane", kEasyPlane, 210, 64, S::kStateMeshes, "EasyPlane/state");
  plane.sceneIdAfter = kTrianglePair;
  plane.fixedStates = 2;
  plane.pose = Pose(Camera::kViewSized, {0, -18, 12}, {0, 18, -11.5f}, {0, 0, 1});
  plane.zNear = 10;
  plane.zFar = 1000000;
  plane.renderMode = rm::kVisibleSet;
  plane.interpolation = 0.5;
  plane.steps = {Step::kLiftPlane, Step::kTrajectories};
  c.push_back(plane);

  CatalogueEntry boxes =
      Entry("Moving Box", kMovingBox, 230, 64, S::kStateMeshes, "MovingBoxes/state");
  boxes.sceneIdAfter = kTrianglePair;
  boxes.fixedStates = 20;
  boxes.loadShading = shading::kLitVertexColours;
  boxes.colourScheme = 1;
  boxes.cameraFile = "mb_default.ppc";
  boxes.cameraOptional = true;
  boxes.pose = Pose(Camera::kDefault, {0, -5200, 3400}, {0, 5200, -3400}, {0, 0, 1});
  boxes.zNear = 10;
  boxes.zFar = 100000;
  boxes.trackPattern = "mb_track_%d.ppc";
  boxes.trackCameras = 3;
  boxes.renderMode = rm::kVisibleSet;
  boxes.interpolation = 0.5;
  boxes.steps = {Step::kTriangleColours, Step::kLiveness, Step::kTrajectories};
  c.push_back(boxes);

  CatalogueEntry pair =
      Entry("Triangle Pair", kTrianglePair, 250, 64, S::kStateMeshes, "TrianglePair/state");
  pair.fixedStates = 2;
  pair.announcesLoad = true;
  pair.pose = Pose(Camera::kViewSized, {0, 0, 150}, {0, 0, -150}, {0, 1, 0});
  pair.pose.resize = true;
  pair.zNear = 1;
  pair.renderMode = rm::kVisibleSet;
  c.push_back(pair);

  CatalogueEntry truckGfb = Entry("Truck_gfb", kTruckGfb, 125, 95, S::kStateMeshes, "truck/state");
  truckGfb.initial = true;
  truckGfb.sceneIdAfter = kTrianglePair;
  truckGfb.stamps = StampRule::kTwoOrMore;
  truckGfb.stateCount = StateCount::kTimeStamps;
  truckGfb.firstFile = 40;
  truckGfb.loadShading = truckGfb.shading = shading::kLitVertexColours;
  truckGfb.cameraFile = "Truck_default.ppc";
  truckGfb.cameraStep = 100;
  truckGfb.steps = {Step::kLiveness, Step::kTriangleColours, Step::kTrajectories,
                    Step::kTriangleRecords};
  truckGfb.holdTrajectoryOff = true;

  // Both point scenes leave the panel on "Water Flow".
  CatalogueEntry water =
      Entry("Water Flow", kWaterFlow, 270, 64, S::kPointStates, "WaterFlow/state");
  water.stamps = StampRule::kTwoOrMore;
  water.cameraFile = "Final_views/Waterflow.ppc";
  water.renderMode = rm::kPointFootage;
  water.drawFile = 30;
  water.radius = 0.1;
  water.cameraStep = 1;
  water.interpolation = 0.5;
  water.flagsFile = "Water/Waterflow_asl_control_32.bin";
  water.drawForm = DrawForm::kPoints;

  // Every second file of the same animation; the drawn mesh is file
  // 40 + states - 1 all the same.
  CatalogueEntry step2 = truckGfb;
  step2.label = "Truck_gfb_step2";
  step2.sceneId = kTruckGfbStep2;
  step2.radioY = 145;
  step2.initial = false;
  step2.dataPath = "truckGFB/state";
  step2.stamps = StampRule::kFourOrMore;
  step2.stateCount = StateCount::kHalfTimeStamps;
  step2.fileStep = 2;
  step2.holdTrajectoryOff = false;

  CatalogueEntry fusion = water;
  fusion.label = "Fusion";
  fusion.sceneId = kFusion;
  fusion.sceneIdAfter = kWaterFlow;
  fusion.radioY = 290;
  fusion.radioWidth = 100;
  fusion.dataPath = "Fusion/state";
  fusion.cameraFile = "Final_views/Fusion.ppc";
  fusion.firstCamera = "Fusion_default.ppc";
  fusion.drawFile = 6;
  fusion.directionFile = 5;
  fusion.radius = 0.8;
  fusion.cameraStep = 0;
  fusion.flagsFile = "Fusion/Fusion_asl_control_32.bin";

  c.push_back(truckGfb);
  c.push_back(water);
  c.push_back(step2);
  c.push_back(fusion);

  CatalogueEntry terrain = Entry("RTI", kRti, 310, 100, S::kFlaggedMesh, "RTI/state");
  terrain.meshFile = "RTI/RTI.bin";
  terrain.printsGroupCount = true;
  terrain.assignsIds = false;
  terrain.cameraFile = "Final_views/RTI_45Degree_view.ppc";
  terrain.renderMode = rm::kPoints;
  terrain.viewNumber = 2;
  terrain.wholeTerrain = true;
  c.push_back(terrain);

  CatalogueEntry cell = Entry("RTI_Subdivided", kRtiSubdivided, 330, 100, S::kFlaggedMesh,
                              "RTI_subdivided/View2/Cell_%d_%d.rdd");
  cell.typedCell = true;
  cell.assignsIds = false;
  cell.cameraFile = "Final_views/RTI_45Degree_view.ppc";
  cell.trackPattern = "RTI_track_v2_%d.ppc";
  cell.movingDrawsFirstState = true;
  cell.renderMode = rm::kPoints;
  cell.viewNumber = 2;
  cell.cullingOff = true;
  cell.setIds = SetIds::kFirstGroupIds;
  c.push_back(cell);

  // The folders: object lists with a camera path, shown in the shaded mode.
  CatalogueEntry grass = Entry("Grass Field", kGrassField, 350, 100, S::kObjectList, "GrassField/");
  grass.loadShading = grass.shading = shading::kObjectList;
  grass.scale = 100;
  grass.halvesLastGroupColour = true;
  grass.notesOneState = true;
  grass.cameraFile = "Final_views/GrassField_higher.ppc";
  grass.trackPattern = "GrassField_track_%d.ppc";
  grass.renderMode = rm::kShaded;
  grass.keepsSetupCamera = true;
  grass.cameraStep = 1;
  grass.viewNumber = 1;
  grass.resetsCurrentState = true;
  grass.drawForm = DrawForm::kVegetation;
  c.push_back(grass);

  CatalogueEntry forest = Entry("Forest", kForest, 370, 100, S::kObjectList, "Forest/");
  forest.loadShading = forest.shading = shading::kObjectList;
  forest.cameraFile = "Final_views/Forest_final.ppc";
  forest.trackPattern = "Forest_track_v3_%d.ppc";
  forest.renderMode = rm::kShaded;
  forest.keepsSetupCamera = true;
  forest.cameraStep = 100;
  forest.cameraStepAfterRedraw = 200;
  forest.resetsCurrentState = true;
  forest.drawForm = DrawForm::kVegetation;
  c.push_back(forest);

  CatalogueEntry city = Entry("Manhattan", kManhattan, 390, 100, S::kObjectList, "Manhattan/");
  city.loadShading = city.shading = shading::kObjectList;
  city.randomGroupColours = true;
  city.baseHeights = true;
  city.printsBounds = true;
  city.zNear = 1;
  city.zFar = 1000000;
  city.cameraFile = "Final_views/Manhattan_downtown.ppc";
  city.trackPattern = "Manhattan_track%d.ppc";
  city.movingSamples = true;
  city.renderMode = rm::kShaded;
  city.keepsSetupCamera = true;
  city.cameraStep = 100;
  city.viewNumber = 1;
  city.resetsCurrentState = true;
  city.drawForm = DrawForm::kCity;
  c.push_back(city);

  // Drawn in its own colours; leaves the panel on "Truck".
  CatalogueEntry tree =
      Entry("Quarn Tree", kQuarnTree, 410, 100, S::kFlaggedMesh, "QUARNTree/tree1.bin");
  tree.sceneIdAfter = kTruck;
  tree.loadShading = tree.shading = shading::kLitVertexColours;
  tree.welds = true;
  tree.pose = Pose(Camera::kViewSized, {0, 0, 10}, {0, 0, -1}, {0, 1, 0});
  tree.pose.fromCentroid = true;
  tree.zNear = 1;
  tree.zFar = 10000;
  tree.renderMode = rm::kShaded;
  tree.keepsSetupCamera = true;
  tree.drawForm = DrawForm::kOwnColours;
  tree.setupDrawnThroughProgram = true;
  c.push_back(tree);
  return c;
}

const WtcSegment kSegments[kWtcSegments] = {
    {93, 2, 0}, {57, 2, 0}, {66, 2, 0}, {75, 2, 0}, {84, 2, 0},
    {93, 2, 0}, {66, 28, 0}, {100, 2, 500}, {134, 2, 500}, {39, 2, 500},
};

}  // namespace

const std::vector<CatalogueEntry>& Catalogue() {
  static const std::vector<CatalogueEntry> entries = BuildCatalogue();
  return entries;
}

const CatalogueEntry* FindCatalogueEntry(int sceneId) {
  for (const CatalogueEntry& e : Catalogue())
    if (e.sceneId == sceneId) return &e;
  return nullptr;
}

int InitialSceneId() {
  for (const CatalogueEntry& e : Catalogue())
    if (e.initial) return e.sceneId;
  return Catalogue().front().sceneId;
}

std::string EntryDataPath(const CatalogueEntry& entry) {
  return layout::GeometryFile(entry.dataPath);
}

const WtcSegment& WtcSegmentTable(int segment) { return kSegments[segment]; }
