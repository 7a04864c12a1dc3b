// The timeline run on several threads: identical timelines, files and
// console lines for any thread count, and the whole window's tiles used;
// the same timelines as inserting every triangle's intervals at every
// sample of its hull one triangle after the other, though the run skips
// work it finds hidden.
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
#include "TileTimelines.h"
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

void AddSamples(SampleLocationBuffer* buffer) {
  // Added samples off the centres, as ASL leaves them.
  for (int row = 0; row < buffer->height; row += 3)
    for (int col = 0; col < buffer->width; col += 2) buffer->AddSample(col, row, col + 0.2f, row + 0.9f);
}

std::vector<FlatTimeline> Timelines(const TurningScene& s, SampleRegion region, int threads) {
  SampleLocationBuffer buffer(s.cam.w, s.cam.h);
  buffer.SetCamera(s.cam);
  AddSamples(&buffer);
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

// The plain loop: each triangle in turn, every sample its region and hull
// hold evaluated, every interval inserted.
std::vector<FlatTimeline> OneByOne(const TurningScene& s, SampleRegion region) {
  SampleLocationBuffer buffer(s.cam.w, s.cam.h);
  buffer.SetCamera(s.cam);
  AddSamples(&buffer);
  buffer.ComputeSampleRays();
  const Projector projector = buffer.camera->MakeProjector();
  const Vex3_quarnd eye = projector.RayOrigin(Vex3_quarnd(buffer.camera->eye));
  MeshMotion motion(s.first, s.second);
  MotionDepthComparator depth(motion, eye);
  for (int32_t t = 0; t < s.first.IdCount(); t++) {
    TriangleMotion m;
    ScreenHull hull;
    Region r;
    bool useHull = true;
    if (FindRegion(projector, motion, t, region, s.cam.w, s.cam.h, &m, &hull, &r, &useHull) != 0)
      continue;
    MovingTriangle prepared;
    PrepareMovingTriangle(m, eye, &prepared);
    depth.SetCurrent(uint32_t(t), &prepared);
    for (int row = r.y0; row <= r.y1; row++)
      for (int col = r.x0; col <= r.x1; col++) {
        PixelSamples& px = buffer.Pixel(col, row);
        for (int32_t k = 0; k < px.count; k++) {
          SampleLocation& sample = px.samples[size_t(k)];
          if (useHull && !hull.Contains(sample.x, sample.y)) continue;
          CoverageSpan spans[kCoverageSlots];
          const int c = CoverageTimes(prepared, Vex3_quarnd(sample.ray[0], sample.ray[1], sample.ray[2]), spans);
          for (int j = 0; j < c; j++)
            InsertInterval(sample.timeline, sample.ray, uint32_t(t),
                           uint32_t(std::llround(spans[j].start * 1e6)),
                           uint32_t(std::llround(spans[j].end * 1e6)), depth);
        }
      }
  }
  std::vector<FlatTimeline> lines;
  for (const PixelSamples& p : buffer.pixels)
    for (int32_t k = 0; k < p.count; k++) lines.push_back(p.samples[size_t(k)].timeline);
  return lines;
}

}  // namespace

TEST(TimelineThreads, SkippedWorkChangesNoTimeline) {
  TurningScene s;
  for (SampleRegion region : {SampleRegion::kHull, SampleRegion::kDepthBox}) {
    IntervalWork work;
    {
      SampleLocationBuffer buffer(s.cam.w, s.cam.h);
      buffer.SetCamera(s.cam);
      AddSamples(&buffer);
      TimelineRunOptions options;
      options.region = region;
      MeshMotion motion(s.first, s.second);
      work = ComputeTimelines(buffer, motion, std::vector<int32_t>(size_t(s.first.IdCount()), 1),
                              options).work;
    }
    // Hidden pairs were skipped (the blob hides much of the torus) ...
    EXPECT_LT(work.evaluations, work.candidates * 9 / 10);
    EXPECT_LT(work.inserted, work.intervals);
    // ... and the timelines are those of the plain loop.
    EXPECT_TRUE(Same(OneByOne(s, region), Timelines(s, region, 2)));
  }
}

TEST(DepthCover, HidesOnlyWhatLiesBehindThroughout) {
  DepthCover c;
  EXPECT_FALSE(c.Hides(0, 10, 100));
  c.Add(0, 100, 10);
  c.Add(50, 200, 20);  // fills only [100, 200]
  c.Add(300, 400, 5);
  EXPECT_TRUE(c.Hides(0, 100, 10.1));
  EXPECT_FALSE(c.Hides(0, 150, 10.1));          // [100, 150] lies at 20
  EXPECT_TRUE(c.Hides(20, 200, 21));
  EXPECT_FALSE(c.Hides(20, 201, 21));           // nothing covers [200, 201]
  EXPECT_FALSE(c.Hides(150, 350, 21));          // nor [200, 300]
  EXPECT_FALSE(c.Hides(10, 20, 10.000001));     // a millionth is no margin
  EXPECT_TRUE(c.Hides(310, 320, 5.01));
  // Many spans: beyond the few kept in the object.
  DepthCover d;
  for (uint32_t k = 0; k < 20; k++) d.Add(k * 10, k * 10 + 5, 1 + k % 2 * 100);
  EXPECT_EQ(d.Size(), 20u);
  d.Add(0, 200, 50);  // fills the gaps between
  EXPECT_TRUE(d.Hides(0, 200, 200));
  EXPECT_FALSE(d.Hides(0, 200, 60));  // the odd spans lie at 101
  EXPECT_TRUE(d.Hides(20, 25, 2));
}

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
