// Keyframed vertex trajectories: one track of positions per vertex over the
// keyframes (the states of an animated scene), the live triangle counts at
// every keyframe and each triangle's last keyframe. Places vertex positions
// at any time between keyframes, only for the triangles asked for.
#pragma once

#include <array>
#include <cstdint>
#include <iostream>
#include <memory>
#include <vector>

#include "SharedArray.h"
#include "Vex3.h"

class ObjLoader;

struct VertexTrack {
  int32_t count = 0;                   // stored keys
  std::vector<Vex3_quarn> positions;   // `count` keys
  std::vector<int32_t> keyIndex;       // empty: key k is keyframe k
};

class KeyframeTrajectories {
 public:
  std::vector<uint8_t> visitMarks;     // per vertex, scratch of PlacePositions
  std::vector<int32_t> goodTriangles;  // per triangle: 1 good, 0 degenerate or repeated
  // The mesh it was built from; identifies it only (the tables below keep
  // what is needed alive).
  const ObjLoader* sourceMesh = nullptr;
  int32_t keyframeCount = 0;
  int32_t vertexCount = 0;
  std::vector<VertexTrack> tracks;
  SharedArray<std::vector<uint32_t>> groupTriangles;  // the source's lists
  int32_t groupCount = 0;
  std::vector<std::vector<int32_t>> groupLiveCounts;  // [group][keyframe]
  std::vector<int32_t> triangleCounts;                // per keyframe
  int32_t triangleCount = 0;
  SharedArray<std::vector<int32_t>> triangleId;
  SharedArray<int32_t> groupOfTriangle;
  SharedArray<int32_t> indexInGroup;
  std::vector<int32_t> lastKeyframe;  // per triangle
  std::vector<std::vector<std::array<int32_t, 2>>> steps;  // per triangle: (k, k + 1)

  // K keyframes for `mesh`, keyframe 0 stored from it when K > 0.
  static std::unique_ptr<KeyframeTrajectories> Build(int32_t K, const ObjLoader& mesh);

  // Positions, triangle count and group live counts of `mesh` as keyframe
  // k; ignored outside 0..K-1. Vertices beyond the mesh keep their keys.
  void StoreKeyframe(const ObjLoader& mesh, int32_t k);
  // Position of the track at keyframe k (interpolated between stored keys
  // when the track has a key index; clamped to its first and last key).
  static Vex3_quarn PositionAt(const VertexTrack& track, int32_t k);
  // steps = (0, 1) ... (last - 1, last) per triangle; prints the average.
  void BuildSteps(std::ostream& out = std::cout);
  // Moves the vertices of every flagged triangle that exists at keyframe 0
  // to time x, and gives the target the live counts of keyframe
  // trunc(x) + 1. Refused (message, target unchanged, false) for x outside
  // [0, K - 1) or a target with fewer vertices than the tracks.
  bool PlacePositions(double x, ObjLoader* target, const int32_t* flags, std::ostream& err = std::cerr);

  // The three vertex numbers of a triangle alive at keyframe 0.
  bool TriangleVertices(int32_t t, uint32_t idx[3]) const;
};
