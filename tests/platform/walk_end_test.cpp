// Where the structure walk stops: bytes after the last structure that cannot form one (a lone
// trailing byte, zero padding after the end-of-table structure, a declared length below 4) are
// not read as a structure, and everything before them counts as usual.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "platform/smbios_parser.h"
#include "tests/platform/smbios_table.h"

using namespace qv::platform;

namespace {

using qv::testing::Bytes;
using qv::testing::SmbiosTable;

struct Facts {
  int maker, bios;
  std::uint16_t systemId;
  std::uint32_t word1, word2;
  std::size_t tokens;
  bool operator==(const Facts& o) const {
    return maker == o.maker && bios == o.bios && systemId == o.systemId && word1 == o.word1 &&
           word2 == o.word2 && tokens == o.tokens;
  }
};

std::ostream& operator<<(std::ostream& out, const Facts& f) {
  return out << "maker " << f.maker << " bios " << f.bios << " id " << f.systemId << " words "
             << std::hex << f.word1 << ' ' << f.word2 << std::dec << " tokens " << f.tokens;
}

// Parsed from an exactly sized heap copy, so that AddressSanitizer sees the table's end.
Facts Parse(const Bytes& table) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[table.size() + 1]);
  std::copy(table.begin(), table.end(), copy.get());
  CSMBIOSParser parser;
  parser.ParseTables(copy.get(), static_cast<std::uint32_t>(table.size()));
  return {parser.MakerFlag(),    parser.BiosFlag(),     parser.SystemId(),
          parser.FeatureWord1(), parser.FeatureWord2(), parser.Tokens().size()};
}

Bytes Appended(Bytes table, const Bytes& tail) {
  table.insert(table.end(), tail.begin(), tail.end());
  return table;
}

Bytes PlatformDLaptopTable() {
  std::ifstream file(std::string(QV_SOURCE_DIR) + "/examples/machines/platform-d-laptop.json");
  const auto profile = nlohmann::json::parse(file);
  std::string hex;
  for (char c : profile["wmi"]["smbios"][0].get<std::string>()) {
    if (c != ' ') hex.push_back(c);  // profiles group the bytes with spaces
  }
  Bytes table;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    table.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return table;
}

TEST(SmbiosWalkEnd, PaddingOrAStrayByteAfterTheLastStructureChangesNothing) {
  const Bytes laptop = PlatformDLaptopTable();
  const Facts expected = Parse(laptop);
  ASSERT_EQ(expected.bios, 1);
  ASSERT_NE(expected.systemId, 0);
  ASSERT_NE(expected.word1, 0u);

  EXPECT_EQ(Parse(Appended(laptop, Bytes(16, 0))), expected) << "16 zero bytes";
  EXPECT_EQ(Parse(Appended(laptop, {0x00})), expected) << "one 0x00";
  EXPECT_EQ(Parse(Appended(laptop, {0xD0})), expected) << "one 0xD0";
  EXPECT_EQ(Parse(Appended(laptop, {0xD0, 0x08, 0x00})), expected) << "three bytes";
  EXPECT_EQ(Parse(Appended(laptop, {0xB1, 0x02, 0x00, 0x00, 0x00, 0x00})), expected)
      << "a header declaring 2 bytes";
}

TEST(SmbiosWalkEnd, ShortLengthStopsTheWalkAndNothingAfterItCounts) {
  SmbiosTable table = SmbiosTable::VexaMachine(0x2A);
  table.Raw({0x00, 0x03, 0x00, 0x00, 0x00, 0x00});  // declares 3 bytes: not a structure
  table.SystemIdByte(0x55).FeatureWords(1, 2);
  const Facts facts = Parse(table.bytes());
  EXPECT_EQ(facts.systemId, 0x2A);
  EXPECT_EQ(facts.word1, 0u);

  // Exactly 4 is a structure (header only), and the walk goes on after it.
  SmbiosTable four = SmbiosTable::VexaMachine(0x2A);
  four.Raw({0x80, 0x04, 0x00, 0x00, 0x00, 0x00}).SystemIdByte(0x55);
  EXPECT_EQ(Parse(four.bytes()).systemId, 0x55);
}

TEST(SmbiosWalkEnd, EndOfTableStructureIsWalkedOverButItsPaddingIsNot) {
  SmbiosTable table = SmbiosTable::VexaMachine(0x2A);
  table.EndOfTable().SystemIdByte(0x33);
  EXPECT_EQ(Parse(table.bytes()).systemId, 0x33) << "structures after type 127 still count";
  EXPECT_EQ(Parse(Appended(table.EndOfTable().bytes(), Bytes(64, 0))).systemId, 0x33);
}

}  // namespace
