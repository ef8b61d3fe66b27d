// The adapter tables keep the shape the identification rules rely on: row counts, group order,
// device ids per row, the fixed Intel row, the repeated boards, and the WWAN short forms.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "netid/adapter_tables.h"

namespace qv::netid {
namespace {

// The rows before the terminating empty row, as narrow text; fails when that row is missing.
std::vector<std::string> RowsOf(PatternTable table) {
  EXPECT_FALSE(table.empty());
  EXPECT_TRUE(table.back().IsEmpty()) << "a table ends with the empty row";
  std::vector<std::string> rows;
  for (std::size_t i = 0; i + 1 < table.size(); ++i) {
    EXPECT_FALSE(table[i].IsEmpty()) << "only the last row is empty";
    rows.emplace_back(table[i].GetNarrow());
  }
  return rows;
}

std::string DeviceIdOf(const std::string& row) {
  return row.substr(13, 4);
}

TEST(AdapterTables, LanTableHasBroadcomThenIntelRowsWithTheListedDeviceIds) {
  const std::vector<std::string> rows = RowsOf(LANDeviceIDs());
  ASSERT_EQ(rows.size(), 52u);
  const std::regex pciRow("VEN_[0-9A-F]{4}&DEV_[0-9A-F]{4}&SUBSYS_[0-9A-F]{8}");
  const char* const deviceIds[52] = {
      "1600", "1600", "1672", "1673", "1673", "1673", "1673", "1674", "1674", "1674", "1674",
      "1674", "1674", "1674", "1680", "1680", "1680", "1680", "1680", "170C", "170C", "170C",
      "170C", "170C", "170C", "170C", "170C", "170C", "1713", "1713", "10F5", "10F5", "10F5",
      "10F5", "10F5", "10F5", "10CC", "10DE", "10DE", "10F5", "10F5", "10F5", "10F5", "10F5",
      "10F5", "10BE", "10BE", "10BE", "10BE", "10BE", "10BE", "10F5"};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + rows[i]);
    EXPECT_TRUE(std::regex_match(rows[i], pciRow));
    EXPECT_EQ(rows[i].substr(0, 8), i < 30 ? "VEN_14E4" : "VEN_8086");
    EXPECT_EQ(DeviceIdOf(rows[i]), deviceIds[i]);
  }
}

TEST(AdapterTables, LanTableHasTheIntelRowAndFiveRepeatedBoards) {
  const std::vector<std::string> rows = RowsOf(LANDeviceIDs());
  ASSERT_EQ(rows.size(), 52u);
  EXPECT_EQ(rows[30], "VEN_8086&DEV_10F5&SUBSYS_00008086");
  // Rows 40 to 44 repeat rows 32, 33, 35, 36 and 34.
  const int repeated[5] = {32, 33, 35, 36, 34};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rows[39 + i], rows[repeated[i] - 1]) << "row " << 40 + i;
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()).size(), 47u);

  // Every other row carries the maker's subsystem vendor, which is no chip vendor's.
  const std::string makerVendor = rows[0].substr(rows[0].size() - 4);
  EXPECT_NE(makerVendor, "14E4");
  EXPECT_NE(makerVendor, "8086");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i == 30) continue;
    EXPECT_EQ(rows[i].substr(rows[i].size() - 4), makerVendor) << rows[i];
  }
}

TEST(AdapterTables, WlanTableHasSevenBroadcomRowsOfTheMakersBoards) {
  const std::vector<std::string> rows = RowsOf(WLANDeviceIDs());
  ASSERT_EQ(rows.size(), 7u);
  const char* const deviceIds[7] = {"4311", "4312", "4315", "4315", "4328", "4328", "432B"};
  const std::string makerVendor = RowsOf(LANDeviceIDs())[0].substr(29);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].substr(0, 8), "VEN_14E4");
    EXPECT_EQ(DeviceIdOf(rows[i]), deviceIds[i]);
    EXPECT_EQ(rows[i].substr(29), makerVendor);
  }
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()).size(), 7u);
}

TEST(AdapterTables, WwanRowsShareOneVendorAndEndInTheirShortForms) {
  const std::vector<std::string> rows = RowsOf(WWANDeviceIDs());
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kWWANRowCount));
  const std::regex usbRow("VID_[0-9A-F]{4}&PID_[0-9A-F]{4}");
  std::set<std::string> productIds;
  for (int i = 0; i < kWWANRowCount; ++i) {
    EXPECT_TRUE(std::regex_match(rows[i], usbRow)) << rows[i];
    EXPECT_EQ(rows[i].substr(0, 8), rows[0].substr(0, 8));
    EXPECT_EQ(rows[i].substr(rows[i].size() - 8), kWWANProductIDs[i]);
    productIds.insert(kWWANProductIDs[i]);
  }
  EXPECT_EQ(productIds.size(), 4u);
}

}  // namespace
}  // namespace qv::netid
