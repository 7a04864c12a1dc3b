// Liveness of the triangles of an animated scene: how long each triangle
// exists (a state's group holds only a prefix of the source's list). Kept
// in the text file "<dataPath>liveness.txt", one line per triangle id:
// 1 + the last loaded state that holds the triangle (1 when none does).
// Also the inspection records of degenerate and dying triangles.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "WorkLayout.h"

class KeyframeTrajectories;
class ObjLoader;

std::string LivenessPath(const std::string& dataPath);

// Last state (0-based) holding each triangle of `baseMesh`, over the first
// `stateCount` loaded states (0 when none holds it).
std::vector<int32_t> ComputeLastStates(const ObjLoader& baseMesh,
                                       const std::vector<const ObjLoader*>& states,
                                       int32_t stateCount);

// Fills `liveness` (one entry per triangle of baseMesh) from the liveness
// file; without the file, computes it from the states and writes the file
// (entries then hold last state + 1, as written). A file with too few
// values or a non-number is reported and replaced the same way.
void LoadOrComputeLiveness(const ObjLoader& baseMesh,
                           const std::vector<const ObjLoader*>& states, int32_t stateCount,
                           const std::string& dataPath, std::vector<int32_t>* liveness,
                           std::ostream& err = std::cerr);

// Fills lastKeyframe of the record: the file's value - 1, or K - 1 when
// that is not below K as an unsigned number (so 0 reads as K - 1). With no
// path every triangle lives to K - 1; so do the entries a missing, short
// or malformed file does not give (reported).
void ReadLastStates(KeyframeTrajectories& trajectories, const std::string* path,
                    std::ostream& err = std::cerr);

// "TID id:v0,v1,v2" (vertex numbers ascending) for every triangle of
// baseMesh whose flag is 0; nothing happens without flags.
void WriteDegenerateRecord(const ObjLoader& baseMesh, const std::vector<int32_t>& drawFlags,
                           const std::string& path = layout::kDegenerateRecord);
// The same line for every triangle alive in `first` but not in `second`,
// with the first state's vertex numbers.
void WriteDyingRecord(const ObjLoader& first, const ObjLoader& second,
                      const std::string& path = layout::kDyingRecord);
