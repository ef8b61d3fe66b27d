#include "tools/qvtool/smbios_walk.h"

#include <gtest/gtest.h>

#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes.push_back(static_cast<char>(value));
  return bytes;
}

TEST(SmbiosWalk, StructuresStringsAndTruncation) {
  const std::string table = Bytes({1, 5, 0x34, 0x12, 1, 'V', 'e', 'x', 'a', 0, 'X', 0, 0,  //
                                   127, 4, 0xFF, 0xFF, 0, 0});
  const std::vector<SmbiosStructure> walked = WalkSmbiosTable(table);
  ASSERT_EQ(walked.size(), 2u);
  EXPECT_EQ(walked[0].type, 1);
  EXPECT_EQ(walked[0].handle, 0x1234);
  EXPECT_EQ(walked[0].strings, (std::vector<std::string>{"Vexa", "X"}));
  EXPECT_FALSE(walked[0].truncated);
  EXPECT_EQ(walked[1].offset, 13u);
  EXPECT_EQ(SmbiosTypeName(walked[1].type), "end of table");

  // Cut inside the string-set: the walk stops after that structure, reading nothing beyond.
  const std::vector<SmbiosStructure> cut = WalkSmbiosTable(table.substr(0, 8));
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_TRUE(cut[0].truncated);
  EXPECT_TRUE(cut[0].strings.empty());
  EXPECT_TRUE(WalkSmbiosTable("").empty());
}

TEST(SmbiosWalk, FormattedLengthsBelowTheHeaderStillMakeProgress) {
  const std::string table = Bytes({7, 0, 0, 0, 9, 1, 0, 0, 0, 0});
  const std::vector<SmbiosStructure> walked = WalkSmbiosTable(table);
  ASSERT_FALSE(walked.empty());
  EXPECT_LE(walked.size(), table.size());
  for (std::size_t i = 1; i < walked.size(); ++i) EXPECT_GT(walked[i].offset, walked[i - 1].offset);
}

TEST(SmbiosWalk, TableFilesHoldBytesOrHexText) {
  EXPECT_EQ(DecodeTableFile("t", "00 1a\nFF\t7f"), Bytes({0, 0x1A, 0xFF, 0x7F}));
  const std::string raw = Bytes({0, 0x18, 'g', 0});
  EXPECT_EQ(DecodeTableFile("t", raw), raw);
  EXPECT_THROW(DecodeTableFile("t", "0a b"), ToolError);
}

}  // namespace
}  // namespace qvtool
