// Panel operations that are not built yet. Each prints one line naming its
// button; whoever builds an operation moves it into its own file and deletes
// its stub here.
#include <iostream>

#include "Scene.h"

namespace {
void NotAvailable(const char* label) {
  std::cout << "\"" << label << "\": not available in this build yet" << std::endl;
}
}  // namespace

void Scene::CompareRenderings() { NotAvailable("Compare Accuracy"); }

void Scene::Play() { NotAvailable("Play"); }

void Scene::CompareLogs() { NotAvailable("Cmp Log files"); }

void Scene::ControlRun() { NotAvailable("control"); }

void Scene::TruthRun() { NotAvailable("ASL_truth"); }

void Scene::CompareImageSequences() { NotAvailable("cmp Image"); }

void Scene::CombinedRun() { NotAvailable("ASL+GFB"); }

void Scene::CombinedControl() { NotAvailable("ASL+GFB control"); }

void Scene::CombinedImages() { NotAvailable("generate Img"); }

void Scene::CombinedTruth() { NotAvailable("ASL+GFB truth"); }

void Scene::PlayVisibleTriangles() { NotAvailable("Play Visible triangles"); }

void Scene::MovingBoxesDemo() { NotAvailable("Vis GFB"); }

void Scene::SubdivideGeometry() { NotAvailable("Subdivide Geometry"); }

void Scene::ConvertFileformat() { NotAvailable("Convert Fileformat"); }

void Scene::LoadVisibility(int /*source*/) { NotAvailable("Load Visibility"); }

void Scene::TwoDimensionalRun() { NotAvailable("DBG"); }

void Scene::SwitchTriangleLists() { NotAvailable("SWITCH!"); }

void Scene::MergeVisibility() { NotAvailable("Merge Visibility"); }

void Scene::MakeFootage(int /*viewId*/, int /*typeId*/) { NotAvailable("Make 2013 Footage!"); }

void Scene::EvaluateFootageError(int /*viewId*/, int /*typeId*/) { NotAvailable("Evaluate Error 2013"); }

void Scene::MakeSeparatedImages() { NotAvailable("Make Image!"); }

void Scene::MakeFrameImage() { NotAvailable("Make Frame Image!"); }

void Scene::MakeErrorImages() { NotAvailable("Make Error Image!"); }
