#include <gtest/gtest.h>

#include <sstream>

#include "VisTestFiles.h"
#include "TimelineDump.h"
#include "VisibleSet.h"

namespace {
class VisibleSetFiles : public ScratchDirTest {};
}  // namespace

TEST_F(VisibleSetFiles, WritesAscendingIdsAndReadsThemBack) {
  VisibleSet set = {0, 1, 0, 1, 1, 0};
  std::ostringstream out, err;
  const Console console = ConsoleOf([&] {
    EXPECT_EQ(WriteVisibleSet(set, "s.bin", out, err), 3);
    EXPECT_EQ(WriteVisibleSet(set, nullptr, out, err), 3);
  });
  EXPECT_EQ(console.out + console.err, "");  // nothing on the process's own streams
  EXPECT_EQ(out.str(), "3 visible triangle detected and saved!\n3 visible triangle detected!\n");
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(ReadBytes("s.bin"), Bytes().I32(3).I32(1).I32(3).I32(4).get());

  VisibleSet back = {1, 0, 0, 0, 0, 0};
  EXPECT_EQ(ReadVisibleSet(back, "s.bin", false, out, err), 3);
  EXPECT_EQ(back, (VisibleSet{1, 1, 0, 1, 1, 0}));
  EXPECT_EQ(ReadVisibleSet(back, "s.bin", true, out, err), 3);
  EXPECT_EQ(back, set);
}

// A set that cannot be written is not reported as saved.
TEST_F(VisibleSetFiles, UnwritableFileIsReportedNotSaved) {
  VisibleSet set = {0, 1, 1};
  std::ostringstream out, err;
  EXPECT_EQ(WriteVisibleSet(set, "no/such/folder/s.bin", out, err), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "ERROR: 2 visible triangle detected, but the visible set no/such/folder/s.bin could not be "
            "written\n");
}

TEST_F(VisibleSetFiles, IdEqualToNIsPrintedAndIgnored) {
  WriteBytes("n.bin", Bytes().I32(2).I32(4).I32(12));
  VisibleSet set(4, 0);
  std::ostringstream out, err;
  EXPECT_EQ(ReadVisibleSet(set, "n.bin", true, out, err), 2);
  EXPECT_EQ(out.str(), "412");
  EXPECT_EQ(set, VisibleSet(4, 0));
}

TEST_F(VisibleSetFiles, MissingOrMalformedFileLeavesSetUntouched) {
  VisibleSet set = {1, 0, 1};
  EXPECT_EQ(ReadVisibleSet(set, "missing.bin", true, std::cout, std::cerr), 0);
  EXPECT_EQ(set, (VisibleSet{1, 0, 1}));
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"empty file", {}},
      {"short count", {1, 0}},
      {"truncated ids", Bytes().I32(3).I32(0).I32(1)},
      {"negative count", Bytes().I32(-1).I32(0)},
      {"huge count", Bytes().I32(0x7fffffff).I32(0)},
      {"negative id", Bytes().I32(2).I32(1).I32(-5)},
  };
  for (const auto& [name, bytes] : cases) {
    WriteBytes("bad.bin", bytes);
    std::ostringstream stream;
    EXPECT_EQ(ReadVisibleSet(set, "bad.bin", true, std::cout, stream), 0) << name;
    const std::string err = stream.str();
    EXPECT_NE(err.find("bad.bin"), std::string::npos) << name;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << name;
    EXPECT_EQ(set, (VisibleSet{1, 0, 1})) << name;
  }
}

TEST_F(VisibleSetFiles, ReadsOnlyTheFirstRecordOfASequence) {
  WriteBytes("seq.bin", Bytes().I32(1).I32(0).I32(2).I32(1).I32(2));
  VisibleSet set(3, 0);
  EXPECT_EQ(ReadVisibleSet(set, "seq.bin", true, std::cout, std::cerr), 1);
  EXPECT_EQ(set, (VisibleSet{1, 0, 0}));
}

TEST_F(VisibleSetFiles, IdListAndEndStateLine) {
  VisibleSet set(50, 0);
  set[3] = set[17] = set[42] = 1;
  EXPECT_EQ(WriteIdList(set.data(), 50, "list.txt"), 3);
  EXPECT_EQ(ReadText("list.txt"), "50\n3\n3\n17\n42\n\n");
  VisibleSet none(7, 0);
  EXPECT_EQ(WriteIdList(none.data(), 7, "none.txt"), 0);
  EXPECT_EQ(ReadText("none.txt"), "7\n0\n\n");
  WriteVisibilityAtB(set.data(), 50, "atB.txt");
  EXPECT_EQ(ReadText("atB.txt"), "0:3,17,42,\n");
  std::ostringstream line;
  WriteVisibilityLine(line, "0.25", none.data(), 7);
  EXPECT_EQ(line.str(), "0.25:\n");
}

TEST(TimelineDump, ListAndFinalisedBlocks) {
  SuperPixel sp(400.5, 130.5, 0);
  std::ostringstream empty;
  DumpTimeline(sp, empty);
  EXPECT_EQ(empty.str(), "Super Pixel[400.5,130.5]:\n0\n");

  auto* a = new CoverageInterval{3, 0.25, 0.5, 12.5, 13, nullptr, nullptr};
  auto* b = new CoverageInterval{17, 0.5, 1, 11, 10.75, nullptr, a};
  a->next = b;
  sp.head = a;
  std::ostringstream list;
  DumpTimeline(sp, list);
  EXPECT_EQ(list.str(),
            "Super Pixel[400.5,130.5]:\n2\n"
            "\tTID 3: [0.25,12.5]->[0.5,13]\n"
            "\tTID 17: [0.5,11]->[1,10.75]\n");
  EXPECT_EQ(sp.count, 2);
  sp.Finalise();
  std::ostringstream fin;
  DumpTimeline(sp, fin);
  EXPECT_EQ(fin.str(),
            "Super Pixel[400.5,130.5]:\n2\n"
            "\tTID3: [0.25,12.5]->[0.5,13]\n"
            "\tTID17: [0.5,11]->[1,10.75]\n");
}

TEST_F(VisibleSetFiles, WritesTheListedIdsWithTheirCount) {
  // The empty set's 4-byte file. Entries other than 0 and 1 count as
  // visible but are not listed: the header counts only the ids written.
  // Sets named by the first group's ids take them from a row shorter than
  // the set (ids beyond it keep their number), or the indices without a row.
  const std::vector<int32_t> row = {10, 11, 12};
  const struct {
    VisibleSet set;
    SetIds ids;
    const std::vector<int32_t>* row;
    int32_t visible;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {VisibleSet(6, 0), SetIds::kIndex, nullptr, 0, Bytes().I32(0)},
      {{1, -1, 1}, SetIds::kIndex, nullptr, 3, Bytes().I32(2).I32(0).I32(2)},
      {{0, 1, 1, 1}, SetIds::kFirstGroupIds, &row, 3, Bytes().I32(3).I32(11).I32(12).I32(3)},
      {{0, 1, 1, 1}, SetIds::kIndex, &row, 3, Bytes().I32(3).I32(1).I32(2).I32(3)},
      {{0, 1, 1, 1}, SetIds::kFirstGroupIds, nullptr, 3, Bytes().I32(3).I32(1).I32(2).I32(3)},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    EXPECT_EQ(WriteVisibleSet(c.set, "s.bin", out, std::cerr, c.ids, c.row), c.visible);
    EXPECT_EQ(out.str(), std::to_string(c.visible) + " visible triangle detected and saved!\n");
    EXPECT_EQ(ReadBytes("s.bin"), c.bytes);
  }
}
