// dmidecode --dump-bin files: the three entry points, written by dmidecode itself
// (tests/data/smbios-dumps, from scripts/smbios-dmidecode-data.py), and damaged ones.
#include "tools/qvtool/smbios/smbios_table_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream file(std::string(QV_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string PlatformDTable() {
  const auto profile =
      nlohmann::json::parse(ReadSource("examples/machines/platform-d-laptop.json"));
  std::string hex;
  for (char c : profile["wmi"]["smbios"][0].get<std::string>()) {
    if (c != ' ') hex.push_back(c);  // profiles group the bytes with spaces
  }
  std::string table;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    table.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return table;
}

std::string Dump(const std::string& kind) {
  return ReadSource("tests/data/smbios-dumps/platform-d-laptop-" + kind + ".bin");
}

std::string RefusalOf(const std::string& bytes) {
  try {
    ReadSmbiosTableFile("dump.bin", bytes);
  } catch (const ToolError& error) {
    EXPECT_EQ(error.ExitCode(), kExitFailure);
    EXPECT_EQ(std::string(error.what()).rfind("dump.bin: ", 0), 0u) << error.what();
    return error.what();
  }
  return "accepted";
}

TEST(SmbiosDump, EachEntryPointLeadsToTheTableDmidecodeSaved) {
  const std::string table = PlatformDTable();
  const struct {
    const char* kind;
    const char* says;
  } dumps[] = {{"sm3", "SMBIOS 3.0 (_SM3_ entry point)"},
               {"sm2", "SMBIOS 2.6 (_SM_ entry point), 7 structures announced"},
               {"dmi", "DMI 2.6 (legacy _DMI_ entry point), 7 structures announced"}};
  for (const auto& dump : dumps) {
    const SmbiosTableFile file = ReadSmbiosTableFile("dump.bin", Dump(dump.kind));
    EXPECT_EQ(file.table, table) << dump.kind;
    EXPECT_EQ(file.entryPoint, std::string(dump.says) + ", table at 0x00000020, " +
                                   std::to_string(table.size()) + " bytes");
  }
}

TEST(SmbiosDump, RawTablesPassThrough) {
  const std::string table = PlatformDTable();
  const SmbiosTableFile file = ReadSmbiosTableFile("t", table);
  EXPECT_EQ(file.table, table);
  EXPECT_TRUE(file.entryPoint.empty());
}

TEST(SmbiosDump, DamagedEntryPointsAreRefused) {
  std::string badChecksum = Dump("sm3");
  badChecksum[0x0C] ^= 1;  // the table length
  EXPECT_NE(RefusalOf(badChecksum).find("_SM3_ entry point has a wrong checksum"),
            std::string::npos);

  // Changes that keep the whole entry point's checksum (a reserved byte makes up for them) but
  // not the _DMI_ part's.
  std::string badLegacy = Dump("sm2");
  badLegacy[0x18] = static_cast<char>(badLegacy[0x18] + 1);  // the address
  badLegacy[0x0B] = static_cast<char>(badLegacy[0x0B] - 1);
  EXPECT_NE(RefusalOf(badLegacy).find("_DMI_ part of the _SM_ entry point has a wrong checksum"),
            std::string::npos);

  std::string noLegacy = Dump("sm2");
  noLegacy[0x11] = 'X';
  noLegacy[0x0B] = static_cast<char>(noLegacy[0x0B] + 'D' - 'X');
  EXPECT_NE(RefusalOf(noLegacy).find("lacks its _DMI_ part"), std::string::npos);

  EXPECT_NE(RefusalOf(Dump("sm3").substr(0, 0x17)).find("cut short"), std::string::npos);
  EXPECT_NE(RefusalOf(Dump("dmi").substr(0, 0x0E)).find("cut short"), std::string::npos);
  EXPECT_NE(RefusalOf(Dump("sm2").substr(0, 0x20)).find("past the file's 32 bytes"),
            std::string::npos);

  std::string tooLong = Dump("sm3");
  tooLong[0x06] = 0x21;
  EXPECT_NE(RefusalOf(tooLong).find("too long"), std::string::npos);
}

TEST(SmbiosDump, TableShorterThanAnnouncedIsTakenAsFarAsItGoes) {
  const std::string dump = Dump("sm3");
  const SmbiosTableFile cut = ReadSmbiosTableFile("dump.bin", dump.substr(0, dump.size() - 10));
  EXPECT_EQ(cut.table, PlatformDTable().substr(0, dump.size() - 10 - 0x20));
  EXPECT_NE(cut.entryPoint.find("(the file holds " + std::to_string(cut.table.size()) + ")"),
            std::string::npos)
      << cut.entryPoint;
}

}  // namespace
}  // namespace qvtool
