// A small software z-buffer of triangle ids, used by the generator to give
// the stand-in result files (visible sets, id lists, images) contents that
// match the generated scenes as seen from their cameras.
#pragma once

#include <cstdint>
#include <vector>

#include "PPC.h"

struct IdImage {
  int w = 0, h = 0;             // rows from the top
  std::vector<int32_t> id;      // -1 where no triangle is seen
  std::vector<float> invDepth;  // larger is nearer
};

// Rasterises at `scale` times the camera's image size. Triangles with a
// vertex behind the near distance are left out; `alive`, when given, skips
// ids whose entry is 0.
IdImage RasterIds(const PPC& camera, float scale, const std::vector<Vex3_quarn>& positions,
                  const std::vector<uint32_t>& triangles,
                  const std::vector<int32_t>* alive = nullptr);
// Splats points as one-pixel dots (id = point index).
IdImage RasterPoints(const PPC& camera, float scale, const std::vector<Vex3_quarn>& points);

// Flag 1 for every id seen (n flags).
std::vector<int32_t> SeenFlags(const IdImage& image, int n);
void AddSeen(const IdImage& image, std::vector<int32_t>* flags);

// Packed RGBA pixels (rows from the bottom, as the workbench keeps images):
// each id in its colour shaded by a fixed light, the sky colour elsewhere.
std::vector<uint32_t> ShadeImage(const IdImage& image, const std::vector<Vex3_quarn>& positions,
                                 const std::vector<uint32_t>& triangles,
                                 const std::vector<Vex3_quarn>& triangleColors);
uint32_t PackRGBA(float r, float g, float b);
