// The control panel: one window of buttons, radio buttons, check buttons
// and numeric inputs. Each button calls one operation of the Scene the
// panel acts on; a button whose operation is not built yet reports so.
#pragma once

#include <iosfwd>
#include <memory>

class Fl_Button;
class Fl_Check_Button;
class Fl_Double_Window;
class Fl_File_Input;
class Fl_Group;
class Fl_Round_Button;
class Fl_Value_Input;
class Fl_Widget;
class Scene;

class ControlPanel {
 public:
  ControlPanel();
  ~ControlPanel();
  ControlPanel(const ControlPanel&) = delete;
  ControlPanel& operator=(const ControlPanel&) = delete;

  std::unique_ptr<Fl_Double_Window> window;  // owns every widget below
  // The Scene the callbacks act on: null until the entry point publishes
  // it, and every callback does nothing while it is null.
  Scene* scene = nullptr;

  Fl_Value_Input* timeStampsInput = nullptr;  // "Total Time Stamps"
  Fl_Value_Input* segmentInput = nullptr;     // "Seg# "
  Fl_Value_Input* samplingStepInput = nullptr;
  Fl_Value_Input* viewIdInput = nullptr;
  Fl_Value_Input* typeIdInput = nullptr;
  Fl_Value_Input* aslFactorInput = nullptr;
  Fl_File_Input* fileInput = nullptr;  // read by "Save Image"

  Fl_Group* sceneGroup = nullptr;
  Fl_Group* drawingModeGroup = nullptr;
  Fl_Group* visibilitySourceGroup = nullptr;
  Fl_Round_Button* visibilitySource[3] = {nullptr, nullptr, nullptr};  // Truth, ASL, Control

  Fl_Check_Button* holdTrajectoryCheck = nullptr;
  Fl_Check_Button* frustumCullingCheck = nullptr;
  Fl_Check_Button* movingCameraCheck = nullptr;

  // The source index chosen in the visibility-source group.
  int VisibilitySource() const;
  // The panel a widget belongs to (through its window's user data).
  static ControlPanel* Of(Fl_Widget* widget);
};

// The line a button prints while its operation is not built:
// "\"<label>\": not available in this build yet".
void ReportNotBuilt(std::ostream& out, const char* label);
