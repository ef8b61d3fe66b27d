// What the parser concludes from well-formed tables: maker and BIOS flags, the system ID from
// type 208 or an OEM string, feature words, and the wanted BIOS tokens.
#include <gtest/gtest.h>

#include <vector>

#include "platform/smbios_parser.h"
#include "tests/platform/smbios_table.h"

using namespace qv::platform;

namespace {

using qv::testing::Bytes;
using qv::testing::SmbiosTable;

void Parse(CSMBIOSParser& parser, const SmbiosTable& table) {
  const Bytes& bytes = table.bytes();
  parser.ParseTables(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::vector<std::uint16_t> TokenIds(const CSMBIOSParser& parser) {
  std::vector<std::uint16_t> ids;
  for (const auto& token : parser.Tokens()) ids.push_back(token.id);
  return ids;
}

TEST(SmbiosParserFacts, StartsEmpty) {
  CSMBIOSParser parser;
  EXPECT_EQ(parser.MakerFlag(), 0);
  EXPECT_EQ(parser.BiosFlag(), 0);
  EXPECT_EQ(parser.SystemId(), 0);
  EXPECT_EQ(parser.FeatureWord1(), 0u);
  EXPECT_EQ(parser.FeatureWord2(), 0u);
  EXPECT_TRUE(parser.Tokens().empty());
}

TEST(SmbiosParserFacts, Type208GivesSystemIdForVexaBios) {
  CSMBIOSParser parser;
  Parse(parser, SmbiosTable::VexaMachine(0x2A));
  EXPECT_EQ(parser.MakerFlag(), 1);
  EXPECT_EQ(parser.BiosFlag(), 1);
  EXPECT_EQ(parser.SystemId(), 0x002A);

  SmbiosTable extended;
  extended.BiosVendor("Vexa Technologies").Manufacturer("Vexa Inc").ExtendedSystemId(0x01C3);
  Parse(parser, extended);
  EXPECT_EQ(parser.SystemId(), 0x01C3);

  SmbiosTable biosOnly;
  biosOnly.BiosVendor("Vexa BIOS").Manufacturer("Other Corp").SystemIdByte(0x33);
  Parse(parser, biosOnly);
  EXPECT_EQ(parser.MakerFlag(), 0);
  EXPECT_EQ(parser.BiosFlag(), 1);
  EXPECT_EQ(parser.SystemId(), 0x33);

  SmbiosTable twoRecords = SmbiosTable::VexaMachine(0x10);
  twoRecords.EndOfTable().SystemIdByte(0x11);  // end-of-table in the middle does not stop the walk
  Parse(parser, twoRecords);
  EXPECT_EQ(parser.SystemId(), 0x11);

  SmbiosTable noRecord;
  noRecord.BiosVendor("Vexa Technologies").Manufacturer("Vexa Computer Corp.");
  Parse(parser, noRecord);
  EXPECT_EQ(parser.BiosFlag(), 1);
  EXPECT_EQ(parser.SystemId(), 0);
}

TEST(SmbiosParserFacts, OemStringGivesSystemIdForOtherBios) {
  CSMBIOSParser parser;
  SmbiosTable table;
  table.BiosVendor("Phoenix").Manufacturer("Vexa Computer Corp.").SystemIdByte(0x2A);
  table.OemStrings({"Vexa System Board", "unrelated", "1[0E5]", "1[0E6]"});
  Parse(parser, table);
  EXPECT_EQ(parser.MakerFlag(), 1);
  EXPECT_EQ(parser.BiosFlag(), 0);
  EXPECT_EQ(parser.SystemId(), 0x00E5);

  SmbiosTable firstOnly;
  firstOnly.BiosVendor("Phoenix").Manufacturer("Vexa Computer Corp.").OemStrings({"1[0E5]"});
  Parse(parser, firstOnly);
  EXPECT_EQ(parser.SystemId(), 0) << "OEM string 1 is never searched for the ID";

  SmbiosTable laterWithoutMatch;
  laterWithoutMatch.BiosVendor("Phoenix").Manufacturer("Vexa Computer Corp.");
  laterWithoutMatch.OemStrings({"a", "1[1F]"}).OemStrings({"b", "nothing"});
  Parse(parser, laterWithoutMatch);
  EXPECT_EQ(parser.SystemId(), 0x1F) << "a type 11 without a match keeps the earlier ID";

  SmbiosTable countBelowStrings;
  countBelowStrings.BiosVendor("Phoenix").Manufacturer("Vexa Computer Corp.");
  countBelowStrings.Add(11, {2}, {"a", "b", "1[77]"});
  Parse(parser, countBelowStrings);
  EXPECT_EQ(parser.SystemId(), 0) << "only strings 2 to count are searched";
}

TEST(SmbiosParserFacts, PrefixTestsAreExactAndCaseSensitive) {
  CSMBIOSParser parser;
  SmbiosTable oemMaker;
  oemMaker.BiosVendor("Phoenix")
      .Manufacturer("Generic PC")
      .OemStrings({"Vexa System X200", "1[5]"});
  Parse(parser, oemMaker);
  EXPECT_EQ(parser.MakerFlag(), 1);
  EXPECT_EQ(parser.SystemId(), 5);

  const std::vector<std::pair<std::string, std::string>> nonMatches = {
      {"Vexa", "Vexa"}, {"vexa Corp", "VEXA BIOS"}, {"VexaCorp", "Vexa\tBIOS"}, {"", ""}};
  for (const auto& [maker, vendor] : nonMatches) {
    SmbiosTable table;
    table.BiosVendor(vendor).Manufacturer(maker).OemStrings({"Vexa Syste", "1[5]"});
    Parse(parser, table);
    EXPECT_EQ(parser.MakerFlag(), 0) << maker;
    EXPECT_EQ(parser.BiosFlag(), 0) << vendor;
  }
}

TEST(SmbiosParserFacts, NonVexaTablesClearEverything) {
  CSMBIOSParser parser;
  SmbiosTable vexa = SmbiosTable::VexaMachine(0x2A);
  vexa.FeatureWords(0x11223344, 0x55667788).Tokens({{0x007D, 1, 2}});
  Parse(parser, vexa);
  ASSERT_EQ(parser.Tokens().size(), 1u);
  EXPECT_EQ(parser.FeatureWord1(), 0x11223344u);
  EXPECT_EQ(parser.FeatureWord2(), 0x55667788u);

  SmbiosTable other;
  other.BiosVendor("Phoenix").Manufacturer("Other").SystemIdByte(0x2A);
  other.FeatureWords(1, 2).Tokens({{0x0188, 3, 4}});
  Parse(parser, other);
  EXPECT_EQ(parser.SystemId(), 0);
  EXPECT_EQ(parser.FeatureWord1(), 0u);
  EXPECT_EQ(parser.FeatureWord2(), 0u);
  EXPECT_TRUE(parser.Tokens().empty()) << "entries of earlier calls are dropped too";
}

TEST(SmbiosParserFacts, LaterTableOverridesFlagsButTokensAccumulate) {
  CSMBIOSParser parser;
  SmbiosTable first = SmbiosTable::VexaMachine(0x2A);
  first.FeatureWords(7, 8).Tokens({{0x0188, 1, 1}});
  Parse(parser, first);

  SmbiosTable second;
  second.Manufacturer("Vexa Computer Corp.").Tokens({{0x0188, 2, 2}});
  Parse(parser, second);
  EXPECT_EQ(parser.BiosFlag(), 0);
  EXPECT_EQ(parser.SystemId(), 0) << "no OEM string in the second table";
  EXPECT_EQ(parser.FeatureWord1(), 0u) << "no type 177 in the second table";
  ASSERT_EQ(parser.Tokens().size(), 2u);
  EXPECT_EQ(parser.Tokens()[0].location, 1);
  EXPECT_EQ(parser.Tokens()[1].location, 2);
}

TEST(SmbiosParserFacts, TokensFollowWantedOrderAndAreCopiedWhole) {
  CSMBIOSParser parser;
  SmbiosTable table = SmbiosTable::VexaMachine(1);
  table.Tokens({{0x01FA, 0x0102, 0x0304},
                {0x1234, 5, 6},
                {0x007D, 0xA0B0, 0xC0D0},
                {0x01FA, 9, 9},
                {0x0188, 7, 8}});
  table.Tokens({{0x01FA, 0x0202, 0x0303}});
  Parse(parser, table);

  EXPECT_EQ(TokenIds(parser), (std::vector<std::uint16_t>{0x0188, 0x007D, 0x01FA, 0x01FA}));
  const auto& tokens = parser.Tokens();
  EXPECT_EQ(tokens[1].location, 0xA0B0);
  EXPECT_EQ(tokens[1].value, 0xC0D0);
  EXPECT_EQ(tokens[2].location, 0x0102) << "the first entry of a structure wins";
  EXPECT_EQ(tokens[3].location, 0x0202) << "a second structure appends again";
}

TEST(SmbiosParserFacts, TokenScanStopsAtTerminator) {
  CSMBIOSParser parser;
  SmbiosTable table = SmbiosTable::VexaMachine(1);
  table.Tokens({{0x0188, 1, 1}, {0xFFFF, 0, 0}, {0x007D, 2, 2}});
  Parse(parser, table);
  EXPECT_EQ(TokenIds(parser), std::vector<std::uint16_t>{0x0188});
}

TEST(SmbiosParserFacts, StructureStrings) {
  const Bytes s = {1, 5, 0, 0, 9, 'a', 'b', 0, 'c', 0, 0};
  const auto size = static_cast<std::uint32_t>(s.size());
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), size, 1), "ab");
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), size, 2), "c");
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), size, 3), "");
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), size, 0), "");
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), size, -1), "");
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), 9, 2), "") << "NUL past the end";
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), 8, 1), "ab");
  EXPECT_EQ(CSMBIOSParser::GetStructureString(s.data(), 1, 1), "") << "no length byte";
  EXPECT_EQ(CSMBIOSParser::GetStructureString(nullptr, 0, 1), "");
}

}  // namespace
