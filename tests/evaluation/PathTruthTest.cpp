// The camera-path truths on a small terrain rendered by a software id
// raster in a reduced view: the keys, the number of views, lines and
// images, and that each line lists exactly what its camera sees.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "GenContext.h"
#include "IdRaster.h"
#include "PathTruth.h"
#include "ScratchDir.h"
#include "TestSupport.h"
#include "TiffIO.h"
#include "VisibleSet.h"
#include "WorkFolders.h"

namespace {

struct SmallTerrain {
  std::vector<Vex3_quarn> positions;
  std::vector<uint32_t> triangles;
  int32_t count = 0;
  SmallTerrain() {
    const int n = 24;
    for (int j = 0; j <= n; j++)
      for (int i = 0; i <= n; i++)
        positions.push_back({i * 40.0f, j * 40.0f, 60 * std::sin(i * 0.4f) * std::cos(j * 0.3f)});
    for (int j = 0; j < n; j++)
      for (int i = 0; i < n; i++) {
        const uint32_t a = uint32_t(j * (n + 1) + i), b = a + 1, c = a + uint32_t(n + 2),
                       d = a + uint32_t(n + 1);
        triangles.insert(triangles.end(), {a, b, c, c, d, a});
      }
    count = int32_t(triangles.size() / 3);
  }
};

PPC SmallView() {
  PPC cam = LookAt({480, -700, 700}, {480, 480, 0}, {0, 0, 1}, 10, 10000);
  cam.Resize(64, 36);
  return cam;
}

// The view camera rendered by the software raster; the shaded frame is
// the ids themselves.
struct SoftwareView {
  const SmallTerrain& terrain;
  PPC camera;
  std::vector<int32_t> flags, ids;
  std::vector<uint32_t> frame;
  explicit SoftwareView(const SmallTerrain& t) : terrain(t), camera(SmallView()) {
    flags.assign(size_t(t.count), 0);
  }
  PathTruthScene Scene() {
    ids.assign(size_t(camera.w) * camera.h, -1);
    frame.assign(ids.size(), 0);
    PathTruthScene s;
    s.viewCamera = &camera;
    s.flags = &flags;
    s.render = [this] {
      const IdImage image = RasterIds(camera, 1.0f, terrain.positions, terrain.triangles);
      std::copy(image.id.begin(), image.id.end(), ids.begin());
      for (size_t i = 0; i < ids.size(); i++) frame[i] = uint32_t(ids[i]) | 0xff000000u;
    };
    s.ids = ids.data();
    s.pixelCount = ids.size();
    s.saveFrame = [this](const std::string& path) { WriteTiff(frame.data(), path, camera.h, camera.w); };
    return s;
  }
};

std::string LineOf(const std::vector<int32_t>& flags, int label) {
  std::ostringstream line;
  WriteVisibilityLine(line, std::to_string(label), flags.data(), int32_t(flags.size()));
  return line.str();
}

}  // namespace

TEST(PathTruth, KeysAndPathsHaveTheirCounts) {
  const PPC view = SmallView();
  const std::vector<PPC> keys = PathTruthKeys(view);
  ASSERT_EQ(keys.size(), 9u);
  EXPECT_EQ(keys[0].eye, view.eye);
  EXPECT_NEAR(keys[1].FocalLength(), 3.5f * view.FocalLength(), 1e-3f);
  EXPECT_EQ(keys[7].corner, keys[1].corner);
  EXPECT_EQ(keys[8].corner, view.corner);
  // The turned keys look elsewhere, the first and the last alike.
  EXPECT_GT((keys[2].ViewDirection() - keys[1].ViewDirection()).Length(), 0.05f);
  EXPECT_EQ(keys[2].corner, keys[6].corner);
  EXPECT_EQ(ExpandPath(keys, kPathTruthSegments).size(), 1000u);

  const std::vector<PPC> forest = ForestTruthKeys(view);
  ASSERT_EQ(forest.size(), 7u);
  EXPECT_EQ(ExpandPath(forest, kForestTruthSegments).size(), 2000u);
  // Key 4 has no pan: tilted only, so its right axis is key 1's.
  EXPECT_LT((forest[4].a.Normalized() - forest[1].a.Normalized()).Length(), 1e-5f);
}

TEST(PathTruth, TerrainTruthWrites1000LinesAnd1000Images) {
  ScratchDir dir;
  MakeFolders({"ASL_Visibility/", "Images/Truth/"});
  const SmallTerrain terrain;
  SoftwareView view(terrain);
  const PPC start = view.camera;
  std::ostringstream out;
  PathTruthScene s = view.Scene();
  s.out = &out;
  PathTruthTiming timing;
  s.timing = &timing;
  EXPECT_EQ(CameraPathTruth(s, "ASL_Visibility/RTI_truth_1000.txt", "Images/Truth/"), 1000);
  EXPECT_EQ(timing.views, 1000);
  EXPECT_EQ(view.camera.eye, start.eye);  // restored

  std::istringstream lines(ReadText("ASL_Visibility/RTI_truth_1000.txt"));
  std::vector<std::string> all;
  for (std::string l; std::getline(lines, l);) all.push_back(l + "\n");
  ASSERT_EQ(all.size(), 1000u);
  for (int f : {0, 1, 999}) EXPECT_TRUE(FileExists("Images/Truth/" + std::to_string(f) + ".tif"));
  EXPECT_FALSE(FileExists("Images/Truth/1000.tif"));

  // Line 0 is the view camera's item buffer; line 300 its own camera's.
  const std::vector<PPC> path = ExpandPath(PathTruthKeys(start), kPathTruthSegments);
  for (int f : {0, 300}) {
    const IdImage seen = RasterIds(path[size_t(f)], 1.0f, terrain.positions, terrain.triangles);
    EXPECT_EQ(all[size_t(f)], LineOf(SeenFlags(seen, terrain.count), f)) << f;
  }
  EXPECT_GT(all[0].size(), 100u);
}

TEST(PathTruth, ForestTruthAppendsOneRecordPerView) {
  ScratchDir dir;
  MakeFolders({"ASL_Visibility/"});
  const SmallTerrain terrain;
  SoftwareView view(terrain);
  std::ostringstream out;
  PathTruthScene s = view.Scene();
  s.out = &out;
  EXPECT_EQ(ForestPathTruth(s, "ASL_Visibility/Forest_truth_1300.bin", 5), 5);
  const std::vector<char> bytes = ReadBytes("ASL_Visibility/Forest_truth_1300.bin");
  const IdImage seen = RasterIds(view.camera, 1.0f, terrain.positions, terrain.triangles);
  const std::vector<int32_t> flags = SeenFlags(seen, terrain.count);
  std::vector<int32_t> expected;
  for (size_t id = 0; id < flags.size(); id++)
    if (flags[id]) expected.push_back(int32_t(id));
  int32_t count = -1;
  std::memcpy(&count, bytes.data(), 4);
  ASSERT_EQ(count, int32_t(expected.size()));
  std::vector<int32_t> first(expected.size());
  std::memcpy(first.data(), bytes.data() + 4, 4 * first.size());
  EXPECT_EQ(first, expected);
  EXPECT_EQ(out.str().substr(0, out.str().find('\n')), std::to_string(count));

  // A file that cannot be created stops the run before any view.
  EXPECT_EQ(ForestPathTruth(s, "missing/Forest_truth_1300.bin"), -1);
}
