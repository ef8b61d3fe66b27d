// The lookups on plain list text: where a record is found, how its flags make a mask, the
// line codes and the bounds of a record.
#include <gtest/gtest.h>

#include <string>

#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "tests/devicemask/list_files.h"

namespace qv::devicemask {
namespace {

using qv::testing::Record;

int DeviceMask(const std::string& list, std::uint16_t id) {
  return LookUpDeviceMask(QVString(list.c_str()), id, std::nullopt);
}

int SixBitMask(const std::string& list, std::uint16_t id) {
  return LookUpSixBitMask(QVString(list.c_str()), id);
}

TEST(RecordSearch, ARecordStartsALineWithItsId) {
  // "123" occurs inside 1123 first, but only the second line starts with the ID.
  const std::string list = Record(1123, "00000001", "GNR") + Record(123, "11111100", "TRV");
  EXPECT_EQ(FindRecord(QVString(list.c_str()), 123), 18);
  EXPECT_EQ(DeviceMask(list, 123), 6 * 256 + 0x3F);

  // A key of 0/1 digits inside an earlier record's flag columns is not that ID's record.
  const std::string flags = Record(245, "00110011", "GNR") + Record(110, "11111100", "TRV");
  EXPECT_EQ(FindRecord(QVString(flags.c_str()), 110), 17);
  EXPECT_EQ(DeviceMask(flags, 110), 6 * 256 + 0x3F);
  EXPECT_EQ(SixBitMask(flags, 110), 0x3F);

  // The first line counts, and a record of the same ID further down is never read.
  const std::string twice = Record(378, "10000111", "BDW") + Record(378, "00000000", "TRV");
  EXPECT_EQ(DeviceMask(twice, 378), 2 * 256 + 0xE1);
  EXPECT_EQ(SixBitMask(twice, 378), 0x21);
}

TEST(RecordSearch, TheIdMustNotGoOnWithAnotherDigit) {
  // 1230 starts with "123" but is another number; the record of 123 comes after it.
  const std::string list = Record(1230, "00000001", "GNR") + Record(123, "10000000", "BDW");
  EXPECT_EQ(FindRecord(QVString(list.c_str()), 123), 18);
  EXPECT_EQ(DeviceMask(list, 123), 2 * 256 + 32);
  EXPECT_EQ(DeviceMask(Record(1230, "00000001", "GNR"), 123), kStatusNotFound);
  EXPECT_EQ(SixBitMask(Record(1230, "00000001", "GNR"), 123), kDecryptMaskFailure);

  // Any separator that is not a digit will do, a line end among them (the record is then cut
  // short); CR LF line ends start the next line after the LF.
  EXPECT_EQ(DeviceMask("378;10000111;TRV\n", 378), 6 * 256 + 0xE1);
  EXPECT_EQ(DeviceMask("245 00000000 GNR\r\n378 10000111 TRV\r\n", 378), 6 * 256 + 0xE1);
  EXPECT_EQ(DeviceMask("245 00000000 GNR\n378\n", 378), kStatusRecordTruncated);
  EXPECT_EQ(DeviceMask("245 00000000 GNR\n378", 378), kStatusRecordTruncated);
  // In the middle of a line, or after a lone CR, the ID starts no record.
  EXPECT_EQ(DeviceMask("245 378 0000000 GNR\n", 378), kStatusNotFound);
  EXPECT_EQ(DeviceMask("245 00000000 GNR\r378 10000111 TRV\n", 378), kStatusNotFound);
}

TEST(RecordSearch, SystemIdZeroHasNoRecord) {
  // A machine without readable tables has ID 0, whose "0" occurs in nearly every list.
  const std::string list = Record(245, "11111111", "GNR") + Record(309, "00000000", "TRV");
  EXPECT_EQ(FindRecord(QVString(list.c_str()), 0), -1);
  EXPECT_EQ(DeviceMask(list, 0), kStatusNotFound);
  EXPECT_EQ(SixBitMask(list, 0), kDecryptMaskFailure);
  // Not even a line that starts with the digit 0 is its record.
  EXPECT_EQ(DeviceMask("0 11111111 GNR\n", 0), kStatusNotFound);
  EXPECT_EQ(SixBitMask("0 11111111 GNR\n", 0), kDecryptMaskFailure);
}

TEST(RecordSearch, MissingIdIsNotFound) {
  const std::string list = Record(245, "11111111", "GNR");
  EXPECT_EQ(DeviceMask(list, 246), kStatusNotFound);
  EXPECT_EQ(SixBitMask(list, 246), kDecryptMaskFailure);
  EXPECT_EQ(DeviceMask("", 245), kStatusNotFound);
}

TEST(RecordSearch, ToolsCanStillSeeWhereAnUnanchoredSearchLands) {
  const std::string flags = Record(245, "00110011", "GNR") + Record(110, "11111100", "TRV");
  EXPECT_EQ(FindUnanchored(QVString(flags.c_str()), 110), 6);
  EXPECT_EQ(FindUnanchored(QVString(flags.c_str()), 0), 4);
  EXPECT_EQ(FindUnanchored(QVString(flags.c_str()), 999), -1);
}

TEST(FlagColumns, DigitsLettersAndTheEightBitWrap) {
  // The worked example: 1,0,0,0,0,1,1,1 gives 0xE1 (eight columns) and 0x21 (six columns).
  EXPECT_EQ(DeviceMask(Record(378, "10000111", "GNR"), 378), 0x100 + 0xE1);
  EXPECT_EQ(SixBitMask(Record(378, "10000111", "GNR"), 378), 0x21);

  // "2" at the bit-0 column sets bit 1 instead; letters and spaces count as 0.
  EXPECT_EQ(DeviceMask(Record(378, "00000200", "GNR"), 378), 0x100 + 2);
  EXPECT_EQ(DeviceMask(Record(378, "a 0x0-01", "GNR"), 378), 0x100 + 128);
  EXPECT_EQ(DeviceMask(Record(378, "9000000 ", "GNR"), 378), 0x100 + ((9 * 32) & 0xFF));

  // Carries beyond bit 7 are lost in the 8-bit mask; the six-column sum keeps them.
  EXPECT_EQ(DeviceMask(Record(378, "99999999", "GNR"), 378), 0x100 + ((9 * 255) & 0xFF));
  EXPECT_EQ(DeviceMask(Record(378, "00000002", "GNR"), 378), 0x100 + 0);  // 256 wraps to 0
  EXPECT_EQ(SixBitMask(Record(378, "99999999", "GNR"), 378), 9 * 63);
  EXPECT_LE(DeviceMask(Record(378, "99999999", "TRV"), 378), 1791);
}

TEST(LineCodes, ExactCaseSensitiveTable) {
  const char* codes[] = {"XXX", "GNR", "BDW", "HKM", "CJF", "WQE", "TRV"};
  for (int number = 1; number <= 6; ++number) {
    EXPECT_EQ(LineCodeNumber(codes[number]), number);
    EXPECT_STREQ(LineCodeText(number), codes[number]);
    EXPECT_EQ(DeviceMask(Record(378, "00000100", codes[number]), 378), number * 256 + 1);
  }
  EXPECT_EQ(LineCodeText(0), nullptr);
  EXPECT_EQ(LineCodeText(7), nullptr);
  EXPECT_EQ(DeviceMask(Record(378, "00000100", "trv"), 378), 1);
  EXPECT_EQ(DeviceMask(Record(378, "00000100", "TRW"), 378), 1);
  EXPECT_EQ(DeviceMask(Record(378, "00000100", "TR "), 378), 1);
}

TEST(RecordBounds, ARecordNeedsItsSixteenCharactersOnItsLine) {
  // All fields present: readable whether or not a line end follows.
  const std::string record = "378 10000111 TRV";
  EXPECT_EQ(DeviceMask(record, 378), 6 * 256 + 0xE1);
  EXPECT_EQ(DeviceMask(record + "\n", 378), 6 * 256 + 0xE1);
  EXPECT_EQ(DeviceMask(Record(245, "00000000", "GNR") + record, 378), 6 * 256 + 0xE1);

  // Cut short by the end of the list.
  EXPECT_EQ(DeviceMask("378 10000111 TR", 378), kStatusRecordTruncated);
  EXPECT_EQ(DeviceMask("378 10000111", 378), kStatusRecordTruncated);
  EXPECT_EQ(DeviceMask(Record(245, "00000000", "GNR") + "378 1000", 378), kStatusRecordTruncated);
  // Cut short by its own line end: the next record's characters are not its fields.
  EXPECT_EQ(DeviceMask("378 10000111 TR\n245 11111111 GNR\n", 378), kStatusRecordTruncated);
  EXPECT_EQ(DeviceMask("378 1000\n245 11111111 GNR\n", 378), kStatusRecordTruncated);

  // The six-column lookup reads what the record's line holds; columns past it count as 0.
  EXPECT_EQ(SixBitMask(record, 378), 0x21);
  EXPECT_EQ(SixBitMask("378 1111", 378), 32 + 16 + 8 + 4);
  EXPECT_EQ(SixBitMask("378 1111\n111 11111111 GNR\n", 378), 32 + 16 + 8 + 4);
  EXPECT_EQ(SixBitMask("378", 378), 0);
  EXPECT_EQ(SixBitMask("xx\n378 1", 378), 32);
}

}  // namespace
}  // namespace qv::devicemask
