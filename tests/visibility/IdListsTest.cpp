// Tile id lists: the text form's tokens, the conversion to the binary form
// and the reading of binary lists into flags.
#include <gtest/gtest.h>

#include <sstream>

#include "IdLists.h"
#include "ScratchDir.h"
#include "TestSupport.h"

namespace {

using Ids = std::vector<int32_t>;

Ids Parse(const std::string& text, bool* ok = nullptr) {
  Ids ids;
  std::ostringstream err;
  const bool parsed = ParseTextIdList(text.data(), text.size(), "list", &ids, err);
  if (ok != nullptr) *ok = parsed;
  return ids;
}

}  // namespace

TEST(IdLists, TextTokensGiveTheIdsInFileOrder) {
  // The trailing "," leaves an empty token, which must not become id 0.
  EXPECT_EQ(Parse("0:5,3,17,\n"), (Ids{5, 3, 17}));
  EXPECT_EQ(Parse("12:7,\r\n"), (Ids{7}));
  EXPECT_EQ(Parse("0:\n"), Ids{});
  EXPECT_EQ(Parse("0:,,4,,"), (Ids{4}));
  EXPECT_EQ(Parse("0:0,"), (Ids{0}));
  bool ok = true;
  Parse("no label 1,2,", &ok);
  EXPECT_FALSE(ok);
  Parse("0:1,x2,", &ok);
  EXPECT_FALSE(ok);
  Parse("0:99999999999,", &ok);
  EXPECT_FALSE(ok);
}

TEST(IdLists, ConversionWritesRawIdsAndNothingOnFailure) {
  ScratchDir dir;
  std::ostringstream err;
  WriteText("a.txt", "0:9,2,9,\n");
  EXPECT_EQ(ConvertIdList("a.txt", "a_bin.txt", err), 3);
  EXPECT_EQ(ReadBytes<char>("a_bin.txt").size(), 12u);
  std::vector<int32_t> flags(10, 0);
  EXPECT_EQ(ReadBinaryIdList("a_bin.txt", flags.data(), 10, err), 3);
  EXPECT_EQ(flags, (Ids{0, 0, 1, 0, 0, 0, 0, 0, 0, 1}));

  // A bad list and a missing one write nothing.
  WriteText("b.txt", "0:1,2,oops,");
  EXPECT_EQ(ConvertIdList("b.txt", "b_bin.txt", err), -1);
  EXPECT_EQ(ConvertIdList("missing.txt", "m_bin.txt", err), -1);
  EXPECT_FALSE(FileExists("b_bin.txt"));
  EXPECT_FALSE(FileExists("m_bin.txt"));
}

TEST(IdLists, BinaryReadSkipsWhatIsNotAnId) {
  ScratchDir dir;
  std::ostringstream err;
  std::vector<int32_t> flags(4, 0);
  WriteText("empty_bin.txt", "");
  EXPECT_EQ(ReadBinaryIdList("empty_bin.txt", flags.data(), 4, err), 0);
  EXPECT_EQ(flags, (Ids{0, 0, 0, 0}));
  EXPECT_EQ(err.str(), "");

  // Ids outside the scene and a torn last id are reported and skipped.
  std::vector<char> bytes;
  for (int32_t v : {3, -1, 4, 1}) Put(bytes, v);
  bytes.push_back(7);
  WriteBytes("odd_bin.txt", bytes);
  EXPECT_EQ(ReadBinaryIdList("odd_bin.txt", flags.data(), 4, err), 4);
  EXPECT_EQ(flags, (Ids{0, 1, 0, 1}));
  EXPECT_NE(err.str().find("2 ids outside"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("1 bytes after the last id"), std::string::npos);

  EXPECT_EQ(ReadBinaryIdList("none_bin.txt", flags.data(), 4, err), -1);
}
