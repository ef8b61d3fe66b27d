// Reading real list files through the runtime's file layer: a file that gives fewer bytes than
// its length promises (status -3), and records that follow text of multi-byte characters and of
// bytes above 0x7F, whose fields are read at the record's own byte offset.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "tests/devicemask/export_fixture.h"

namespace qv::testing {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string DataFile(const std::string& name) {
  return std::string(QV_SOURCE_DIR) + "/tests/data/" + name;
}

// A file whose length promises more than a read gives: sysfs attributes report a length of a
// page and hold a few bytes. Empty when this system has none of them.
std::string FileThatReadsShort() {
  for (const char* path : {"/sys/devices/system/cpu/online", "/sys/devices/system/cpu/possible",
                           "/sys/kernel/uevent_seqnum", "/sys/power/state"}) {
    struct stat info {};
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const std::string content = ReadAll(path);
    if (!content.empty() && static_cast<off_t>(content.size()) < info.st_size) return path;
  }
  return "";
}

using ListReading = DeviceMaskExportTest;

TEST_F(ListReading, AFileThatReadsShortIsStatusMinusThree) {
  const std::string shortFile = FileThatReadsShort();
  if (shortFile.empty()) GTEST_SKIP() << "no sysfs file that reads shorter than its length";
  UseVexaMachine(378);
  EXPECT_EQ(GetDeviceMask(shortFile.c_str()), -3);
  ASSERT_EQ(symlink(shortFile.c_str(), "vexasysids.enc"), 0);
  EXPECT_EQ(GetDeviceMask(nullptr), -3);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);
  EXPECT_NE(PresentPlatformObject(), nullptr) << "a negative status keeps the platform object";
  // The six-bit lookup takes what it could read; a few bytes of CPU numbers are no list.
  EXPECT_EQ(GetDeviceMaskDecrypt(378), -1);
}

TEST_F(ListReading, RecordsAfterMultiByteTextKeepTheirByteOffsets) {
  ASSERT_EQ(EncryptSysIds(DataFile("crossbuild-sysids-nonascii.txt").c_str()), 0);
  EXPECT_EQ(dir_.Read("vexasysids.enc"), ReadAll(DataFile("crossbuild-sysids-nonascii.enc")));

  struct Expected {
    std::uint16_t id;
    int mask;  // line code x 256 + eight-bit mask
    int sixBitMask;
  };
  // 245 00110011 GNR, 378 10000111 TRV, 629 00011100 HKM: each after a line of text whose
  // bytes outnumber its characters.
  for (const Expected& record :
       {Expected{245, 1 * 256 + 0xCC, 12}, Expected{378, 6 * 256 + 0xE1, 33},
        Expected{629, 3 * 256 + 0x07, 7}}) {
    SCOPED_TRACE(record.id);
    UseVexaMachine(record.id);
    EXPECT_EQ(GetDeviceMask(nullptr), record.mask);
    EXPECT_EQ(GetDeviceMaskDecrypt(record.id), record.sixBitMask);
  }
  UseVexaMachine(378);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 1);
}

}  // namespace
}  // namespace qv::testing
