// How much of a raw SMBIOS instance is parsed: "Size" bounded by the array, and a "Size" that
// bounds nothing (negative, missing, another type) parses the whole array.
#include "platform/raw_table_size.h"
#include "tests/platform/platform_fixture.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint16_t kFirstId = 0x0123;
constexpr std::uint16_t kSecondId = 0x0456;

VARIANT Int32(LONG value) {
  VARIANT size;
  VariantInit(&size);
  size.vt = VT_I4;
  size.lVal = value;
  return size;
}

TEST(RawTableSizeTest, SizeIsBoundedByTheArray) {
  EXPECT_EQ(RawTableBytesToParse(Int32(0), 100), 0u);
  EXPECT_EQ(RawTableBytesToParse(Int32(40), 100), 40u);
  EXPECT_EQ(RawTableBytesToParse(Int32(100), 100), 100u);
  EXPECT_EQ(RawTableBytesToParse(Int32(1 << 20), 100), 100u);
  // An unsigned count of 2^31 or more reaches us as a negative VT_I4.
  EXPECT_EQ(RawTableBytesToParse(Int32(-5), 100), 100u);
  EXPECT_EQ(RawTableBytesToParse(Int32(INT32_MIN), 100), 100u);
  VARIANT unsignedSize = Int32(0);
  unsignedSize.vt = VT_UI4;
  unsignedSize.ulVal = 30;
  EXPECT_EQ(RawTableBytesToParse(unsignedSize, 100), 30u);
  unsignedSize.ulVal = 0xFFFFFFFFu;
  EXPECT_EQ(RawTableBytesToParse(unsignedSize, 100), 100u);
}

TEST(RawTableSizeTest, ASizeOfAnotherTypeParsesTheWholeArray) {
  for (VARTYPE type : {VT_EMPTY, VT_NULL, VT_I2, VT_BSTR}) {
    SCOPED_TRACE(type);
    VARIANT size = Int32(7);  // the value field holds a count, but the type says otherwise
    size.vt = type;
    EXPECT_EQ(RawTableBytesToParse(size, 100), 100u);
  }
}

class RawTableSizeMachineTest : public PlatformTest {
 protected:
  // One instance holding two complete tables back to back; the later system ID wins when the
  // second table is parsed.
  std::uint16_t SystemIdWithSize(std::optional<std::int32_t> size) {
    std::vector<std::uint8_t> blob = VexaTable(kFirstId);
    std::vector<std::uint8_t> second = VexaTable(kSecondId);
    blob.insert(blob.end(), second.begin(), second.end());
    auto machine = MachineWith({blob}, std::nullopt);
    machine->wmi->smbiosQuirks[0].size = size;
    Use(machine);
    return CAcpiWmi().SystemId();
  }
};

TEST_F(RawTableSizeMachineTest, OnlyTheFirstSizeBytesAreParsed) {
  EXPECT_EQ(SystemIdWithSize(std::nullopt), kSecondId);  // Size is the whole array
  const auto firstLength = static_cast<std::int32_t>(VexaTable(kFirstId).size());
  EXPECT_EQ(SystemIdWithSize(firstLength), kFirstId);
  EXPECT_EQ(SystemIdWithSize(0), 0);
  EXPECT_EQ(SystemIdWithSize(-1), kSecondId);
}

}  // namespace
}  // namespace qv::testing
