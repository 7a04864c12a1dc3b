// CPU rendering into caller-owned buffers: point sets as ray-cast spheres
// and triangle meshes scan-converted at cell centres with a depth test.
// Buffers hold one entry per cell, row 0 at the bottom, entry y * w + x.
// Every projection goes through the camera's cached GL arrays.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <vector>

#include "GLProject.h"
#include "Vex3.h"

class ObjLoader;
class PPC;

// A vertex-only state as the raster sees it: optional per-point colours
// and an optional mask (a point is drawn when the mask is absent or its
// entry is non-zero).
struct PointSetView {
  int32_t count = 0;
  const Vex3_quarn* points = nullptr;
  const Vex3_quarn* colours = nullptr;
  const int32_t* mask = nullptr;
};

// Window box of a sphere: xmin, ymin, zmin, xmax, ymax, zmax.
struct ScreenBox {
  double xmin = 0, ymin = 0, zmin = 0, xmax = 0, ymax = 0, zmax = 0;
};

// The value RaySphere returns when the ray misses.
constexpr double kNoHit = 3.4028234663852886e38;

// Replaces every vertex so that `to` sees the mesh as `from` saw it. Both
// cameras must have cached their arrays.
void Reproject(ObjLoader& mesh, const PPC& from, const PPC& to);

ScreenBox SphereScreenBox(const Vex3_quarn& centre, float r, const Projector& proj);

// Nearest t > tMin (or the exit when the origin is inside) of the ray
// origin + t * direction against the sphere; kNoHit when there is none.
double RaySphere(const Vex3_quarn& origin, const Vex3_quarn& direction, const Vex3_quarn& centre,
                 float r, double tMin);

// Caches the camera's arrays, allocates the table when empty and fills one
// unit ray per pixel (entry y * w + x).
void FillPixelRays(PPC& camera, std::vector<float>* pixelRays);

// Per-point colours from the motion towards the next state (brightness by
// distance); without a next state the colours are only allocated.
void MotionColours(const std::vector<Vex3_quarn>& points, const std::vector<Vex3_quarn>* next,
                   std::vector<Vex3_quarn>* colours);

// Shaded spheres of radius r into w x h colour, id and depth buffers (depth
// 0 is empty; the nearest ray distance wins).
void ParticleRaster(const PointSetView& points, uint32_t* colour, int32_t* ids, float* depth,
                    PPC& camera, std::vector<float>* pixelRays, float r,
                    std::ostream& log = std::cout);
// Every point, masked-out ones in opaque red, others shaded without gain.
void ParticleMaskView(const PointSetView& points, uint32_t* colour, int32_t* ids, float* depth,
                      PPC& camera, std::vector<float>* pixelRays, float r,
                      std::ostream& log = std::cout);
// Point ids on the fine grid of (kFine * w) x (kFine * h) cells, for the
// rows [rowBegin, rowEnd) only: ids and depth hold (rowEnd - rowBegin)
// rows of kFine * w cells. The camera's arrays must be cached.
constexpr int kParticleFine = 32;
void ParticleIdsFine(const PointSetView& points, int32_t* ids, float* depth, const PPC& camera,
                     float r, int rowBegin, int rowEnd, std::ostream& log = std::cout);

// Exact sign of (ax - px) (by - py) - (ay - py) (bx - px): 1 when p lies
// left of the directed line a -> b, -1 right of it, 0 on it.
int EdgeOrientation(double ax, double ay, double bx, double by, double px, double py);

// One triangle set up for scan conversion at some scale: projected
// vertices, its edges in counter-clockwise order (inside on the left) with
// their line functions, depth plane and box.
struct ScreenTriangle {
  double x[3], y[3], z[3];
  double ax[3], ay[3], bx[3], by[3];  // edge k runs from (ax, ay) to (bx, by)
  bool owns[3];                       // centres exactly on edge k are inside
  double ea[3], eb[3], ec[3];         // ea x + eb y + ec, positive inside
  double ia[3];                       // 1 / ea (0 for a horizontal edge)
  double alpha, beta, gamma;          // z = alpha x + beta y + gamma, evaluated from vertex 0
  double xmin, ymin, xmax, ymax;
};

// The parts of a triangle in front of the near plane, in world space: the
// triangle itself when no vertex lies behind the plane, none when all do,
// else the one or two triangles the plane cuts off in front (clip-space
// distances are affine in world space, so the cut is exact up to
// rounding). A vertex behind the eye has no window position, so without
// the cut a triangle reaching behind the camera could not be drawn at
// all, while the view shows its front part. Returns the number of parts.
int NearPlaneParts(const Projector& proj, const Vex3_quarn v[3], Vex3_quarn parts[2][3]);

// Projects and sets up the triangle on a cw x ch grid whose cells are
// pixels divided by `scale`. False when no vertex has window depth in
// [0, 1], the box misses the grid, or the triangle is degenerate.
bool SetupScreenTriangle(const Projector& proj, const Vex3_quarn v[3], double scale, int cw, int ch,
                         ScreenTriangle* t);
// Rows of the grid the triangle's box touches, [*first, *last]; empty when
// *first > *last.
void ScreenTriangleRows(const ScreenTriangle& t, int ch, int* first, int* last);

// Scan conversion of a set-up triangle over grid rows [rowBegin, rowEnd);
// buffers hold those rows only. At covered cell centres with
// depth > z and 0 <= z <= 1 the cell takes z, id and (when given) colour.
// Covered is watertight: the exact sign of each edge's orientation, and
// for a centre on an edge the top-left rule (inside when the edge runs
// down, or left along a row), so of triangles tiling a region exactly one
// covers each centre in it.
void ScanTriangle(const ScreenTriangle& t, int cw, int ch, int rowBegin, int rowEnd, int32_t* ids,
                  float* depth, int32_t id);
void ScanTriangle(const ScreenTriangle& t, int cw, int ch, int rowBegin, int rowEnd, int32_t* ids,
                  double* depth, uint32_t* colour, uint32_t colourValue, int32_t id);

// Triangle ids of the mesh at scale f: (f w) x (f h) cells, depth preset
// above 1 by the caller. Triangles whose mask entry is zero are skipped.
// Far from the near plane window depths crowd towards 1, where a float
// cannot tell surfaces a small fraction of their distance apart; the
// double buffer can.
void TriangleRaster(const ObjLoader& mesh, int32_t* ids, PPC& camera, float* depth, int f,
                    const int32_t* mask, std::ostream& log = std::cout);
void TriangleRaster(const ObjLoader& mesh, int32_t* ids, PPC& camera, double* depth, int f,
                    const int32_t* mask, std::ostream& log = std::cout);

// One triangle at scale 1 into a double depth buffer; colour optional.
void RasterTriangle(uint32_t* colour, int32_t* ids, const Projector& proj, int w, int h,
                    double* depth, uint32_t colourValue, const Vex3_quarn v[3], int32_t id);

// Footage frame: triangles by class (-1 skipped, 1 in their group colour,
// others red); kind 1 or 2 subdivides one group into 81 pieces each.
void FootageRaster(uint32_t* colour, int32_t* ids, PPC& camera, double* depth,
                   const int32_t* classes, int kind, const ObjLoader& mesh,
                   std::ostream& log = std::cout);

// Packs a colour with channels in [0, 1] (truncated, clamped at 255).
uint32_t PackColour(float r, float g, float b);

// TriangleRaster in bounded memory: the (f w) x (f h) grid is processed in
// bands of at most bandRows rows, each triangle only in the bands its box
// touches, in the same order as the whole raster, so every band's cells
// equal those of TriangleRaster into a double depth buffer preset to
// `clearDepth`. `visit` gets each finished band's ids ((rowEnd - rowBegin)
// rows of f w cells). Returns the bytes of the largest band buffers held.
size_t TriangleRasterBanded(const ObjLoader& mesh, PPC& camera, int f, const int32_t* mask,
                            int bandRows, double clearDepth,
                            const std::function<void(const int32_t* ids, int rowBegin,
                                                     int rowEnd)>& visit,
                            std::ostream& log = std::cout);
// Rows per band that keep one band's buffers near `bytes`, at `cellBytes`
// per cell (the triangle bands: an id and a double depth).
int BandRowsForBudget(int cellsPerRow, size_t bytes,
                      size_t cellBytes = sizeof(int32_t) + sizeof(double));
