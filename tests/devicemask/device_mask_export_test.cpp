// GetDeviceMask, IsTorvaneSystem, GetDeviceMaskDecrypt and IsSupportedDevice on simulated
// machines, with real list files in a temporary current directory.
#include <gtest/gtest.h>

#include <string>

#include "devicemask/list_file.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "platform/known_platforms.h"
#include "tests/devicemask/export_fixture.h"
#include "tests/devicemask/list_files.h"
#include "winapi/posix/ledger.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint16_t kPlatformD = qv::platform::kPlatformD;
constexpr std::uint32_t kFeatureBit27 = 0x20;  // sets capability bit 27 on a maker's machine

const std::string kList = Record(245, "00110011", "GNR") + Record(378, "10000111", "TRV") +
                          Record(629, "00011100", "trv") + Record(kPlatformD, "00001110", "HKM") +
                          "456 10000111 CJF";  // the last record has no line end

using DeviceMaskExport = DeviceMaskExportTest;

TEST_F(DeviceMaskExport, StatusesInOrderKeepThePlatformObject) {
  UseVexaMachine(378);
  EXPECT_EQ(GetDeviceMask(ListPath().c_str()), -2);   // no file yet
  EXPECT_EQ(GetDeviceMask(dir_.Path().c_str()), -2);  // a directory is no list file
  EXPECT_EQ(GetDeviceMask(nullptr), -2);

  dir_.Write("vexasysids.enc", "");
  EXPECT_EQ(GetDeviceMask(nullptr), -6);
  dir_.Write("vexasysids.enc", "this is not a list");
  EXPECT_EQ(GetDeviceMask(nullptr), -6);
  dir_.Write("vexasysids.enc", std::string(qv::devicemask::kMaxListFileSize + 1, 'A'));
  EXPECT_EQ(GetDeviceMask(nullptr), -6);

  WriteList(Record(245, "00110011", "GNR"));
  EXPECT_EQ(GetDeviceMask(nullptr), -4);
  WriteList("378 10000111 TR");
  EXPECT_EQ(GetDeviceMask(nullptr), -5);

  // Every call identified the platform first, but only the first one had to build it.
  EXPECT_EQ(Constructions(), 1);
  EXPECT_NE(PresentPlatformObject(), nullptr);
}

TEST_F(DeviceMaskExport, MaskAndLineCodeFromTheGivenOrDefaultFile) {
  UseVexaMachine(378);
  WriteList(kList, "other.enc");
  EXPECT_EQ(GetDeviceMask(ListPath("other.enc").c_str()), 6 * 256 + 0xE1);
  EXPECT_EQ(PresentPlatformObject(), nullptr);
  EXPECT_EQ(GetDeviceMask("other.enc"), 6 * 256 + 0xE1);  // relative to the current directory
  EXPECT_EQ(GetDeviceMask(nullptr), -2);                  // the default name is not there

  WriteList(kList);
  EXPECT_EQ(GetDeviceMask(nullptr), 6 * 256 + 0xE1);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 1);

  UseVexaMachine(629);  // line code "trv": no line
  EXPECT_EQ(GetDeviceMask(nullptr), 7);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);

  UseVexaMachine(456);  // the record ends the text without a line end: still complete
  EXPECT_EQ(GetDeviceMask(nullptr), 4 * 256 + 0xE1);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);
  EXPECT_EQ(IsTorvaneSystem("missing.enc"), 0);
}

TEST_F(DeviceMaskExport, SystemIdZeroIsInNoList) {
  // Another maker's machine, or tables that cannot be read: the ID is 0.
  UseOtherMakerMachine();
  EXPECT_EQ(GetSystemId(), 0);
  WriteList(kList + "\n0 11111111 TRV\n");
  EXPECT_EQ(GetDeviceMask(nullptr), -4);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);
  // As after any negative status, the platform object stays for the next call.
  EXPECT_NE(PresentPlatformObject(), nullptr);
  EXPECT_EQ(Constructions(), 1);
  EXPECT_EQ(GetDeviceMaskDecrypt(0), -1);
  EXPECT_EQ(GetDeviceMaskDecrypt(0x10000), -1);
}

TEST_F(DeviceMaskExport, AnIdInsideAnotherRecordIsNotItsRecord) {
  // 110 occurs in the flag columns of 245 and 1101 starts with it; its own record is last.
  const std::string list = Record(245, "00110011", "GNR") + Record(1101, "00000000", "GNR") +
                           Record(110, "10000111", "TRV");
  WriteList(list);
  UseVexaMachine(110);
  EXPECT_EQ(GetDeviceMask(nullptr), 6 * 256 + 0xE1);
  EXPECT_EQ(GetDeviceMaskDecrypt(110), 0x21);

  // Without a record of its own the ID is not found, however often its digits occur.
  WriteList(Record(245, "00110011", "GNR") + Record(1101, "00000000", "GNR"));
  UseVexaMachine(110);
  EXPECT_EQ(GetDeviceMask(nullptr), -4);
  EXPECT_EQ(GetDeviceMaskDecrypt(110), -1);
}

TEST_F(DeviceMaskExport, PlatformDBitThreeFollowsTheBios) {
  WriteList(kList);  // platform D's record leaves bit 3 open: 2 + 1 + 64
  UseVexaMachine(kPlatformD, kFeatureBit27);
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 67 + 8);
  UseVexaMachine(kPlatformD, 0);
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 67);

  // A "1" in the list keeps bit 3 whatever the BIOS says.
  WriteList(Record(kPlatformD, "00101110", "HKM"));
  UseVexaMachine(kPlatformD, 0);
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 75);

  // Without a BIOS interface the feature word still decides, even over a bit 3 that a digit
  // carried into the sum.
  WriteList(Record(kPlatformD, "00000800", "HKM"));
  UseVexaMachine(kPlatformD, kFeatureBit27, false);
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 8);
  UseVexaMachine(kPlatformD, 0, false);
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 0);

  // The capability bit means nothing to any other platform.
  WriteList(Record(534, "00001110", "HKM"));
  UseVexaMachine(534, kFeatureBit27);
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 67);
}

TEST_F(DeviceMaskExport, ASuccessfulLookupReleasesThePlatformObject) {
  UseVexaMachine(378);
  WriteList(kList);

  EXPECT_EQ(GetSystemId(), 378);
  EXPECT_EQ(GetSystemId(), 378);
  EXPECT_EQ(Constructions(), 1);
  EXPECT_GE(GetDeviceMask(nullptr), 0);
  EXPECT_EQ(PresentPlatformObject(), nullptr);
  EXPECT_EQ(GetSystemId(), 378);
  EXPECT_EQ(Constructions(), 2);

  // A failing call keeps the object for the next one.
  EXPECT_EQ(GetDeviceMask("missing.enc"), -2);
  EXPECT_EQ(GetSystemId(), 378);
  EXPECT_EQ(Constructions(), 2);

  // Two successful calls in a row each build and release one.
  EXPECT_GE(GetDeviceMask(nullptr), 0);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 1);
  EXPECT_EQ(Constructions(), 3);
  EXPECT_EQ(PresentPlatformObject(), nullptr);

  // A result of 0 (no flag set, no line) is a device mask as well.
  WriteList(Record(378, "00000000", "xxx"));
  EXPECT_EQ(GetDeviceMask(nullptr), 0);
  EXPECT_EQ(PresentPlatformObject(), nullptr);
  EXPECT_EQ(standin::OutstandingReport(), "");
}

TEST_F(DeviceMaskExport, AFailedPlatformConstructionIsANegativeStatus) {
  UseVexaMachine(378);
  WriteList(kList);
  standin::InjectFault("SysAllocString", 0);  // no BSTR: the constructor gives up
  standin::InjectFault("SysAllocStringLen", 0);
  EXPECT_EQ(GetDeviceMask(nullptr), -6);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);
  EXPECT_EQ(PresentPlatformObject(), nullptr);
  EXPECT_EQ(standin::OutstandingReport(), "");

  standin::ClearFaults();
  EXPECT_EQ(GetDeviceMask(nullptr), 6 * 256 + 0xE1);
}

TEST_F(DeviceMaskExport, DecryptLooksUpTheGivenIdInTheDefaultFile) {
  EXPECT_EQ(GetDeviceMaskDecrypt(378), -1);  // no file

  WriteList(kList);
  EXPECT_EQ(GetDeviceMaskDecrypt(378), 0x21);
  EXPECT_EQ(GetDeviceMaskDecrypt(0x10000 + 378), 0x21);  // only the low 16 bits count
  EXPECT_EQ(GetDeviceMaskDecrypt(-65536 + 378), 0x21);
  EXPECT_EQ(GetDeviceMaskDecrypt(kPlatformD), 3);  // no correction, no line code
  EXPECT_EQ(GetDeviceMaskDecrypt(456), 0x21);      // the six columns fit before the end
  EXPECT_EQ(GetDeviceMaskDecrypt(999), -1);

  WriteList("xx\n245 1");  // the columns past the end count as 0
  EXPECT_EQ(GetDeviceMaskDecrypt(245), 32);
  WriteList("xx\n245");
  EXPECT_EQ(GetDeviceMaskDecrypt(245), 0);

  for (const std::string& content : {std::string(), std::string("not a list"),
                                     std::string(qv::devicemask::kMaxListFileSize + 1, 'A')}) {
    dir_.Write("vexasysids.enc", content);
    EXPECT_EQ(GetDeviceMaskDecrypt(378), -1) << content.size();
  }
  // The path of GetDeviceMask plays no part, and no platform object is ever built.
  EXPECT_EQ(Constructions(), 0);
  EXPECT_EQ(PresentPlatformObject(), nullptr);
}

TEST(IsSupportedDevice, ReturnsTheCommonBits) {
  EXPECT_EQ(IsSupportedDevice(5, 4), 4);
  EXPECT_EQ(IsSupportedDevice(5, 2), 0);
  EXPECT_EQ(IsSupportedDevice(0x6E1, 0xFF), 0xE1);
  EXPECT_EQ(IsSupportedDevice(-1, -8), -8);
}

}  // namespace
}  // namespace qv::testing
