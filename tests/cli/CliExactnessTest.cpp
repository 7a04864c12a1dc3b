// The command's results against the ray-casting reference, which shares
// no code with the methods: the interval run finds every triangle a dense
// time sampling of ray casts finds (and nothing else when standing still),
// over two or more states; ASL finds every triangle the pixel centres see;
// the factor-32 reference equals ray casting at its fine cell centres.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "IntervalTable.h"
#include "ResultFiles.h"
#include "ScratchDir.h"
#include "StandardFiles.h"

namespace {

std::vector<int32_t> Ids(const std::string& path) {
  TriangleSet set;
  std::string error;
  EXPECT_TRUE(ReadTriangleSet(path, &set, &error)) << error;
  return set.ids;
}

std::vector<int32_t> Missing(const std::vector<int32_t>& result, const std::vector<int32_t>& ref) {
  std::vector<int32_t> m;
  std::set_difference(ref.begin(), ref.end(), result.begin(), result.end(), std::back_inserter(m));
  return m;
}

void WriteStates(const PolyScene& scene) {
  for (size_t s = 0; s < scene.states.size(); s++)
    WritePlyBinary("s" + std::to_string(s) + ".ply", scene.states[s], scene.faces);
  ASSERT_TRUE(SlatCamera().SaveToFile("cam.ppc"));
}

void Cli(const std::string& args) {
  const CliResult r = RunCli(args + " --camera cam.ppc --quiet");
  ASSERT_EQ(r.status, 0) << args << "\n" << r.err;
}

}  // namespace

TEST(CliExactness, IntervalAgainstRayCasting) {
  ScratchDir dir;
  // Standing still: exactly what the pixel centres see.
  WriteStates(Slats(2, 0));
  Cli("interval s0.ply s1.ply --out still");
  Cli("raycast s0.ply --out still_rays");
  const std::vector<int32_t> still = Ids("still/interval_visible_set.bin");
  EXPECT_EQ(still, Ids("still_rays/raycast_visible_set.bin"));
  EXPECT_GT(still.size(), 50u);

  // Moving: everything 101 moments of ray casting see.
  WriteStates(Slats(2, 4));
  Cli("interval s0.ply s1.ply --out moving");
  Cli("raycast s0.ply s1.ply --times 101 --out moving_rays");
  const std::vector<int32_t> moving = Ids("moving/interval_visible_set.bin");
  const std::vector<int32_t> rays = Ids("moving_rays/raycast_visible_set.bin");
  EXPECT_TRUE(Missing(moving, rays).empty());
  EXPECT_GT(moving.size(), still.size());  // the slats uncover more of the sheet
  EXPECT_EQ(moving, Ids("moving/interval_table.bin"));
}

TEST(CliExactness, ThreeStatesInStateUnits) {
  ScratchDir dir;
  WriteStates(Slats(3, 4));
  Cli("interval s0.ply s1.ply s2.ply --out run");
  Cli("raycast s0.ply s1.ply --times 101 --out first");
  Cli("raycast s1.ply s2.ply --times 101 --out second");
  const std::vector<int32_t> run = Ids("run/interval_visible_set.bin");
  EXPECT_TRUE(Missing(run, Ids("first/raycast_visible_set.bin")).empty());
  EXPECT_TRUE(Missing(run, Ids("second/raycast_visible_set.bin")).empty());
  // Times run from state 0 to state 2; the slats seen throughout have one
  // interval across state 1.
  auto table = ReadIntervalTable("run/interval_table.bin");
  ASSERT_TRUE(table);
  double last = 0;
  for (int32_t t = 0; t < table->triangleCount; t++)
    for (int32_t k = 0; k < table->counts[size_t(t)]; k++) last = std::max(last, table->Intervals(t)[k].end);
  EXPECT_DOUBLE_EQ(last, 2.0);
  const int32_t middleSlat = 293;  // the third slat's first triangle
  ASSERT_EQ(table->counts[middleSlat], 1);
  EXPECT_EQ(table->Intervals(middleSlat)[0].start, 0.0);
  EXPECT_EQ(table->Intervals(middleSlat)[0].end, 2.0);
}

TEST(CliExactness, AslAgainstRayCasting) {
  ScratchDir dir;
  WriteStates(Slats(1, 0));
  Cli("asl s0.ply --reference 32 --out asl");
  Cli("raycast s0.ply --out centres");
  Cli("raycast s0.ply --samples 32 --out fine");
  const std::vector<int32_t> asl = Ids("asl/asl_visible_set.bin");
  EXPECT_TRUE(Missing(asl, Ids("centres/raycast_visible_set.bin")).empty());
  EXPECT_EQ(Ids("asl/reference_32.bin"), Ids("fine/raycast_visible_set.bin"));
}
