// Procedural closed surfaces that look like scanned data: subdivided
// spheres, tori and bumpy blobs, with shared edges and outward winding,
// and the rigid motions that animate them. Used by the sample working
// directory, the benchmarks and the visibility tests.
#pragma once

#include <cstdint>
#include <vector>

#include "Vex3.h"

class ObjLoader;

struct SurfaceMesh {
  std::vector<Vex3_quarn> positions;
  std::vector<uint32_t> triangles;  // three vertex numbers each, counter-clockwise seen from outside

  int32_t TriangleCount() const { return int32_t(triangles.size() / 3); }
  // Adds another mesh's vertices and triangles after this one's.
  void Append(const SurfaceMesh& other);
};

// Loads a surface into a mesh as one group, triangle ids in order, at the
// given vertex positions (the surface's own, or a state of its motion).
void LoadSurface(const SurfaceMesh& surface, const std::vector<Vex3_quarn>& positions,
                 ObjLoader* mesh);

// An icosahedron with every triangle split in four `subdivisions` times
// (20 * 4^n triangles), its vertices pushed onto the sphere.
SurfaceMesh Icosphere(int subdivisions, const Vex3_quarn& centre, float radius);
// A torus about the z axis through `centre`: `around` x `across` quads,
// each split into two triangles.
SurfaceMesh Torus(int around, int across, const Vex3_quarn& centre, float majorRadius,
                  float minorRadius);
// An icosphere whose radius varies smoothly by up to `bumps` of itself
// (a sum of a few waves with seeded directions and phases).
SurfaceMesh BumpyBlob(int subdivisions, const Vex3_quarn& centre, float radius, float bumps,
                      uint32_t seed);

// An icosahedron with every face split into split x split triangles
// (20 * split^2 in all, any count, not only powers of four), pushed onto
// the bumpy sphere of BumpyBlob.
SurfaceMesh GeodesicBlob(int split, const Vex3_quarn& centre, float radius, float bumps,
                         uint32_t seed);

// A scene that looks like a scanned model: a closed bumpy surface of
// 200,000 triangles (radius about 100), mostly below a pixel in a
// 1280 x 720 view of 55 degrees from `eye`, and its second state turned
// rigidly by `degrees` about an axis off the view axis, then moved
// sideways (along x) by `shift` times its size. The generator's scanned
// scene (30 degrees, no shift) and the interval benchmark.
struct ScannedLikeScene {
  SurfaceMesh mesh;
  std::vector<Vex3_quarn> second;  // positions of the second state
  Vex3_quarn eye, target, up;
};
ScannedLikeScene ScannedLike(float degrees = 30, float shift = 0);

// A flat sheet of nx x ny quads over [x0, x1] x [y0, y1] at depth z, two
// triangles each, facing +z.
SurfaceMesh Sheet(float x0, float x1, float y0, float y1, float z, int nx, int ny);

// An axis-aligned box of the given size (x, y, z) about `centre`: 8 corners,
// 12 triangles.
SurfaceMesh Box(const Vex3_quarn& centre, const Vex3_quarn& size);

// A surface drawn in one packed colour (R | G << 8 | B << 16 | A << 24).
struct ColouredSurface {
  SurfaceMesh mesh;
  uint32_t colour = 0xffffffffu;
};

// Rigid rotation by `degrees` about the axis through `pivot`.
std::vector<Vex3_quarn> Rotated(const std::vector<Vex3_quarn>& p, const Vex3_quarn& pivot,
                                const Vex3_quarn& axis, float degrees);
std::vector<Vex3_quarn> Translated(const std::vector<Vex3_quarn>& p, const Vex3_quarn& by);
