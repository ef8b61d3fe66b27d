// Malformed and truncated tables: the parser reads nothing past the blob, always makes
// progress, and yields fewer facts instead of failing. Each blob is parsed from an exactly
// sized heap copy so that AddressSanitizer builds catch any overread.
#include <gtest/gtest.h>

#include <memory>

#include "platform/smbios_parser.h"
#include "tests/platform/smbios_table.h"

using namespace qv::platform;

namespace {

using qv::testing::Bytes;
using qv::testing::SmbiosTable;

void ParseExact(CSMBIOSParser& parser, const Bytes& bytes, std::size_t size) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size == 0 ? 1 : size]);
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), copy.get());
  parser.ParseTables(size == 0 ? nullptr : copy.get(), static_cast<std::uint32_t>(size));
}

void ParseExact(CSMBIOSParser& parser, const Bytes& bytes) {
  ParseExact(parser, bytes, bytes.size());
}

SmbiosTable RichTable() {
  SmbiosTable table = SmbiosTable::VexaMachine(0x2A);
  table.OemStrings({"Vexa System", "1[0E5]"}).FeatureWords(0xAABBCCDD, 0x01020304);
  table.Tokens({{0x0188, 1, 2}, {0x007D, 3, 4}}).EndOfTable();
  return table;
}

TEST(SmbiosParserBounds, EmptyBlobClearsEverything) {
  CSMBIOSParser parser;
  ParseExact(parser, RichTable().bytes());
  ASSERT_EQ(parser.SystemId(), 0x2A);
  ASSERT_FALSE(parser.Tokens().empty());

  parser.ParseTables(nullptr, 0);
  EXPECT_EQ(parser.MakerFlag(), 0);
  EXPECT_EQ(parser.BiosFlag(), 0);
  EXPECT_EQ(parser.SystemId(), 0);
  EXPECT_EQ(parser.FeatureWord1(), 0u);
  EXPECT_TRUE(parser.Tokens().empty());

  parser.ParseTables(nullptr, 100);  // a null blob holds nothing, whatever its stated size
  EXPECT_EQ(parser.SystemId(), 0);
}

TEST(SmbiosParserBounds, EveryTruncationAndByteValueIsSafe) {
  const Bytes table = RichTable().bytes();
  CSMBIOSParser parser;
  for (std::size_t size = 0; size <= table.size(); ++size) ParseExact(parser, table, size);
  EXPECT_EQ(parser.SystemId(), 0x2A);

  for (std::size_t at = 0; at < table.size(); ++at) {
    for (int value : {0x00, 0x01, 0x02, 0x03, 0x0B, 0x7F, 0xB1, 0xD0, 0xDA, 0xFE, 0xFF}) {
      Bytes damaged = table;
      damaged[at] = static_cast<std::uint8_t>(value);
      ParseExact(parser, damaged);
    }
  }
}

TEST(SmbiosParserBounds, FieldsPastTheEndReadAsZero) {
  CSMBIOSParser parser;
  // A type-208 structure cut off after its 0xFE marker: the extended ID reads as 0.
  SmbiosTable head;
  head.BiosVendor("Vexa BIOS").SystemIdByte(0x44);
  Bytes cut = head.bytes();
  cut.insert(cut.end(), {208, 10, 0, 0, 0, 0, 0xFE, 0, 0xC3});
  ParseExact(parser, cut);
  EXPECT_EQ(parser.SystemId(), 0);

  // Type 177 whose second word runs off the end.
  Bytes features = head.bytes();
  features.insert(features.end(), {177, 12, 0, 0, 1, 2, 3, 4, 5, 6});
  ParseExact(parser, features);
  EXPECT_EQ(parser.FeatureWord1(), 0x04030201u);
  EXPECT_EQ(parser.FeatureWord2(), 0u);
}

TEST(SmbiosParserBounds, MissingDoubleNulEndsWalkAfterThatStructure) {
  CSMBIOSParser parser;
  SmbiosTable table;
  table.BiosVendor("Vexa BIOS");
  Bytes bytes = table.bytes();
  // A type-208 structure whose string-set ends with a single NUL, then more bytes that the walk
  // must not reach as structures.
  bytes.insert(bytes.end(), {208, 8, 0, 0, 0, 0, 0x61, 0, 'x', 0, 208, 4, 0});
  ParseExact(parser, bytes);
  EXPECT_EQ(parser.SystemId(), 0x61) << "the structure itself is still handled";

  Bytes unterminatedString = table.bytes();
  unterminatedString.insert(unterminatedString.end(), {1, 5, 0, 0, 1, 'V', 'e', 'x', 'a', ' '});
  ParseExact(parser, unterminatedString);
  EXPECT_EQ(parser.MakerFlag(), 0) << "a string without its NUL counts as absent";
}

TEST(SmbiosParserBounds, ShortFormattedAreaStillReadsAtFixedOffsets) {
  CSMBIOSParser parser;
  SmbiosTable table;
  table.BiosVendor("Vexa BIOS");
  // Type 208 with formatted length 4: offset 6 lies inside its string-set ("abc" -> 'c').
  table.Raw({208, 4, 0, 0, 'a', 'b', 'c', 0, 0});
  ParseExact(parser, table.bytes());
  EXPECT_EQ(parser.SystemId(), 'c');

  // Type 218 whose formatted area ends before its second entry: the scan stops there even
  // though the bytes continue with a wanted token.
  SmbiosTable tokens = SmbiosTable::VexaMachine(1);
  // Formatted length 17 covers only the first entry; the second lies in the string-set.
  const Bytes bounded = {218,  17, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0x88,
                         0x01, 1,  0, 2, 0, 0x7D, 0, 5, 0, 6, 0, 0};
  tokens.Raw(bounded);
  ParseExact(parser, tokens.bytes());
  ASSERT_EQ(parser.Tokens().size(), 1u);
  EXPECT_EQ(parser.Tokens()[0].id, 0x0188);

  // An entry that starts inside the formatted area but runs off the blob is still taken; its
  // missing fields read as 0.
  CSMBIOSParser clipped;
  SmbiosTable vexa = SmbiosTable::VexaMachine(1);
  vexa.Raw({218, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x88, 0x01, 1});
  ParseExact(clipped, vexa.bytes());
  ASSERT_EQ(clipped.Tokens().size(), 1u);
  EXPECT_EQ(clipped.Tokens()[0].id, 0x0188);
  EXPECT_EQ(clipped.Tokens()[0].location, 0) << "a half-present field reads as 0";
  EXPECT_EQ(clipped.Tokens()[0].value, 0);

  // Cut inside the ID itself: the ID reads as 0 and matches no wanted token.
  Bytes idCut = SmbiosTable::VexaMachine(1).bytes();
  idCut.insert(idCut.end(), {218, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x88});
  ParseExact(clipped, idCut);
  EXPECT_EQ(clipped.Tokens().size(), 1u);
}

TEST(SmbiosParserBounds, LengthsBelowTheHeaderEndTheWalk) {
  CSMBIOSParser parser;
  // Lengths 0 and 1 would put the string-set over the header itself: no structure, and the
  // walk ends there, so the Vexa structures behind them are not reached.
  Bytes bytes = {0x55, 0, 0, 0x56, 1, 0, 0};
  const Bytes vexa = SmbiosTable::VexaMachine(0x2A).bytes();
  bytes.insert(bytes.end(), vexa.begin(), vexa.end());
  ParseExact(parser, bytes);
  EXPECT_EQ(parser.SystemId(), 0);
  EXPECT_EQ(parser.BiosFlag(), 0);

  // A blob of nothing but zero bytes holds no structure at all.
  ParseExact(parser, vexa);
  ParseExact(parser, Bytes(4096, 0));
  EXPECT_EQ(parser.SystemId(), 0);
  EXPECT_EQ(parser.BiosFlag(), 0);

  // Lone bytes and a header without a string-set.
  ParseExact(parser, Bytes{0});
  ParseExact(parser, Bytes{208, 0xFF});
  EXPECT_EQ(parser.SystemId(), 0);
}

}  // namespace
