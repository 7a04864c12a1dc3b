#include "ControlPanel.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Value_Input.H>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "Scene.h"
#include "SceneCatalogue.h"
#include "SceneNumbers.h"

namespace {

// Inputs accept any typed value; operations take it truncated, clamped to
// the int range so that a huge or NaN entry cannot overflow.
int ToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= double(INT_MAX)) return INT_MAX;
  if (v <= double(INT_MIN)) return INT_MIN;
  return int(v);
}

// The Scene the widget's panel acts on; null until it is published.
Scene* SceneOf(Fl_Widget* w) {
  ControlPanel* p = ControlPanel::Of(w);
  return p != nullptr ? p->scene : nullptr;
}

template <void (Scene::*Op)()>
void Call(Fl_Widget* w, void*) {
  if (Scene* scene = SceneOf(w)) (scene->*Op)();
}

template <int Settings::*Switch>
void OnSwitch(Fl_Widget* w, void*) {
  if (Scene* scene = SceneOf(w))
    scene->settings.*Switch = static_cast<Fl_Button*>(w)->value() ? 1 : 0;
}

void OnSceneSetup(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  ControlPanel* p = ControlPanel::Of(w);
  scene->SceneSetupPressed(ToInt(p->segmentInput->value()), ToInt(p->timeStampsInput->value()));
}

void OnSaveImage(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  const char* text = ControlPanel::Of(w)->fileInput->value();
  scene->SaveImagePressed(text != nullptr ? text : "");
}

void OnExit(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  std::exit(0);
}

// Radio callbacks act only on the button that became selected.
void OnSceneRadio(Fl_Widget* w, void* id) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr || static_cast<Fl_Button*>(w)->value() != 1) return;
  scene->settings.sceneId = int(reinterpret_cast<fl_intptr_t>(id));
}

void OnModeRadio(Fl_Widget* w, void* mode) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr || static_cast<Fl_Button*>(w)->value() != 1) return;
  scene->SetDrawingMode(int(reinterpret_cast<fl_intptr_t>(mode)));
}

void OnSetRenderingFactor(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  scene->SetRenderingFactor(ToInt(ControlPanel::Of(w)->samplingStepInput->value()));
}

// The terrain's ASL run takes its screen tile from "View ID" (column) and
// "Type ID" (row).
void TakeTile(Scene* scene, ControlPanel* p) {
  scene->settings.tileColumn = ToInt(p->viewIdInput->value());
  scene->settings.tileRow = ToInt(p->typeIdInput->value());
}

void OnAsl(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  TakeTile(scene, ControlPanel::Of(w));
  scene->Asl();
}

// The footage buttons take the panel's view and type numbers.
template <void (Scene::*Op)(int, int)>
void CallWithViewAndType(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  ControlPanel* p = ControlPanel::Of(w);
  (scene->*Op)(ToInt(p->viewIdInput->value()), ToInt(p->typeIdInput->value()));
}

void OnAslWithFactor(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  TakeTile(scene, ControlPanel::Of(w));
  scene->AslWithFactor(ControlPanel::Of(w)->aslFactorInput->value());
}

void OnLoadVisibility(Fl_Widget* w, void*) {
  Scene* scene = SceneOf(w);
  if (scene == nullptr) return;
  scene->LoadVisibility(ControlPanel::Of(w)->VisibilitySource());
}

Fl_Button* AddButton(int x, int y, int w, int h, const char* label, Fl_Callback* cb) {
  Fl_Button* b = new Fl_Button(x, y, w, h, label);
  b->callback(cb);
  return b;
}

Fl_Round_Button* AddRadio(int x, int y, int w, int h, const char* label, Fl_Callback* cb,
                          int data) {
  Fl_Round_Button* b = new Fl_Round_Button(x, y, w, h, label);
  b->type(FL_RADIO_BUTTON);
  b->down_box(FL_ROUND_DOWN_BOX);
  if (cb != nullptr) b->callback(cb, reinterpret_cast<void*>(fl_intptr_t(data)));
  return b;
}

Fl_Check_Button* AddCheck(int x, int y, int w, int h, const char* label, Fl_Callback* cb,
                          int initial) {
  Fl_Check_Button* b = new Fl_Check_Button(x, y, w, h, label);
  b->down_box(FL_DOWN_BOX);
  b->value(initial);
  b->callback(cb);
  return b;
}

Fl_Value_Input* AddValue(int x, int y, int w, int h, const char* label, double initial) {
  Fl_Value_Input* v = new Fl_Value_Input(x, y, w, h, label);
  v->value(initial);
  return v;
}

Fl_Group* AddFrame(int x, int y, int w, int h) {
  Fl_Group* g = new Fl_Group(x, y, w, h);
  g->box(FL_ENGRAVED_FRAME);
  return g;
}

}  // namespace

ControlPanel::ControlPanel() {
  // Creation order is the panel's tab order; keep it.
  window = std::make_unique<Fl_Double_Window>(831, 704, "GUI");
  window->user_data(this);

  AddButton(25, 60, 120, 40, "Scene Setup", OnSceneSetup);
  fileInput = new Fl_File_Input(490, 16, 265, 32);
  fileInput->value("images/HW1.tif");
  AddButton(660, 55, 120, 40, "Save Image", OnSaveImage);
  AddButton(505, 55, 130, 40, "Compare Accuracy", Call<&Scene::CompareRenderings>);
  AddButton(190, 175, 120, 40, "Play", Call<&Scene::Play>);
  timeStampsInput = AddValue(25, 22, 120, 26, "Total Time Stamps", 2);
  timeStampsInput->align(FL_ALIGN_TOP_LEFT);
  timeStampsInput->minimum(0);
  timeStampsInput->maximum(170);
  timeStampsInput->step(1);

  sceneGroup = AddFrame(15, 105, 140, 330);
  // One radio per catalogue entry, in the catalogue's order; the "Seg# "
  // input follows the radio of the segmented entry.
  for (const CatalogueEntry& e : Catalogue()) {
    Fl_Round_Button* radio =
        AddRadio(35, e.radioY, e.radioWidth, 15, e.label, OnSceneRadio, e.sceneId);
    if (e.initial) radio->value(1);
    if (e.segmented) {
      segmentInput = AddValue(75, 181, 45, 24, "Seg# ", 1);
      segmentInput->minimum(1);
      segmentInput->maximum(3);
      segmentInput->step(1);
    }
  }
  sceneGroup->end();

  AddButton(660, 110, 130, 65, "Exit", OnExit);
  AddButton(360, 115, 125, 50, "Save Present View", Call<&Scene::SaveView>);
  AddButton(505, 115, 125, 50, "Load Prev View", Call<&Scene::LoadView>);
  AddButton(190, 120, 120, 40, "GFB_DBG", Call<&Scene::GfbDbg>);
  AddButton(360, 365, 120, 40, "Cmp Log files", Call<&Scene::CompareLogs>);
  holdTrajectoryCheck = AddCheck(185, 15, 155, 40, "Switch Trajectory Holder",
                                 OnSwitch<&Settings::holdTrajectory>, 1);
  AddButton(190, 225, 120, 40, "control", Call<&Scene::ControlRun>);
  frustumCullingCheck =
      AddCheck(185, 45, 155, 40, "Switch Frustum Culling", OnSwitch<&Settings::frustumCulling>, 1);
  AddButton(360, 230, 120, 40, "ASL", OnAsl);
  AddButton(360, 285, 120, 40, "ASL Control", Call<&Scene::AslControl>);
  AddButton(360, 175, 120, 40, "ASL_truth", Call<&Scene::TruthRun>);
  AddButton(520, 365, 120, 40, "cmp Image", Call<&Scene::CompareImageSequences>);
  movingCameraCheck =
      AddCheck(185, 75, 155, 40, "Switch Moving/Static Cam", OnSwitch<&Settings::movingCamera>, 0);
  AddButton(510, 230, 120, 40, "ASL+GFB", Call<&Scene::CombinedRun>);
  AddButton(510, 285, 120, 40, "ASL+GFB control", Call<&Scene::CombinedControl>);
  AddButton(665, 185, 120, 40, "generate Img", Call<&Scene::CombinedImages>);
  AddButton(510, 175, 120, 40, "ASL+GFB truth", Call<&Scene::CombinedTruth>);
  AddButton(190, 280, 120, 40, "Play Visible triangles", Call<&Scene::PlayVisibleTriangles>);
  AddButton(665, 365, 120, 40, "Vis GFB", Call<&Scene::MovingBoxesDemoPressed>);
  AddButton(25, 590, 155, 45, "Set Rendering factor", OnSetRenderingFactor);
  samplingStepInput = AddValue(125, 556, 55, 24, "Sampling Step", 100);

  drawingModeGroup = AddFrame(20, 445, 290, 105);
  AddRadio(35, 465, 155, 15, "Point", OnModeRadio, render_mode::kPoints)->value(1);
  AddRadio(35, 485, 155, 15, "TID", OnModeRadio, render_mode::kTid);
  AddRadio(35, 505, 155, 15, "Filled", OnModeRadio, render_mode::kFilled);
  AddRadio(35, 525, 155, 15, "Filled(Software)", OnModeRadio, render_mode::kFilledSoftware);
  drawingModeGroup->end();

  AddButton(200, 590, 155, 45, "Subdivide Geometry", Call<&Scene::SubdivideGeometry>);
  AddButton(25, 645, 155, 45, "Convert Fileformat", Call<&Scene::ConvertFileformat>);

  visibilitySourceGroup = AddFrame(665, 555, 140, 120);
  visibilitySource[0] = AddRadio(675, 570, 64, 15, "Truth", nullptr, 0);
  visibilitySource[0]->value(1);
  visibilitySource[1] = AddRadio(675, 590, 64, 15, "ASL", nullptr, 1);
  visibilitySource[2] = AddRadio(675, 610, 64, 15, "Control", nullptr, 2);
  AddButton(675, 630, 105, 35, "Load Visibility", OnLoadVisibility);
  visibilitySourceGroup->end();

  AddButton(190, 365, 120, 40, "DBG", Call<&Scene::TwoDimensionalRunPressed>);
  AddButton(325, 415, 120, 40, "SWITCH!", Call<&Scene::SwitchTriangleLists>);
  AddButton(200, 645, 155, 45, "Merge Visibility", Call<&Scene::MergeVisibilityPressed>);
  AddButton(390, 565, 240, 50, "Make 2013 Footage!",
            CallWithViewAndType<&Scene::MakeFootagePressed>);
  viewIdInput = AddValue(445, 526, 30, 24, "View ID", 1);
  typeIdInput = AddValue(570, 526, 30, 24, "Type ID", 1);
  AddButton(665, 485, 120, 40, "ASL with Factor", OnAslWithFactor);
  aslFactorInput = AddValue(735, 451, 30, 24, "ASL factor", 1);
  AddButton(390, 625, 240, 50, "Evaluate Error 2013",
            CallWithViewAndType<&Scene::EvaluateFootageErrorPressed>);
  AddButton(460, 415, 120, 40, "Make Image!", Call<&Scene::MakeSeparatedImagesPressed>);
  AddButton(460, 465, 120, 40, "Make Frame Image!", Call<&Scene::MakeFrameImagePressed>);
  AddButton(325, 465, 120, 40, "Make Error Image!", Call<&Scene::MakeErrorImages>);
  window->end();
}

ControlPanel::~ControlPanel() = default;

int ControlPanel::VisibilitySource() const {
  for (int i = 0; i < 3; i++)
    if (visibilitySource[i]->value()) return i;
  return 0;
}

ControlPanel* ControlPanel::Of(Fl_Widget* widget) {
  Fl_Window* win = widget->window();
  return win != nullptr ? static_cast<ControlPanel*>(win->user_data()) : nullptr;
}

void ReportNotBuilt(std::ostream& out, const char* label) {
  out << "\"" << label << "\": not available in this build yet" << std::endl;
}
