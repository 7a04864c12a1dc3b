// The one object that owns every mesh, camera, shader, window and work
// buffer of the workbench, and the operations the control panel triggers.
// What it owns is split into four parts with one job each (SceneParts.h):
// `loaded` (what Scene Setup loaded), `views` (cameras, the view window and
// what it draws), `buffers` (what the runs compute into) and `settings`
// (the panel's switches and values). Each group of operations lives in its
// own file:
//   Scene.cpp          construction
//   ScenePanelOps.cpp  the panel's own settings (modes, factor, image, exit)
//   SceneRender.cpp    the view window's render dispatcher
//   SceneViews.cpp     saved views
//   SceneAsl.cpp, SceneGfb.cpp  the visibility buttons (drivers in evaluation/)
//   SceneCells.cpp     the terrain's cell subdivision
//   ScenePlayback.cpp  playback, the replay of interval tables, "SWITCH!"
//   SceneTruth.cpp     the camera-path truth and the terrain's tools
//   SceneCompare.cpp   the comparisons of logs and images
//   SceneControl.cpp   the two-end reference "control"
//   SceneFootage.cpp   the footage of stored sets and its error evaluation
//   ScenePointScenes.cpp  the point scenes' sphere runs and their images
//   SceneExperiments.cpp  merges, separated and frame images, the moving
//                         boxes and the two-dimensional run
//   SceneSetup.cpp and Setup*.cpp  Scene Setup, by loading scheme
// A button whose operation is not built has no method here: the panel
// reports it (ReportNotBuilt). Each new operation goes into the library of
// its subsystem; its Scene method only unpacks the parts and calls it.
#pragma once

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "SceneParts.h"

class ControlPanel;
struct AslButtonScene;
struct FootageScene;
struct TruthMember;
struct PointSceneExperiment;

class Scene {
 public:
  Scene();
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // The panel is built first and goes last.
  std::unique_ptr<ControlPanel> controlPanel;
  LoadedScene loaded;
  SceneViews views;
  RunBuffers buffers;
  Settings settings;

  // The console (step bounds, cell numbers and modes in; reports and
  // progress of the drawing and the runs out); tests replace them.
  std::istream* input = &std::cin;
  std::ostream* output = &std::cout;
  std::ostream* errors = &std::cerr;

  // --- Render dispatcher (SceneRender.cpp): the view window's draw.
  void Render(FrameBuffer& window);
  void DrawSky();
  // What the passes read and write of this scene, for a draw of `window`.
  PassContext MakePassContext(FrameBuffer& window);

  // --- Panel settings (ScenePanelOps.cpp)
  void SetDrawingMode(int renderMode);
  // Refuses a value below 1 with a console line and keeps the factor.
  void SetRenderingFactor(int factor);
  // Saves the view as "<text>_Edged.tif".
  void SaveImagePressed(const std::string& fileInputText);
  void SceneSetupPressed(int segment, int timeStamps);
  // Redraw the view window and process pending events once.
  void RedrawView();

  // --- Saved views (SceneViews.cpp)
  void SaveView();
  void LoadView();

  // --- Still-frame runs (SceneAsl.cpp)
  void Asl();                         // "ASL"
  void AslWithFactor(double factor);  // "ASL with Factor"
  void AslControl();                  // "ASL Control"
  // The sample buffer, created at the view's size times `factor` on first
  // use; every call gives it the view camera.
  SampleLocationBuffer& SampleBuffer(double factor = 1);
  // False, with a line naming the button, when no scene is set up.
  bool AslSceneReady(const char* label);
  // What the still-frame drivers take of this scene.
  AslButtonScene AslScene();
  void ShowVisibleSet();

  // --- Scene Setup (SceneSetup.cpp and the Setup*.cpp files)
  void SceneSetup(int timeStamps);

  // --- Interval runs (SceneGfb.cpp)
  void GfbDbg();  // "GFB_DBG"

  // --- Comparisons of results (SceneCompare.cpp)
  void CompareLogs();            // "Cmp Log files"
  void CompareRenderings();      // "Compare Accuracy"
  void CompareImageSequences();  // "cmp Image"
  void MakeErrorImages();        // "Make Error Image!"

  // --- The point scenes' sphere runs and their images (ScenePointScenes.cpp)
  void PointSceneGfb();    // "GFB_DBG" on the point scenes
  void CombinedRun();      // "ASL+GFB"
  void CombinedControl();  // "ASL+GFB control"
  void CombinedTruth();    // "ASL+GFB truth"
  void CombinedImages();   // "generate Img"
  void PlayPointSceneReplay();  // "Play Visible triangles" on the point scenes
  // False, with a line naming the button, unless a point scene is set up.
  bool PointSceneReady(const char* label);
  // What the point-scene drivers take of this scene; the sample buffer and
  // the run log only when the driver samples (`sampling`), so that the
  // members that only read stored tables change nothing when they refuse.
  PointSceneExperiment PointExperiment(const PPC& view, bool sampling = true);

  // --- The two-end reference (SceneControl.cpp)
  void ControlRun();  // "control"

  // --- Footage of stored sets (SceneFootage.cpp)
  void MakeFootagePressed(int view, int type);           // "Make 2013 Footage!"
  void EvaluateFootageErrorPressed(int view, int type);  // "Evaluate Error 2013"
  FootageScene MakeFootageScene(int view, int type, bool evaluation);

  // --- Experiment drivers (SceneExperiments.cpp)
  void MergeVisibilityPressed();      // "Merge Visibility"
  void MakeSeparatedImagesPressed();  // "Make Image!"
  void MakeFrameImagePressed();       // "Make Frame Image!"
  void MovingBoxesDemoPressed();      // "Vis GFB"
  void TwoDimensionalRunPressed();    // "DBG"
  // Shows a software frame of the window's size in the view window.
  void ShowSoftwareFrame(const uint32_t* colour, int w, int h);

  // --- Cell subdivision of the terrain (SceneCells.cpp)
  void SubdivideGeometry();  // "Subdivide Geometry"

  // --- Playback (ScenePlayback.cpp)
  void Play();                  // "Play"
  void PlayVisibleTriangles();  // "Play Visible triangles"
  void SwitchTriangleLists();   // "SWITCH!"
  // The replay of an interval table (the generic form of "Play Visible
  // triangles", and the end of the whole-interval run).
  void ReplayTable(const std::string& tablePath);
  // Keeps drawMesh's lists as the alternative pair and gives drawMesh the
  // lists reduced to the triangles whose mask entry is non-zero.
  // A second call reduces the full lists again, not the reduced ones.
  void ShowOnlyMasked(const std::vector<int32_t>& mask);
  // Gives drawMesh its full lists back when a pair is kept (no redraw).
  void ShowFullLists();
  void ExchangeLists();  // swaps drawMesh's lists with the kept pair
  // Redraw, then write the colour buffer the draw left as a TIFF image.
  void RedrawAndSave(const std::string& path);
  // drawMesh, made a mesh of its own first when it is one of the states,
  // so that moving it leaves the states as loaded; null without a mesh.
  ObjLoader* PlaybackMesh();

  // --- Camera-path truth and the terrain's tools (SceneTruth.cpp)
  void TruthRun();                     // "ASL_truth"
  // The fly-through and dense-sampling truths of the datasets' rows.
  void DatasetTruth(const TruthMember& truth);
  void ConvertFileformat();            // "Convert Fileformat"
  void LoadVisibility(int source);     // "Load Visibility"
  // Render mode 40003: the software raster image through the sample buffer.
  void SoftwareRasterView(FrameBuffer& window);
};
