// Real SMBIOS tables of laptops, desktops and servers (tests/data/smbios-real, sources in its
// README) walked by the parser and compared with dmidecode's reading of the same bytes: the
// structures in order (handle and type) and every string of types 0, 1, 2 and 11. The expected
// files come from scripts/smbios-dmidecode-data.py.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

#include "platform/smbios_parser.h"
#include "platform/smbios_structure_walk.h"

using namespace qv::platform;

namespace {

struct Structure {
  int handle = 0;
  int type = 0;
  std::vector<std::string> strings;  // for types 0, 1, 2 and 11 only
  bool operator==(const Structure& o) const {
    return handle == o.handle && type == o.type && strings == o.strings;
  }
};

std::ostream& operator<<(std::ostream& out, const Structure& s) {
  out << "handle " << s.handle << " type " << s.type << " strings";
  for (const auto& text : s.strings) out << " \"" << text << '"';
  return out;
}

bool StringsCompared(int type) {
  return type == 0 || type == 1 || type == 2 || type == 11;
}

std::string DataPath(const std::string& name) {
  return std::string(QV_SOURCE_DIR) + "/tests/data/smbios-real/" + name;
}

std::vector<std::uint8_t> ReadTable(const std::string& name) {
  std::ifstream file(DataPath(name + ".table"), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  if (hex == "-") return bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Lines "structures N", "structure 0xHHHH TYPE" and "string N HEX TEXT"; '#' starts a comment.
std::vector<Structure> ReadDmidecodeReading(const std::string& name, std::size_t* announced) {
  std::ifstream file(DataPath(name + ".dmidecode"));
  std::vector<Structure> structures;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    if (keyword == "structures") {
      words >> *announced;
    } else if (keyword == "structure") {
      std::string handle;
      Structure structure;
      words >> handle >> structure.type;
      structure.handle = std::stoi(handle, nullptr, 16);
      structures.push_back(structure);
    } else if (keyword == "string") {
      int number = 0;
      std::string hex;
      words >> number >> hex;
      structures.back().strings.push_back(FromHex(hex));
    }
  }
  return structures;
}

std::vector<Structure> ParserReading(const std::vector<std::uint8_t>& table) {
  // An exactly sized copy, so that AddressSanitizer sees the table's end.
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[table.size()]);
  std::copy(table.begin(), table.end(), copy.get());
  const qv::platform::BlobView blob(copy.get(), table.size());
  std::vector<Structure> structures;
  qv::platform::ForEachStructure(blob, [&](const qv::platform::StructureHeader& header) {
    Structure structure{header.handle, header.type, {}};
    const auto available = static_cast<std::uint32_t>(table.size() - header.offset);
    for (int n = 1; StringsCompared(header.type); ++n) {
      const std::string text =
          CSMBIOSParser::GetStructureString(copy.get() + header.offset, available, n);
      if (text.empty()) break;
      structure.strings.push_back(text);
    }
    structures.push_back(structure);
  });
  return structures;
}

struct RealTable {
  const char* name;
  std::size_t structures;  // as dmidecode counts them
};

// dmidecode reads each table behind an SMBIOS 3 entry point, which gives only the table's
// maximum size, so it stops at the end-of-table structure (type 127); the parser walks over
// type 127 to the end of the bytes. Each table here ends with type 127 or (beelink-eq12) has
// none, so both see the same structures. dmidecode also repairs one type-34 structure of
// supermicro-x9dbl (handle 0x004E) whose declared length runs into its first string; the
// parser reads no type-34 field, and the repair moves no structure boundary, so the structure
// lists still agree and its strings are not compared.
const RealTable kRealTables[] = {
    {"asus-ux307la", 27},        {"beelink-eq12", 72},  {"fwupd-laptop-i7-4600u", 62},
    {"gigabyte-ga-ma74gmt", 54}, {"gigabyte-x399", 82}, {"poweredge-r630", 72},
    {"supermicro-x9dbl", 115},   {"thinkpad-t480", 63}, {"thinkpad-w510", 82},
    {"xps13-9365", 83},
};

void PrintTo(const RealTable& table, std::ostream* out) {
  *out << table.name;
}

class SmbiosRealTable : public ::testing::TestWithParam<RealTable> {};

TEST_P(SmbiosRealTable, ParserWalksAsDmidecodeReads) {
  const RealTable& real = GetParam();
  const std::vector<std::uint8_t> table = ReadTable(real.name);
  ASSERT_FALSE(table.empty());
  std::size_t announced = 0;
  const std::vector<Structure> expected = ReadDmidecodeReading(real.name, &announced);
  ASSERT_EQ(expected.size(), announced) << "the expectation file is cut short";
  EXPECT_EQ(expected.size(), real.structures);

  const std::vector<Structure> walked = ParserReading(table);
  ASSERT_EQ(walked.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(walked[i], expected[i]) << "structure " << i;
  }
}

TEST_P(SmbiosRealTable, OtherMakersTablesGiveNoVexaFacts) {
  const std::vector<std::uint8_t> table = ReadTable(GetParam().name);
  CSMBIOSParser parser;
  parser.ParseTables(table.data(), static_cast<std::uint32_t>(table.size()));
  EXPECT_EQ(parser.MakerFlag(), 0);
  EXPECT_EQ(parser.BiosFlag(), 0);
  EXPECT_EQ(parser.SystemId(), 0);
  EXPECT_EQ(parser.FeatureWord1(), 0u);
  EXPECT_TRUE(parser.Tokens().empty());
}

INSTANTIATE_TEST_SUITE_P(PublicSources, SmbiosRealTable, ::testing::ValuesIn(kRealTables),
                         [](const ::testing::TestParamInfo<RealTable>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

}  // namespace
