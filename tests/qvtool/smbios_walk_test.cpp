#include "tools/qvtool/smbios/smbios_structure_view.h"

#include <gtest/gtest.h>

#include "tools/qvtool/smbios/smbios_table_file.h"
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
  const std::vector<SmbiosStructure> walked = WalkSmbiosTable(table).structures;
  ASSERT_EQ(walked.size(), 2u);
  EXPECT_EQ(walked[0].type, 1);
  EXPECT_EQ(walked[0].handle, 0x1234);
  EXPECT_EQ(walked[0].strings, (std::vector<std::string>{"Vexa", "X"}));
  EXPECT_FALSE(walked[0].truncated);
  EXPECT_EQ(walked[1].offset, 13u);
  EXPECT_EQ(SmbiosTypeName(walked[1].type), "end of table");

  // Cut inside the string-set: the walk stops after that structure, reading nothing beyond.
  const SmbiosWalk cut = WalkSmbiosTable(table.substr(0, 8));
  ASSERT_EQ(cut.structures.size(), 1u);
  EXPECT_TRUE(cut.structures[0].truncated);
  EXPECT_TRUE(cut.structures[0].strings.empty());
  EXPECT_NE(DescribeWalkEnd(cut.end, 8).find("ends inside"), std::string::npos);
  EXPECT_TRUE(WalkSmbiosTable("").structures.empty());
  EXPECT_EQ(DescribeWalkEnd(WalkSmbiosTable(table).end, table.size()), "");
}

// The view walks exactly as the parser does: bytes that cannot be a structure end the walk
// and are named in the output instead of being shown as a structure.
TEST(SmbiosWalk, StopsWhereNoStructureCanStart) {
  const std::string one = Bytes({127, 4, 0xFF, 0xFF, 0, 0});
  const SmbiosWalk stray = WalkSmbiosTable(one + Bytes({0xD0}));
  EXPECT_EQ(stray.structures.size(), 1u);
  EXPECT_EQ(DescribeWalkEnd(stray.end, one.size() + 1),
            "the walk stopped at 0x0006: 1 byte left, too few for a structure header; not read");

  const SmbiosWalk padded = WalkSmbiosTable(one + std::string(16, '\0'));
  EXPECT_EQ(padded.structures.size(), 1u);
  EXPECT_NE(DescribeWalkEnd(padded.end, one.size() + 16).find("declared length below 4"),
            std::string::npos);
  EXPECT_TRUE(WalkSmbiosTable(Bytes({7, 0, 0, 0, 9, 1, 0, 0, 0, 0})).structures.empty());
}

TEST(SmbiosWalk, ControlBytesOfStringsAreShownAsDots) {
  EXPECT_EQ(PrintableText(Bytes({'A', 0x1B, ']', '0', ';', 'x', 0x07, 0x7F, 0x0A, 'Z'})),
            "A.]0;x...Z");
  // Bytes from 0x80 on are text in some code page, as dmidecode leaves them.
  EXPECT_EQ(PrintableText(Bytes({0x20, 0x7E, 0x80, 0xE9})), Bytes({0x20, 0x7E, 0x80, 0xE9}));
}

TEST(SmbiosWalk, TableFilesHoldBytesOrHexText) {
  EXPECT_EQ(DecodeTableFile("t", "00 1a\nFF\t7f"), Bytes({0, 0x1A, 0xFF, 0x7F}));
  const std::string raw = Bytes({0, 0x18, 'g', 0});
  EXPECT_EQ(DecodeTableFile("t", raw), raw);
  EXPECT_THROW(DecodeTableFile("t", "0a b"), ToolError);
}

}  // namespace
}  // namespace qvtool
