// The bundled example list and the module's string table: the list obeys the rules of the
// list format, and where both name a system ID they give it the same device mask.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "platform/known_platforms.h"
#include "tests/devicemask/list_files.h"

namespace qv::devicemask {
namespace {

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(QV_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

using qv::testing::MaskOfFlags;

struct ExampleRecord {
  int id;
  int mask;  // from the eight flag columns
  int line;  // line code number, 0 for none
};

// Parses the example list line by line, failing the test on any line not of the record form.
std::vector<ExampleRecord> ParseExampleList(const std::string& text) {
  static const std::regex kRecord("([1-9][0-9]{2}) ([01]{8}) ([A-Za-z]{3})");
  std::vector<ExampleRecord> records;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    EXPECT_TRUE(std::regex_match(line, match, kRecord)) << "not a record: " << line;
    if (match.empty()) continue;
    records.push_back(
        {std::stoi(match[1]), MaskOfFlags(match[2]), LineCodeNumber(match[3].str().c_str())});
  }
  return records;
}

// ID -> text of the string table in the resource script.
std::map<int, std::string> ParseStringTable(const std::string& script) {
  static const std::regex kEntry("^\\s*([0-9]+),\\s*\"([^\"]*)\"\\s*$");
  std::map<int, std::string> strings;
  std::istringstream lines(script);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (std::regex_match(line, match, kEntry)) {
      EXPECT_TRUE(strings.emplace(std::stoi(match[1]), match[2]).second) << line;
    }
  }
  return strings;
}

TEST(ExampleList, ObeysTheListRules) {
  const std::string text = ReadSourceFile("examples/sysids.txt");
  ASSERT_FALSE(text.empty());
  EXPECT_LE(text.size(), 7671u);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);

  const std::vector<ExampleRecord> records = ParseExampleList(text);
  std::set<int> ids;
  std::set<int> lines;
  std::size_t offset = 0;
  for (const ExampleRecord& record : records) {
    EXPECT_TRUE(ids.insert(record.id).second) << "duplicate " << record.id;
    lines.insert(record.line);
    // The ID's first occurrence anywhere in the list is the start of its own record.
    EXPECT_EQ(text.find(std::to_string(record.id)), offset) << record.id;
    offset += 17;
  }
  EXPECT_EQ(lines, (std::set<int>{0, 1, 2, 3, 4, 5, 6})) << "all six lines and one unknown";
  for (int platform : {qv::platform::kPlatformA, qv::platform::kPlatformB, qv::platform::kPlatformC,
                       qv::platform::kPlatformD}) {
    EXPECT_EQ(ids.count(platform), 1u) << platform;
  }
}

TEST(ExampleList, EveryRecordIsFoundWithItsOwnFields) {
  const std::string text = ReadSourceFile("examples/sysids.txt");
  const QVString plain(text.c_str());
  for (const ExampleRecord& record : ParseExampleList(text)) {
    const auto id = static_cast<std::uint16_t>(record.id);
    EXPECT_EQ(LookUpDeviceMask(plain, id, std::nullopt), record.line * 256 + record.mask)
        << record.id;
    EXPECT_EQ(LookUpSixBitMask(plain, id), record.mask & 0x3F) << record.id;
  }
}

TEST(StringTable, FortyMasksInEightBlocksAgreeingWithTheList) {
  const std::string script = ReadSourceFile("resources/qvsupport.rc");
  EXPECT_NE(script.find("LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US"), std::string::npos);
  EXPECT_NE(script.find("STRINGTABLE"), std::string::npos);

  const std::map<int, std::string> strings = ParseStringTable(script);
  ASSERT_EQ(strings.size(), 40u);
  std::set<int> blocks;
  std::map<std::string, int> textCounts;
  for (const auto& [id, text] : strings) {
    EXPECT_TRUE(id >= 100 && id <= 999) << id;
    blocks.insert(id / 16 + 1);
    ++textCounts[text];
  }
  EXPECT_EQ(blocks.size(), 8u);
  EXPECT_EQ(textCounts, (std::map<std::string, int>{{"3", 4}, {"7", 22}, {"15", 14}}));

  const std::string list = ReadSourceFile("examples/sysids.txt");
  const QVString plain(list.c_str());
  int shared = 0;
  for (const ExampleRecord& record : ParseExampleList(list)) {
    const auto entry = strings.find(record.id);
    if (entry == strings.end()) continue;
    ++shared;
    EXPECT_EQ(std::to_string(record.mask), entry->second) << record.id;
    EXPECT_EQ(LookUpDeviceMask(plain, static_cast<std::uint16_t>(record.id), std::nullopt) & 0xFF,
              std::stoi(entry->second))
        << record.id;
  }
  EXPECT_EQ(shared, 40);
}

}  // namespace
}  // namespace qv::devicemask
