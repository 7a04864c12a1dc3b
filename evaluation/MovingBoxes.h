// "Vis GFB": the moving-boxes demonstration. A row of five blue boxes
// stands across a 30-degree view; a smaller green box passes behind the
// row from the left to the right, hidden by each box in turn, and every
// frame is written as an image.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <vector>

#include "PPC.h"
#include "Surfaces.h"

constexpr int kMovingBoxesFrames = 600;
// Packed colours (R | G << 8 | B << 16 | A << 24).
constexpr uint32_t kRowBoxColour = 0xffb97400u;   // R 0, G 116, B 185
constexpr uint32_t kPassingBoxColour = 0xff2ddc64u;  // R 100, G 220, B 45

struct MovingBox {
  Vex3_quarn start, end;  // the box's centre at the first and the last frame
  SurfaceMesh shape;      // about the origin
  uint32_t colour = 0;
};

struct MovingBoxesDemo {
  PPC camera;  // the view of the demonstration, tilted and cached
  std::vector<MovingBox> boxes;
};

// The camera at the window's size and the six boxes: the row at the
// window points x = 160, 400, 640, 880, 1120 (of a 1280-wide window, scaled
// to other widths), y = -h/3, depth 0.5, standing still; the passing box
// from x = 160 to x = 1120 at depth 0.6.
MovingBoxesDemo MakeMovingBoxesDemo(int w, int h);
// The boxes at frame i of `frames` (weight i / (frames - 1)), written into
// `drawn` (made once, then only moved).
void PlaceMovingBoxes(const MovingBoxesDemo& demo, int i, int frames,
                      std::vector<ColouredSurface>* drawn);
// Draws every frame through `renderFrame` (which returns the pixels read
// back, null when nothing could be read) and writes it; returns the frames
// written.
int RunMovingBoxesDemo(const MovingBoxesDemo& demo, std::vector<ColouredSurface>* drawn,
                       const std::function<const uint32_t*(int* w, int* h)>& renderFrame,
                       std::ostream& out, std::ostream& err, int frames = kMovingBoxesFrames);
