// The render passes: each draws the scene into the view window (or the
// float offscreen target) for one purpose. The application unpacks its
// scene into a PassContext; the passes read and write only what it names.
#pragma once

#include <cstdint>
#include <iostream>
#include <vector>

#include "MeshDraw.h"
#include "ObjLoader.h"
#include "RenderTargets.h"
#include "SceneNumbers.h"
#include "SoftwareRaster.h"
#include "Surfaces.h"
#include "Vex3.h"
#include "WorkLayout.h"

class FrameBuffer;
class ObjLoader;
class PPC;
class cgShader;

// The programs of the passes and their files.
struct PassShaders {
  cgShader* itemBuffer = nullptr;  // layout::kItemBufferShader
  cgShader* wtc = nullptr;         // layout::kTowerShader
  cgShader* manhattan = nullptr;   // layout::kCityShader
  cgShader* grass = nullptr;       // layout::kGrassShader
  cgShader* footage = nullptr;     // layout::kFootageShader
  cgShader* footageSp = nullptr;   // layout::kSuperPixelShader
  cgShader* raster = nullptr;      // layout::kRasterShader
};

struct PassContext {
  FrameBuffer* window = nullptr;  // size, pixels, zBuffer and camera
  RenderTargets* targets = nullptr;
  PassShaders shaders;
  DrawForm drawForm = DrawForm::kStates;  // how the shaded passes draw the scene

  ObjLoader* drawMesh = nullptr;
  ObjLoader* firstStates[2] = {nullptr, nullptr};  // outlined by the footage pass
  IdMask drawFlags;  // the drawing mask (no array: every triangle)
  IdMask marks;      // the per-triangle marks
  std::vector<int32_t>* visibleFlags = nullptr;  // set by MarkVisiblePass
  std::vector<float>* readback = nullptr;        // float read-back, >= 4 floats per pixel
  int32_t* itemBuffer = nullptr;                 // one identifier per pixel

  Vex3_quarn lightDirection;
  int* backdropTexture = nullptr;      // -1 until loaded
  const PPC* footageCamera = nullptr;  // the view the backdrop stays fixed to
  const std::vector<Vex3_quarn>* footprint = nullptr;  // city scene outline, may be empty
  const Vex3_quarn* markedPosition = nullptr;
  int renderingFactor = 1;

  // Point scenes (footage of the point set).
  PointSetView points;
  float particleRadius = 0;
  int32_t* pointIds = nullptr;               // one per pixel
  std::vector<float>* pixelRays = nullptr;   // per-pixel rays of the raster

  // Reports and progress of the drawing.
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// The sky colour every shaded view clears to.
void ClearToSky();

// Render modes kItemBuffer and kItemBufferSecond: identifiers of `mesh`
// (null: nothing drawn) into the float target, decoded into itemBuffer;
// then the shaded view into the target (read back into pixels and zBuffer)
// and into the window.
void ItemBufferPass(PassContext& c, ObjLoader* mesh);
// How an identifier drawing reaches GL: the pass's choice (one list when
// the program takes it), always one list (split every maxPerCall
// triangles when given), or one draw call per triangle.
enum class IdDrawing { kBest, kList, kPerTriangle };
// The identifiers of one item-buffer drawing of `mesh` under `mask`,
// decoded into ids (one per window pixel). False when a list drawing was
// asked for and the program cannot take it.
bool ReadItemIds(PassContext& c, const ObjLoader& mesh, IdMask mask, IdDrawing drawing,
                 int32_t* ids, size_t maxPerCall = 0);
// Seconds of the parts of TruthViewPass, summed over its calls.
struct TruthPassTimes {
  double itemBuffer = 0;  // identifier drawing and float read-back
  double decode = 0;      // read-back to identifiers
  double shaded = 0;      // shaded view and its colour read-back
  int calls = 0;
};
// What TruthViewPass keeps between views: the mesh cut to the view (its
// own lists and id rows, the source's positions and colours) and the
// projected vertices.
struct TruthViewScratch {
  ObjLoader mesh;
  const ObjLoader* source = nullptr;
  std::vector<Vex3_quarn> projected;
};
// The triangles of `mesh` whose projected box meets the camera's image
// (and those reaching behind the eye), into scratch.mesh; ids unchanged.
void CullToView(const ObjLoader& mesh, const PPC& camera, TruthViewScratch* scratch);
// One view of a camera-path truth: the identifiers of `mesh` (every
// triangle in view, one drawing call) decoded into itemBuffer, then its
// shaded view read back into the window's pixels and shown. Unlike
// ItemBufferPass it reads no depth. `times` may be null.
void TruthViewPass(PassContext& c, ObjLoader* mesh, TruthViewScratch* scratch,
                   TruthPassTimes* times);
// Render mode kVisibleSet, first half: every identifier seen in an item buffer
// of drawMesh under the draw flags gets visibleFlags[id] = 1.
void MarkVisiblePass(PassContext& c);
// Render mode kTid: byte-encoded identifiers of drawMesh, read back into
// the window's pixels (identifier per pixel, -1 background).
void TidPass(PassContext& c);
// Render mode kPoints: the vertices of drawMesh as points.
void PointPass(PassContext& c);
// Render mode kShaded: the shaded view; `stateMesh` is the state drawn
// (null when the index is out of range).
void ShadePass(PassContext& c, ObjLoader* stateMesh);
// Footage: of a state (`mesh`, drawMeshVariant false) or of drawMesh.
void FootagePass(PassContext& c, ObjLoader* mesh, bool drawMeshVariant);
// Render mode kSuperPixelFootage.
void SuperPixelFootagePass(PassContext& c);
// Render mode kGrass.
void GrassPass(PassContext& c);
// Render mode kFilled: lit triangles of drawMesh's first group under `list`
// (null: all), written to layout::kRasterImage.
void RasterPass(PassContext& c, const IdMask* list);
// Render mode kMovingBoxes: white background, the window camera, each
// surface in its colour lit from the light direction.
void MovingBoxesPass(PassContext& c, const std::vector<ColouredSurface>& boxes);
// The backdrop quad: the texture fixed to the footage camera's view.
void DrawBackdrop(const PPC& windowCamera, const PPC& footageCamera, unsigned texture);
