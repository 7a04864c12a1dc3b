// The four parts the Scene owns, each with one job. An operation takes the
// parts it uses, const where it only reads them, so that its signature
// says what it may change:
//   LoadedScene  what Scene Setup loaded: identity, states, meshes, ids,
//                liveness, trajectories. Only Scene Setup replaces it;
//                playback and the list exchanges move and reduce the drawn
//                mesh.
//   SceneViews   how the scene is seen: cameras, camera paths, the view
//                window and its mode, shaders, targets, lighting, what the
//                next draws show or record.
//   RunBuffers   what the runs compute into: per-triangle flags, per-pixel
//                id and read-back buffers, the sample-location buffer and
//                the interval runs' log.
//   Settings     the panel's switches and values and the counters of its
//                buttons.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "AABB.h"
#include "PPC.h"
#include "RenderPasses.h"
#include "RenderTargets.h"
#include "SampleLocationBuffer.h"
#include "SceneCatalogue.h"
#include "SceneNumbers.h"
#include "SharedArray.h"
#include "Surfaces.h"
#include "Vex3.h"
#include "cgShader.h"

class FrameBuffer;
class KeyframeTrajectories;
class ObjLoader;
class ParticleSet;
struct PathTruthTiming;

// The view's fixed size: the work buffers are allocated once for it.
constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 720;
constexpr size_t kViewPixels = size_t(kViewWidth) * kViewHeight;

// Invariants: baseMesh is &states[0] or null (point scenes, before a
// setup); drawMesh is baseMesh, one of the states or ownDrawMesh; a mesh
// scene holds stateCount states (the moving box scene's track keeps its
// 20 loaded ones); the point scenes hold stateCount point sets and the
// drawn one; triangleCount is the triangle (or point) count of the first
// state.
struct LoadedScene {
  LoadedScene();
  ~LoadedScene();
  LoadedScene(const LoadedScene&) = delete;
  LoadedScene& operator=(const LoadedScene&) = delete;

  // The scene's identity (its catalogue sceneId): every run finds its
  // catalogue entry and its dataset row by it. Before a setup, the initial
  // choice.
  int dataset = InitialSceneId();
  // How the shaded passes draw it: its catalogue entry's form.
  DrawForm drawForm = DrawForm::kStates;
  int stateCount = 0;        // time stamps of the loaded scene
  int firstStateNumber = 0;  // file number of the first state file
  int firstState = 0, lastState = 0;
  std::string dataPath;             // path prefix of the loaded scene's files
  int cellRow = 0, cellColumn = 0;  // terrain cell read at Scene Setup

  ObjLoader* baseMesh = nullptr;  // states[0], the topology source
  ObjLoader* drawMesh = nullptr;  // positions actually drawn
  // One mesh per loaded state, and the drawn mesh when it is not one of
  // them. A later setup frees them.
  std::vector<ObjLoader> states;
  std::unique_ptr<ObjLoader> ownDrawMesh;
  // Point scenes: the states and the set that is drawn.
  std::vector<ParticleSet> particleStates;
  std::unique_ptr<ParticleSet> particleDrawState;
  int triangleCount = 0;
  std::vector<int32_t> liveness;  // per triangle: 1 + last state holding it
  double interpolation = 0;       // position between two states (point scenes, playback)
  double radius = 0;              // point size of the point-scene experiments
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

  // The catalogue entry of `dataset` (null outside the catalogue), and
  // whether the states are point sets.
  const CatalogueEntry* Entry() const;
  bool PointScene() const;
  // The state at an index, null outside [0, stateCount).
  ObjLoader* StateMesh(int index);
};

// Invariants: viewCamera and viewWindow exist from construction on, the
// window's camera is viewCamera; pathCameras is empty unless the scene was
// set up with the moving camera.
struct SceneViews {
  SceneViews();
  ~SceneViews();
  SceneViews(const SceneViews&) = delete;
  SceneViews& operator=(const SceneViews&) = delete;

  std::unique_ptr<PPC> viewCamera;  // the view window's camera
  std::unique_ptr<PPC> spareCamera;
  std::unique_ptr<PPC> setupCamera;         // copy of viewCamera after setup (static scenes)
  std::vector<PPC> pathCameras;             // track cameras when movingCamera is on
  Vex3_quarn setupEye;                      // viewCamera's eye after setup
  int viewNumber = 0;                       // which prepared view (1 or 2)
  std::unique_ptr<FrameBuffer> viewWindow;  // hidden until Scene Setup

  // Shader programs: ten slots and one further program; the passes use the
  // slots below (each loads its file the first time it runs).
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
  AABB boxes[4];  // empty until a run fills them

  // Lighting.
  Vex3_quarn lightDirection;               // normalised (-1, -2, -4)
  float light0Position[4] = {0, 0, 0, 0};  // set by Scene Setup
  float light0Diffuse[4] = {0, 0, 0, 0};
  float light0Specular[4] = {0, 0, 0, 0};
  float light0Ambient[4] = {0, 0, 0, 0};

  // What the draws show.
  int currentState = 0;  // state index the render passes draw
  int secondState = 0;   // state index of render mode 5
  int frameSteps = 0;    // playback frames per state interval
  // The mesh render mode 10001 draws in place of the current state while a
  // playback runs (null otherwise).
  ObjLoader* playbackState = nullptr;
  // The boxes render mode kMovingBoxes draws ("Vis GFB").
  std::vector<ColouredSurface> demoBoxes;
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
  // Frame recording: each draw writes "<prefix><counter>.tif" when on.
  int recording = 0;
  std::string recordPrefix;
  int recordCounter = 0;
};

// Invariants: the pixel-sized buffers hold kViewPixels entries (times
// their per-pixel count) from construction on and are never resized; the
// per-triangle arrays hold triangleCount entries after a setup; the
// sample buffer, once made, keeps its size.
struct RunBuffers {
  RunBuffers();
  ~RunBuffers();
  RunBuffers(const RunBuffers&) = delete;
  RunBuffers& operator=(const RunBuffers&) = delete;

  std::vector<int32_t> triangleMarks;  // per triangle
  std::vector<int32_t> drawFlags;      // per triangle: draw and process mask
  std::vector<int32_t> visibleFlags;   // per triangle: seen in an item buffer
  std::vector<int32_t> runVisibleSet;  // per triangle: visible set of the run
  std::vector<int32_t> pointIdBuffer;  // per pixel (point scenes): point seen, -1 none
  std::vector<float> pixelRays;        // per pixel unit ray (3 floats), when built

  std::vector<int32_t> itemBuffer;    // triangle id per pixel from the item buffer
  std::vector<float> compareBuffer;   // one float per pixel (image comparison)
  std::vector<float> readbackBuffer;  // 16 floats per pixel (float read-back)
  std::vector<uint32_t> quadBuffer;   // 4 words per pixel
  std::vector<uint64_t> wideBuffer;   // one 64-bit value per pixel

  std::unique_ptr<SampleLocationBuffer> sampleBuffer;  // created on first use, never resized
  Vex3_quarn bufferEye;  // eye of the camera the buffer was last given
  // The interval runs' log (layout::kIntervalLog), opened by the first
  // interval run.
  std::unique_ptr<std::ostream> intervalRunLog;
  // The scene whose triangles the buffer's timelines hold.
  std::string intervalTimelineScene;
};

// The sample buffer of the runs, created at the view's size times `factor`
// on first use (it keeps its size later); every call gives it the view
// camera.
SampleLocationBuffer& ViewSampleBuffer(RunBuffers& buffers, const PPC& view, double factor = 1);

// The panel's switches (0 or 1, mirrored from its check buttons) and
// values, and what its buttons count.
struct Settings {
  // The panel's choice: which prepared scene Scene Setup loads. A setup
  // leaves in it the entry a second press loads (the catalogue's
  // sceneIdAfter); no run reads it.
  int sceneId = InitialSceneId();
  int wtcSegment = 0;  // "Seg# " at the last Scene Setup
  // The screen tile (column 0..1, row 0..3) of the terrain's ASL run, from
  // the panel's "View ID" and "Type ID" when "ASL" or "ASL with Factor" is
  // pressed.
  int tileColumn = 0, tileRow = 0;
  int holdTrajectory = 1;
  int movingCamera = 0;
  int frustumCulling = 1;
  float cameraStep = 100.0f;      // distance a key moves the camera
  float compareTolerance = 0.0f;  // image comparison; 0.0001 after setup
  // Drawing subsampling: the identifier and point drawings draw every
  // renderingFactor-th triangle or point ("Set Rendering factor"); never
  // below 1.
  int renderingFactor = 100;
  int separatedImageCount = 0;  // "Make Image!": image pairs written so far
  int planeRunFrames = 0;       // frames of the two-dimensional run; 0: its own count
  // One's own files, given by a script's "open": the "Truck_gfb" entry
  // loads these states (standard mesh files or the workbench's own) and
  // this camera file instead of its catalogue files.
  struct OwnFiles {
    std::vector<std::string> states;
    std::string camera;
  } ownFiles;
};

// What the render passes read and write of the parts, for a draw of
// `window` (the point-id buffer grows to the window's size).
PassContext MakePassContext(FrameBuffer& window, LoadedScene& loaded, SceneViews& views,
                            RunBuffers& buffers, const Settings& settings, std::ostream& out,
                            std::ostream& err);
