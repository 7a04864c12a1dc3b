// The timeline run on several threads: identical timelines, files and
// console lines for any thread count, and the whole window's tiles used.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "Format.h"
#include "IntervalDrivers.h"
#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "Surfaces.h"
#include "TestSupport.h"
#include "WorkFolders.h"

namespace {

// A bumpy blob turning in front of a torus that moves in depth, filling a
// 320 x 240 view (20 tiles) with triangles of every size, some straddling
// tiles, with many overlaps to decide.
struct TurningScene {
  ObjLoader first, second;
  PPC cam{55, 320, 240};
  TurningScene() {
    SurfaceMesh blob = BumpyBlob(4, Vex3_quarn(0, 0, 0), 60, 0.2f, 3);
    SurfaceMesh torus = Torus(48, 16, Vex3_quarn(10, 0, -80), 110, 30);
    std::vector<Vex3_quarn> b = Rotated(blob.positions, Vex3_quarn(0, 0, 0), Vex3_quarn(0.2f, 1, 0.5f), 30);
    std::vector<Vex3_quarn> t = Translated(torus.positions, Vex3_quarn(15, 5, 70));
    SurfaceMesh all = blob;
    all.Append(torus);
    std::vector<Vex3_quarn> end = b;
    end.insert(end.end(), t.begin(), t.end());
    LoadSurface(all, all.positions, &first);
    LoadSurface(all, end, &second);
    cam.PositionAndOrient(Vex3_quarn(0, 0, 420), Vex3_quarn(0, 0, -1), Vex3_quarn(0, 1, 0));
    cam.zNear = 10;
    cam.zFar = 5000;
    cam.SetGLAndCache();
  }
};

std::vector<FlatTimeline> Timelines(const TurningScene& s, SampleRegion region, int threads) {
  SampleLocationBuffer buffer(s.cam.w, s.cam.h);
  buffer.SetCamera(s.cam);
  // Added samples off the centres, as ASL leaves them.
  for (int row = 0; row < s.cam.h; row += 3)
    for (int col = 0; col < s.cam.w; col += 2) buffer.AddSample(col, row, col + 0.2f, row + 0.9f);
  MeshMotion motion(s.first, s.second);
  TimelineRunOptions options;
  options.region = region;
  options.threads = threads;
  const TimelineRun run = ComputeTimelines(
      buffer, motion, std::vector<int32_t>(size_t(s.first.IdCount()), 1), options);
  EXPECT_EQ(run.work.threads, threads);
  std::vector<FlatTimeline> lines;
  for (const PixelSamples& p : buffer.pixels)
    for (int32_t k = 0; k < p.count; k++) lines.push_back(p.samples[size_t(k)].timeline);
  return lines;
}

bool Same(const std::vector<FlatTimeline>& a, const std::vector<FlatTimeline>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++) {
    if (a[i].size() != b[i].size()) return false;
    for (size_t j = 0; j < a[i].size(); j++)
      if (a[i][j].triangleId != b[i][j].triangleId || a[i][j].startMicro != b[i][j].startMicro ||
          a[i][j].endMicro != b[i][j].endMicro)
        return false;
  }
  return true;
}

}  // namespace

TEST(TimelineThreads, TimelinesDoNotDependOnTheThreadCount) {
  TurningScene s;
  for (SampleRegion region : {SampleRegion::kHull, SampleRegion::kDepthBox}) {
    const std::vector<FlatTimeline> one = Timelines(s, region, 1);
    size_t filled = 0, intervals = 0;
    for (const FlatTimeline& t : one) {
      filled += !t.empty();
      intervals += t.size();
    }
    EXPECT_GT(filled, one.size() / 4);  // the scene covers much of the view
    EXPECT_GT(intervals, 2 * filled);   // with overlaps decided
    EXPECT_TRUE(Same(one, Timelines(s, region, 2)));
    EXPECT_TRUE(Same(one, Timelines(s, region, 8)));
  }
}

TEST(TimelineThreads, WholeIntervalFilesAndLinesAreByteIdentical) {
  TurningScene s;
  std::string files[3], lines[3];
  const char* counts[3] = {"1", "2", "8"};
  for (int k = 0; k < 3; k++) {
    ScratchDir dir;
    MakeFolders({layout::FolderName(layout::Folder::kResults),
                 layout::FolderName(layout::Folder::kTables)});
    setenv("WORKBENCH_THREADS", counts[k], 1);
    SampleLocationBuffer buffer(s.cam.w, s.cam.h);
    buffer.SetCamera(s.cam);
    std::vector<int32_t> live(size_t(s.first.IdCount()), 1);
    VisibleSet unionSet, result;
    std::ostringstream out, err, log;
    IntervalRunScene scene;
    scene.buffer = &buffer;
    scene.first = &s.first;
    scene.second = &s.second;
    scene.triangleCount = s.first.IdCount();
    scene.liveFlags = &live;
    scene.unionSet = &unionSet;
    scene.out = &out;
    scene.err = &err;
    scene.runLog = &log;
    IntervalWork work;
    FullIntervalRun(scene, &result, &work);
    EXPECT_EQ(work.threads, std::atoi(counts[k]));
    files[k] = ReadText(layout::kWholeRunTable) + "|" + ReadText(layout::kEndStateLine) + "|" +
               log.str();
    lines[k] = out.str() + err.str();
  }
  unsetenv("WORKBENCH_THREADS");
  EXPECT_GT(files[0].size(), 10000u);
  EXPECT_NE(lines[0].find("\r100/"), std::string::npos);
  for (int k = 1; k < 3; k++) {
    EXPECT_TRUE(files[k] == files[0]) << counts[k] << " threads";
    EXPECT_EQ(lines[k], lines[0]) << counts[k] << " threads";
  }
}
