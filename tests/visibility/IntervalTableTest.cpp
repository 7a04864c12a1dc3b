#include <gtest/gtest.h>

#include <cmath>

#include "IntervalTable.h"
#include "SampleLocationBuffer.h"
#include "TimelineBuild.h"
#include "VisTestFiles.h"

namespace {

using Pairs = std::vector<std::pair<double, double>>;

// A time as a flat timeline holds it: whole microseconds, read back as
// multiples of 1e-6 (what the runs write).
double Micro(double t) { return double(std::llround(t * 1e6)) * 1e-6; }

Pairs Of(const TriangleIntervalTable& t, int32_t tri) {
  Pairs out;
  for (int32_t i = 0; i < t.counts[size_t(tri)]; i++)
    out.emplace_back(t.Intervals(tri)[i].start, t.Intervals(tri)[i].end);
  return out;
}

// A table of n triangles built from (triangle, start, end) in this order.
std::unique_ptr<TriangleIntervalTable> Table(
    int32_t n, const std::vector<std::tuple<uint32_t, double, double>>& in) {
  IntervalTableBuilder b(n);
  for (const auto& [t, s, e] : in) b.Count(t);
  b.Allocate();
  for (const auto& [t, s, e] : in) b.Append(t, s, e);
  return b.Finish();
}

// Triangle 2: [0.1, 0.3] and [0.6, 0.7] on one sample, [0.3, 0.5] on
// another pixel's added sample; triangle 0: one interval; triangles 1, 3
// none.
SampleLocationBuffer MergeCase(bool flat) {
  SampleLocationBuffer buf(2, 1);
  buf.AddSample(1, 0, 1.5f, 0.25f);
  SampleLocation& a = buf.Pixel(0, 0).samples[0];
  SampleLocation& b = buf.Pixel(1, 0).samples[1];
  if (flat) {
    a.timeline = Flat({{2, 0.6, 0.7}, {0, 0.0, 0.25}, {2, 0.1, 0.3}});
    b.timeline = Flat({{2, 0.3, 0.5}});
  } else {
    a.listTimeline = MakeTimeline<SuperPixel>({{2, 0.6, 0.7}, {0, 0.0, 0.25}, {2, 0.1, 0.3}});
    b.listTimeline = MakeTimeline<SuperPixel>({{2, 0.3, 0.5}});
  }
  return buf;
}

class IntervalTableFiles : public ScratchDirTest {};

}  // namespace

TEST(IntervalTable, MergesTouchingIntervalsFromFlatAndListTimelines) {
  for (bool flat : {true, false}) {
    SampleLocationBuffer buf = MergeCase(flat);
    auto table = flat ? BuildIntervalTable(buf, 4) : BuildIntervalTableFromLists(buf, 4);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->triangleCount, 4);
    EXPECT_EQ(table->trianglesWithIntervals, 2);
    auto m = [flat](double t) { return flat ? Micro(t) : t; };
    EXPECT_EQ(Of(*table, 2), (Pairs{{m(0.1), m(0.5)}, {m(0.6), m(0.7)}}));
    EXPECT_EQ(Of(*table, 0), (Pairs{{0.0, 0.25}}));
    EXPECT_EQ(table->counts[1], 0);
    EXPECT_EQ(table->Intervals(1), nullptr);
    EXPECT_EQ(table->counts[3], 0);
  }
}

TEST(IntervalTable, ListTableIgnoresTreesAndTheOtherWayRound) {
  SampleLocationBuffer buf = MergeCase(true);
  auto table = BuildIntervalTableFromLists(buf, 4);
  EXPECT_EQ(table->trianglesWithIntervals, 0);
  EXPECT_TRUE(table->intervals.empty());
}

TEST(IntervalTable, MergeKeepsContainedIntervalsAndSkipsStrayIds) {
  auto table = Table(3, {{1, 0.5, 0.9}, {1, 0.0, 1.0}, {1, 0.2, 0.3}, {0, 0.4, 0.41},
                         {0, 0.4, 0.4}, {7, 0.0, 1.0}, {kNoTriangle, 0.0, 1.0}});
  EXPECT_EQ(Of(*table, 1), (Pairs{{0.0, 1.0}}));
  EXPECT_EQ(Of(*table, 0), (Pairs{{0.4, 0.41}}));
  EXPECT_EQ(table->trianglesWithIntervals, 2);
  EXPECT_EQ(table->intervals.size(), 2u);
}

TEST(IntervalTable, WindowQueryMeetsClosedWindow) {
  auto table = Table(4, {{0, 0.2, 0.5}, {1, 0.5000001, 0.9}, {2, 0.0, 0.1}, {2, 0.45, 0.49},
                         {3, 0.0, 1.0}});
  // Triangle 0 ends exactly at the window; the entry past the set stays.
  std::vector<int32_t> flags = {0, 0, 0, 0, 7};
  MarkVisibleInWindow(*table, 0.5, 0.5, flags.data(), 4);
  EXPECT_EQ(flags, (std::vector<int32_t>{1, 0, 0, 1, 7}));
  std::vector<int32_t> few = {0, 0};  // a shorter set is never written past
  MarkVisibleInWindow(*table, 0.0, 1.0, few.data(), 2);
  EXPECT_EQ(few, (std::vector<int32_t>{1, 1}));
}

TEST_F(IntervalTableFiles, WritesExactBytesOnlyForTrianglesWithIntervals) {
  SampleLocationBuffer buf = MergeCase(true);
  auto table = BuildIntervalTable(buf, 4);
  ASSERT_TRUE(WriteIntervalTable(*table, "t.bin"));
  // Straight from the merged timelines: the same bytes.
  ASSERT_TRUE(WriteIntervalTable(MergeTimelines(buf, 4), "m.bin"));
  EXPECT_EQ(ReadBytes("m.bin"), ReadBytes("t.bin"));
  Bytes expected;
  expected.I32(2).I32(4);
  expected.I32(0).I32(1).F64(0.0).F64(0.25);
  expected.I32(2).I32(2).F64(Micro(0.1)).F64(Micro(0.5)).F64(Micro(0.6)).F64(Micro(0.7));
  EXPECT_EQ(ReadBytes("t.bin"), expected.get());

  auto back = ReadIntervalTable("t.bin");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->trianglesWithIntervals, 2);
  EXPECT_EQ(back->triangleCount, 4);
  EXPECT_EQ(Of(*back, 2), (Pairs{{Micro(0.1), Micro(0.5)}, {Micro(0.6), Micro(0.7)}}));
  EXPECT_EQ(Of(*back, 0), (Pairs{{0.0, 0.25}}));
  EXPECT_EQ(back->counts[1], 0);
}

TEST_F(IntervalTableFiles, EmptyTableIsEightBytes) {
  SampleLocationBuffer buf(3, 3);
  auto table = BuildIntervalTable(buf, 5);
  ASSERT_TRUE(WriteIntervalTable(*table, "e.bin"));
  EXPECT_EQ(ReadBytes("e.bin"), Bytes().I32(0).I32(5).get());
  auto back = ReadIntervalTable("e.bin");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->counts, std::vector<int32_t>(5, 0));
}

TEST_F(IntervalTableFiles, RejectsMalformedFilesNamingThem) {
  auto rec = [](Bytes b, int32_t t, int32_t k) {
    b.I32(t).I32(k);
    for (int i = 0; i < k; i++) b.F64(i).F64(i + 0.5);
    return b;
  };
  const Bytes good = rec(rec(Bytes().I32(2).I32(4), 1, 1), 3, 2);
  std::vector<uint8_t> truncated = good.get();
  truncated.pop_back();
  std::vector<uint8_t> shortHeader = {1, 0, 0, 0, 4, 0};
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"truncated", truncated},
      {"short header", shortHeader},
      {"negative N", rec(Bytes().I32(1).I32(-4), 0, 1)},
      {"negative M", Bytes().I32(-1).I32(4)},
      {"M above N", rec(Bytes().I32(2).I32(1), 0, 1)},
      {"M beyond file", rec(Bytes().I32(3).I32(4), 1, 1)},
      {"index equal N", rec(Bytes().I32(1).I32(4), 4, 1)},
      {"negative index", rec(Bytes().I32(1).I32(4), -1, 1)},
      {"repeated index", rec(rec(Bytes().I32(2).I32(4), 1, 1), 1, 1)},
      {"descending index", rec(rec(Bytes().I32(2).I32(4), 2, 1), 1, 1)},
      {"negative K", rec(Bytes().I32(1).I32(4), 0, -1)},
      {"zero K", rec(Bytes().I32(1).I32(4), 0, 0)},
      {"K beyond file", Bytes().I32(1).I32(4).I32(0).I32(1000000)},
      {"K leaves no room for the next record", rec(Bytes().I32(2).I32(4), 0, 1)},
      {"huge N", Bytes().I32(0).I32(0x7fffffff)},
  };
  WriteBytes("good.bin", good);
  ASSERT_NE(ReadIntervalTable("good.bin"), nullptr);
  for (const auto& c : cases) {
    const char* name = c.first;
    const std::vector<uint8_t>& bytes = c.second;
    WriteBytes("bad.bin", bytes);
    const std::string err = StderrOf([&] { EXPECT_EQ(ReadIntervalTable("bad.bin"), nullptr) << name; });
    EXPECT_NE(err.find("bad.bin"), std::string::npos) << name << ": " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << name << ": " << err;
    EXPECT_EQ(Quiet([&] { return ParseIntervalTable(bytes.data(), bytes.size(), "mem"); }), nullptr)
        << name;
  }
  EXPECT_NE(StderrOf([] { EXPECT_EQ(ReadIntervalTable("missing.bin"), nullptr); }).find("missing.bin"),
            std::string::npos);
}
