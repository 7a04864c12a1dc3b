// One builder per scene family of the sample working directory; each
// writes its geometry, its cameras and the stand-in result files that
// belong to it, and records its counts in the manifest.
#pragma once

struct GenContext;

void GenerateTruck(GenContext& ctx);
void GenerateWtc(GenContext& ctx);
void GenerateSmallScenes(GenContext& ctx);  // Easy Plane, Moving Box, Triangle Pair
void GeneratePointScenes(GenContext& ctx);  // Water Flow, Fusion
void GenerateTerrain(GenContext& ctx);      // RTI, RTI_Subdivided
void GenerateGrassField(GenContext& ctx);
void GenerateForest(GenContext& ctx);
void GenerateManhattan(GenContext& ctx);
void GenerateTree(GenContext& ctx);         // Quarn Tree
void GenerateImages(GenContext& ctx);       // textures and backdrops
void GenerateMeshFiles(GenContext& ctx);    // two PLY states for workbench-cli
void GenerateLarge(GenContext& ctx);        // measurement scene (--large)
void GenerateScanned(GenContext& ctx);      // scanned-like model (--large)
