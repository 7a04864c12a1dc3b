// The point scenes' runs over their spheres: ASL on one frame, and the
// interval run over consecutive pairs of frames, with or without ASL's
// samples added first. The runs compute and report progress; the drivers
// (evaluation/PointSceneDrivers.h) write the files.
#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "MovingSpheres.h"
#include "VisibleSet.h"

class SampleLocationBuffer;

// One frame's sphere centres.
struct SphereFrame {
  const Vex3_quarn* centres = nullptr;
  int32_t count = 0;
};

struct SphereAslReport {
  int32_t centreVisible = 0;  // spheres seen by the samples there were
  int64_t samplesAdded = 0;
  int32_t visible = 0;
};

// ASL on one frame: Reset the buffer (so the run does not depend on what
// an earlier run left in it), the centre pass, the placement pass (progress
// "\r%d/%d is done" every 10,000 spheres, then the buffer statistics on
// `err`) and the final pass, whose set goes to `visible` and to `path`
// (no file when empty).
SphereAslReport AslSpherePasses(SampleLocationBuffer& buffer, const SphereFrame& frame, double r,
                                VisibleSet* visible, const std::string& path, std::ostream& out,
                                std::ostream& err);

struct PointRunScene {
  SampleLocationBuffer* buffer = nullptr;  // with its camera
  std::vector<SphereFrame> frames;         // one per state
  double radius = 0;
  std::vector<int32_t>* drawFlags = nullptr;  // one per point; all set by the run
  std::ostream* runLog = nullptr;             // one line per point processed (may be null)
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
};

// First and last step as typed: integers with 0 <= first < last <=
// frame count - 1. False, with one line on `err`, otherwise.
bool CheckPointSteps(const PointRunScene& scene, bool numbers, int first, int last);

// Called after each step i (frames i, i + 1) while the buffer's list
// timelines hold its intervals (times in frame units).
using PointStepDone = std::function<void(int step, SampleLocationBuffer& buffer)>;

struct PointRunWork {
  int64_t sampleTests = 0, intervals = 0, samplesAdded = 0;
  double seconds = 0;            // wall time of the steps
  double insertSeconds = 0;      // wall time of the coverage and insertion loops
  double insertCpuSeconds = 0;   // their processor time (this thread)
};

// Steps first..last - 1 ("Processing <first> through <last>" first).
// Each starts from a Reset buffer; with `placeSamples` (the combined run,
// "Processing from <i> to <i + 1>" per step instead) ASL's samples for the
// spheres at the step's start, middle and end are added before the
// intervals are inserted. Sets every draw
// flag. Returns the number of steps run (none after a refused range).
int PointSceneSteps(const PointRunScene& scene, int first, int last, bool placeSamples,
                    const PointStepDone& stepDone, PointRunWork* work = nullptr);
