// The "1[<hex>]" OEM system ID reads numbers as strtoul(..., 16) does with a 32-bit result.
#include <gtest/gtest.h>

#include "platform/smbios_oem_id.h"

using namespace qv::platform;

namespace {

using qv::platform::HexToUnsigned32;
using qv::platform::ReadOemSystemId;

TEST(SmbiosOemId, HexConversionFollowsStrtoul) {
  EXPECT_EQ(HexToUnsigned32("0E5]"), 0xE5u);
  EXPECT_EQ(HexToUnsigned32("  \t\n1c3"), 0x1C3u);
  EXPECT_EQ(HexToUnsigned32("0x1F"), 0x1Fu);
  EXPECT_EQ(HexToUnsigned32("0X1f"), 0x1Fu);
  EXPECT_EQ(HexToUnsigned32("0xZ"), 0u) << "'0' is read, then 'x' stops the digits";
  EXPECT_EQ(HexToUnsigned32("]"), 0u);
  EXPECT_EQ(HexToUnsigned32(""), 0u);
  EXPECT_EQ(HexToUnsigned32("+10"), 0x10u);
  EXPECT_EQ(HexToUnsigned32("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(HexToUnsigned32("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(HexToUnsigned32("100000000"), 0xFFFFFFFFu) << "overflow saturates";
  EXPECT_EQ(HexToUnsigned32("123456789ABCDEF0123"), 0xFFFFFFFFu);
  EXPECT_EQ(HexToUnsigned32("00000000000000001234"), 0x1234u) << "leading zeros are not overflow";
}

TEST(SmbiosOemId, PrefixAndLow16Bits) {
  std::uint16_t id = 0x7777;
  EXPECT_FALSE(ReadOemSystemId("2[0E5]", &id));
  EXPECT_FALSE(ReadOemSystemId("1", &id));
  EXPECT_FALSE(ReadOemSystemId(" 1[5]", &id));
  EXPECT_EQ(id, 0x7777);
  EXPECT_TRUE(ReadOemSystemId("1[12345]", &id));
  EXPECT_EQ(id, 0x2345);
  EXPECT_TRUE(ReadOemSystemId("1[", &id));
  EXPECT_EQ(id, 0);
  EXPECT_TRUE(ReadOemSystemId("1[100000000]", &id));
  EXPECT_EQ(id, 0xFFFF);
}

}  // namespace
