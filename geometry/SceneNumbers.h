// The numbers that name datasets, render modes and shading modes. They are
// part of the workbench's vocabulary (panel ids, file conventions, the
// dispatch of every run), so each is defined here once and nowhere else.
#pragma once

#include <cstdint>

namespace dataset {

// The scene ids of the catalogue entries: a scene's identity, by which
// its catalogue entry and its dataset row are found.
enum Id : int {
  kTruck = 0,
  kWtc = 1,
  kEasyPlane = 2,
  kMovingBox = 3,
  kTrianglePair = 4,
  kWaterFlow = 5,
  kFusion = 6,
  kRti = 7,
  kRtiSubdivided = 71,
  kGrassField = 8,
  kForest = 9,
  kTruckGfb = 10,
  kTruckGfbStep2 = 11,
  kManhattan = 100,
  kQuarnTree = 200,
};

}  // namespace dataset

// How the shaded views draw a scene; each catalogue entry names its form.
enum class DrawForm {
  kStates,      // the state mesh through the tower program
  kOwnColours,  // the mesh in its own colours, no program
  kVegetation,  // the grass program over the grass backdrop
  kCity,        // the city program over its backdrop, with the footprint
  kPoints,      // point sets
};

namespace render_mode {

// Codes of the view window's render dispatcher.
enum Mode : int {
  kBackground = 0,        // no pass: the sky only
  kItemBuffer = 1,        // identifiers of the current state, then its shaded view
  kItemBufferSecond = 5,  // the same of the second state
  kShaded = 10001,
  kVisibleSet = 10113,  // marks the visible set, then the footage
  kSuperPixelFootage = 10115,
  kPointFootage = 10116,
  kPointMask = 10117,
  kGrass = 30010,
  kPoints = 40000,          // "Point"
  kTid = 40001,             // "TID"
  kFilled = 40002,          // "Filled"
  kFilledSoftware = 40003,  // "Filled(Software)"
  kCityMeasurement = 50000,
  kMovingBoxes = 990002,
};

}  // namespace render_mode

namespace shading {

// A mesh's shading mode: how its colours are made and drawn.
enum Mode : uint8_t {
  kLitVertexColours = 0,
  kFlat = 1,        // material colours; outlines in the colour drawing
  kObjectList = 3,  // per-group colours given by the object list
};

}  // namespace shading
