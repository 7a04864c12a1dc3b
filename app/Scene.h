// The one object that owns every mesh, camera, shader, window and work
// buffer of the workbench, and the operations the control panel triggers.
// Members are grouped; each group's operations live in their own file:
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
// A button whose operation is not built has no method here: the panel
// reports it (ReportNotBuilt). Each new operation goes into the library of
// its subsystem; its Scene method only unpacks members and calls it.
#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "AABB.h"
#include "PPC.h"
#include "RenderPasses.h"
#include "RenderTargets.h"
#include "SampleLocationBuffer.h"
#include "SceneNumbers.h"
#include "SharedArray.h"
#include "Surfaces.h"
#include "Vex3.h"
#include "cgShader.h"

class ControlPanel;
class FrameBuffer;
class KeyframeTrajectories;
class ObjLoader;
class ParticleSet;
struct AslButtonScene;
struct PathTruthTiming;
struct FootageScene;
struct TruthMember;
struct PointSceneExperiment;

// The view's fixed size: the work buffers are allocated once for it.
constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 720;
constexpr size_t kViewPixels = size_t(kViewWidth) * kViewHeight;
// The scene chosen at start ("Truck_gfb", whose radio starts selected).
constexpr int kInitialSceneId = dataset::kTruckGfb;

class Scene {
 public:
  Scene();
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // --- 1. Scene choice and time
  int sceneId = kInitialSceneId;  // which prepared scene Scene Setup loads
  int wtcSegment = 0;       // "Seg# " at the last Scene Setup
  int stateCount = 0;       // time stamps of the loaded scene
  int firstStateNumber = 0; // file number of the first state file
  int firstState = 0, lastState = 0;
  std::string dataPath;     // path prefix of the loaded scene's files
  int cellRow = 0, cellColumn = 0;  // terrain cell read at Scene Setup
  // The screen tile (column 0..1, row 0..3) of the terrain's ASL run, from
  // the panel's "View ID" and "Type ID" when "ASL" or "ASL with Factor" is
  // pressed.
  int tileColumn = 0, tileRow = 0;

  // --- 2. Meshes (the state array and the point sets are added with the
  // catalogue; baseMesh is states[0], the topology source)
  ObjLoader* baseMesh = nullptr;
  ObjLoader* drawMesh = nullptr;  // positions actually drawn
  // Scene Setup owns the meshes: one per loaded state (states.size() ==
  // stateCount), and the drawn mesh when it is not one of them. A later
  // setup frees them.
  std::vector<ObjLoader> states;
  std::unique_ptr<ObjLoader> ownDrawMesh;
  // Point scenes: the states and the set that is drawn.
  std::vector<ParticleSet> particleStates;
  std::unique_ptr<ParticleSet> particleDrawState;
  int triangleCount = 0;
  std::vector<int32_t> triangleMarks;  // per triangle
  std::vector<int32_t> drawFlags;      // per triangle: draw and process mask
  std::vector<int32_t> visibleFlags;   // per triangle: seen in an item buffer
  std::vector<int32_t> runVisibleSet;  // per triangle: visible set of the run
  std::vector<int32_t> pointIdBuffer;  // per pixel (point scenes): point seen, -1 none
  std::vector<int32_t> liveness;       // per triangle: 1 + last state holding it
  double interpolation = 0;  // position between two states (point scenes, playback)
  double radius = 0;         // point size of the point-scene experiments
  int currentState = 0;      // state index the render passes draw
  int secondState = 0;       // state index of render mode 5
  int frameSteps = 0;        // playback frames per state interval
  // The keyframed trajectories of the loaded states (null until a setup
  // builds them) and the scene they were built for: a later setup of the
  // same scene keeps them, another scene's setup builds them anew.
  std::unique_ptr<KeyframeTrajectories> trajectories;
  std::string trajectoryScene;
  // The alternative triangle lists "SWITCH!" exchanges with drawMesh's
  // (none until an operation keeps a pair; Scene Setup drops it).
  struct TriangleLists {
    bool held = false;
    SharedArray<std::vector<uint32_t>> triangles;
    SharedArray<int32_t> counts;
    int32_t triangleCount = 0;
    int32_t groupCount = 0;
    // Whether the kept lists are the full ones (drawMesh shows the reduced
    // lists); "SWITCH!" turns it over.
    bool keepsFull = true;
  };
  TriangleLists alternativeLists;
  // The mesh render mode 10001 draws in place of the current state while a
  // playback runs (null otherwise).
  ObjLoader* playbackState = nullptr;

  // --- 3. Cameras
  std::unique_ptr<PPC> viewCamera;   // the view window's camera
  std::unique_ptr<PPC> spareCamera;
  std::unique_ptr<PPC> setupCamera;  // copy of viewCamera after setup (static scenes)
  std::vector<PPC> pathCameras;      // track cameras when movingCamera is on
  Vex3_quarn setupEye;               // viewCamera's eye after setup
  int viewNumber = 0;                // which prepared view (1 or 2)
  std::vector<float> pixelRays;      // per pixel unit ray (3 floats), when built

  // --- 4. Windows (the panel is built before the view window)
  std::unique_ptr<ControlPanel> controlPanel;
  std::unique_ptr<FrameBuffer> viewWindow;  // hidden until Scene Setup

  // --- 5. Shader programs: ten slots and one further program; the passes
  // use the slots below (each loads its file the first time it runs).
  enum ShaderSlot {
    kShaderItemBuffer = 0,  // layout::kItemBufferShader
    kShaderWtc = 1,         // layout::kTowerShader
    kShaderManhattan = 2,   // layout::kCityShader
    kShaderGrass = 3,       // layout::kGrassShader
    kShaderFootage = 4,     // layout::kFootageShader
    kShaderFootageSp = 5,   // layout::kSuperPixelShader
    kShaderRaster = 6,      // layout::kRasterShader
  };
  cgShader shaders[10];
  cgShader extraShader;
  // Offscreen render targets (made on the first draw) and the backdrop
  // texture number (-1 until loaded).
  RenderTargets targets;
  int backdropTexture = -1;
  // City scene: a footprint polygon drawn over the shaded view (none while
  // empty) and the marked position shown with it.
  std::vector<Vex3_quarn> footprint;
  Vex3_quarn markedPosition;

  // --- 6. Pixel-sized work buffers, allocated once for kViewPixels
  std::vector<int32_t> itemBuffer;    // triangle id per pixel from the item buffer
  std::vector<float> compareBuffer;   // one float per pixel (image comparison)
  std::vector<float> readbackBuffer;  // 16 floats per pixel (float read-back)
  std::vector<uint32_t> quadBuffer;   // 4 words per pixel
  std::vector<uint64_t> wideBuffer;   // one 64-bit value per pixel

  // --- 7./8. Auxiliary records, experiment lists and logs: added by the
  // visibility, raster and experiment code that owns them.
  std::unique_ptr<SampleLocationBuffer> sampleBuffer;  // created on first use, never resized
  Vex3_quarn bufferEye;  // eye of the camera the buffer was last given
  // The interval runs' log (layout::kIntervalLog), opened by the first
  // interval run (SceneGfb.cpp).
  std::unique_ptr<std::ostream> intervalRunLog;
  // The scene whose triangles the buffer's timelines hold (SceneGfb.cpp).
  std::string intervalTimelineScene;

  // --- 9. Boxes, empty until a run fills them
  AABB boxes[4];

  // --- 10. Lighting
  Vex3_quarn lightDirection;  // normalised (-1, -2, -4)
  float light0Position[4] = {0, 0, 0, 0};  // set by Scene Setup
  float light0Diffuse[4] = {0, 0, 0, 0};
  float light0Specular[4] = {0, 0, 0, 0};
  float light0Ambient[4] = {0, 0, 0, 0};

  // --- 11. Switches mirrored from the panel's check buttons
  int holdTrajectory = 1;
  int movingCamera = 0;
  int frustumCulling = 1;

  // --- 12. Numeric settings
  float cameraStep = 100.0f;      // distance a key moves the camera
  float compareTolerance = 0.0f;  // image comparison; 0.0001 after setup
  // Drawing subsampling: the identifier and point drawings draw every
  // renderingFactor-th triangle or point ("Set Rendering factor"); never
  // below 1.
  int renderingFactor = 100;

  // The image the next draw writes after drawing (RedrawAndSave); empty
  // otherwise.
  std::string pendingFrame;
  // While a camera-path truth runs, every draw is one view of it
  // (TruthViewPass) and its parts are timed here.
  bool truthDraw = false;
  TruthPassTimes truthTimes;
  std::unique_ptr<TruthViewScratch> truthScratch;
  PathTruthTiming* truthTiming = nullptr;  // the run's own parts, when given
  int truthViews = -1;                     // views of a run; all when negative

  // --- Frame recording: each draw writes "<prefix><counter>.tif" when on.
  int recording = 0;
  std::string recordPrefix;
  int recordCounter = 0;

  // The console (step bounds, cell numbers and modes in; reports and
  // progress of the drawing and the runs out); tests replace them.
  std::istream* input = &std::cin;
  std::ostream* output = &std::cout;
  std::ostream* errors = &std::cerr;

  // --- Render dispatcher (SceneRender.cpp): the view window's draw.
  void Render(FrameBuffer& window);
  void DrawSky();
  // The state at an index, null outside [0, stateCount).
  ObjLoader* StateMesh(int index);
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
  // "Make Image!": image pairs written so far in this process.
  int separatedImageCount = 0;
  // The boxes render mode kMovingBoxes draws ("Vis GFB").
  std::vector<ColouredSurface> demoBoxes;
  // Frames of the two-dimensional run; 0: its own count (tests shorten it).
  int planeRunFrames = 0;

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
