// Scene Setup, split by loading scheme. Each scheme first checks that every
// file it needs exists and loads the new meshes aside; only when all of
// them loaded does it replace the Scene's scene (the replaced objects are
// freed) and run the entry's steps. A refused or failed setup leaves the
// previous scene as it was.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class ObjLoader;
class PPC;
class Scene;
struct CatalogueEntry;
struct LoadedScene;
struct RunBuffers;
struct SceneViews;
struct Settings;

// Each scheme replaces the whole scene: every part of it.
bool SetupStateMeshes(Scene& scene, const CatalogueEntry& entry, int timeStamps);
bool SetupPointStates(Scene& scene, const CatalogueEntry& entry, int timeStamps);
bool SetupObjectList(Scene& scene, const CatalogueEntry& entry, int timeStamps);

// Shared steps.
bool FileOpens(const std::string& path);
// Reports every path of the list that is missing ("ERROR: Scene Setup:
// missing file <path>") on `err`; true when none is. A state file counts
// as present when its binary cache is.
bool RequireFiles(const std::vector<std::string>& paths, bool cacheCounts, std::ostream& err);
// Camera files (full paths) that must exist and read as cameras: a missing
// one is reported as above, one the camera reader refuses with its line.
bool RequireCameras(const std::vector<std::string>& paths, std::ostream& err);
// The prologue: time stamps, tolerance, light 0, first file number.
void SetupPrologue(LoadedScene& loaded, SceneViews& views, Settings& settings, int timeStamps);
// Frees what the previous mesh scene left: point sets, the own drawn mesh,
// the kept list pair, path cameras, draw flags and the run's visible set.
void ReleasePreviousScene(LoadedScene& loaded, SceneViews& views, RunBuffers& buffers);
// A camera file below "Views/" into `camera`; a file that exists but cannot
// be read is reported and the camera stays as it was.
void LoadViewCamera(PPC& camera, const std::string& name, std::ostream& err);
// The entry's fixed pose for the view camera (a new camera where it says
// so; the eye relative to the vertex centroid of `centroidOf` where it
// says so), then its near and far distances.
void PlaceFixedPose(SceneViews& views, const CatalogueEntry& e, const ObjLoader* centroidOf);
void PrintViewDirection(std::ostream& out, const PPC& camera);
// Shows the view window at (100, 100), keeping its size, with the view
// camera.
void ShowViewWindow(SceneViews& views);
// The per-triangle arrays for `triangleCount`: marks and visible flags
// zeroed; the run's set zeroed and the draw flags all 1 unless the entry
// gave them already (both are emptied when a setup replaces the scene).
void AllocateTriangleArrays(const LoadedScene& loaded, RunBuffers& buffers);

// Entry steps that need more than a few lines (SetupEntrySteps.cpp).
// Vertex heights and colours of the drawn mesh from the plane's two
// textures, sampled at its texture coordinates (layout::kPlaneHeights,
// kPlaneColours, kPlaneCoordinates); the first state takes them.
void LiftEasyPlane(LoadedScene& loaded, std::ostream& err);
// The sample buffer with the samples of layout::kSamplePositions, and its
// statistics.
void ReadStoredSamples(RunBuffers& buffers, const PPC& view, std::ostream& err);

// Liveness and trajectories (SetupTrajectories.cpp).
// The liveness file beside the state files ("%sliveness.txt").
void WriteLivenessFile(LoadedScene& loaded, std::ostream& err);
// The keyframed trajectories of the loaded states, with their good-triangle
// mask as the draw flags.
void BuildTrajectories(LoadedScene& loaded, RunBuffers& buffers, std::ostream& out,
                       std::ostream& err);
// Keyframes 1 and 2 are the first state seen from track cameras 2 and 3,
// re-projected into track camera 1.
void BuildMovingCameraTrajectories(LoadedScene& loaded, const std::vector<PPC>& track,
                                   RunBuffers& buffers, std::ostream& out, std::ostream& err);
// layout::kDegenerateRecord and layout::kDyingRecord.
void WriteTriangleRecords(const LoadedScene& loaded, const RunBuffers& buffers);
