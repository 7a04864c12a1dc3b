// Scene Setup, split by loading scheme. Each scheme first checks that every
// file it needs exists and loads the new meshes aside; only when all of
// them loaded does it replace the Scene's scene (the replaced objects are
// freed) and run the entry's steps. A refused or failed setup leaves the
// previous scene as it was.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class PPC;
class Scene;
struct CatalogueEntry;

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
void SetupPrologue(Scene& scene, int timeStamps);
// Frees what the previous mesh scene left: point sets, the own drawn mesh,
// path cameras, draw flags and the run's visible set.
void ReleasePreviousScene(Scene& scene);
// A camera file below "Views/" into the view camera; a file that exists but
// cannot be read is reported and the camera stays as it was.
void LoadViewCamera(Scene& scene, const std::string& name);
void PrintViewDirection(std::ostream& out, const PPC& camera);
// Shows the view window at (100, 100), keeping its size.
void ShowViewWindow(Scene& scene);
// The per-triangle arrays for `triangleCount`: marks and visible flags
// zeroed; the run's set zeroed and the draw flags all 1 unless the entry
// gave them already (both are emptied when a setup replaces the scene).
void AllocateTriangleArrays(Scene& scene);

// Entry steps that need more than a few lines (SetupEntrySteps.cpp).
// "Easy Plane": vertex heights and colours from its two textures, sampled
// at its texture coordinates (layout::kPlaneHeights, kPlaneColours,
// kPlaneCoordinates).
void LiftEasyPlane(Scene& scene);
// "Manhattan" with the moving camera: the sample-location buffer with the
// samples of layout::kSamplePositions, and its statistics.
void PrepareManhattanSamples(Scene& scene);
// The liveness file beside the state files ("%sliveness.txt").
void WriteLivenessFile(Scene& scene);
// The keyframed trajectories of the loaded states, with their good-triangle
// mask as the draw flags.
void BuildTrajectories(Scene& scene);
// "Moving Box" with the moving camera: keyframes 1 and 2 are the first
// state seen from path cameras 2 and 3, re-projected into path camera 1.
void BuildMovingCameraTrajectories(Scene& scene);
// layout::kDegenerateRecord and layout::kDyingRecord.
void WriteTriangleRecords(Scene& scene);
