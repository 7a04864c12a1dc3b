// Procedural closed surfaces that look like scanned data: subdivided
// spheres, tori and bumpy blobs, with shared edges and outward winding,
// and the rigid motions that animate them. Used by the sample working
// directory, the benchmarks and the visibility tests.
#pragma once

#include <cstdint>
#include <vector>

#include "Vex3.h"

struct SurfaceMesh {
  std::vector<Vex3_quarn> positions;
  std::vector<uint32_t> triangles;  // three vertex numbers each, counter-clockwise seen from outside

  int32_t TriangleCount() const { return int32_t(triangles.size() / 3); }
  // Adds another mesh's vertices and triangles after this one's.
  void Append(const SurfaceMesh& other);
};

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
