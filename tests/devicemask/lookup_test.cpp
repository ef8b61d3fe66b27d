// The lookups on plain list text: where a record is found, how its flags make a mask, the
// line codes, the bounds, and the platform-D correction.
#include <gtest/gtest.h>

#include <string>

#include "devicemask/device_mask_lookup.h"
#include "devicemask/line_codes.h"
#include "devicemask/record_lookup.h"
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

TEST(RecordSearch, FirstOccurrenceAnywhereWins) {
  // "123" first occurs inside 1123: the fields are read from there.
  const std::string list = Record(1123, "00000001", "GNR") + Record(123, "11111100", "TRV");
  EXPECT_EQ(FindRecord(QVString(list.c_str()), 123), 1);
  // The key starts one character in, so the fields of the 1123 record are read: 128, "GNR".
  EXPECT_EQ(DeviceMask(list, 123), 256 + 128);

  // A key of 0/1 digits matches inside an earlier record's flag columns.
  const std::string flags = Record(245, "00110011", "GNR") + Record(110, "11111100", "TRV");
  EXPECT_EQ(FindRecord(QVString(flags.c_str()), 110), 6);
  // From position 6 the columns are "11 GNR\n1": 32 + 16 + 128; the line code "0 1" is none.
  EXPECT_EQ(DeviceMask(flags, 110), 176);
  EXPECT_EQ(SixBitMask(flags, 110), 48);

  // Not anchored to a line start either way: an ID found at the start of a later line.
  const std::string plain = Record(245, "00110011", "GNR") + Record(378, "10000111", "BDW");
  EXPECT_EQ(DeviceMask(plain, 378), 2 * 256 + 0xE1);
  EXPECT_EQ(SixBitMask(plain, 378), 0x21);
}

TEST(RecordSearch, SystemIdZeroMatchesTheFirstZero) {
  const std::string list = Record(245, "11111111", "GNR") + Record(309, "00000000", "TRV") +
                           Record(456, "11111111", "GNR");
  // The first "0" is the one in 309, at position 18 after the first record's 17 characters.
  EXPECT_EQ(FindRecord(QVString(list.c_str()), 0), 18);
  EXPECT_EQ(DeviceMask(list, 0), 0);  // fields shifted by one: "0000000 " and "RV\n"

  const std::string early = Record(205, "11111100", "TRV") + Record(456, "11111111", "GNR");
  // "0" at position 1: flags at 5..12 "1111100 " -> 32+16+8+4+2 = 62; line "RV\n" -> 0.
  EXPECT_EQ(DeviceMask(early, 0), 62);
}

TEST(RecordSearch, MissingIdIsNotFound) {
  const std::string list = Record(245, "11111111", "GNR");
  EXPECT_EQ(DeviceMask(list, 246), kStatusNotFound);
  EXPECT_EQ(SixBitMask(list, 246), kDecryptMaskFailure);
  EXPECT_EQ(DeviceMask("", 245), kStatusNotFound);
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

TEST(RecordBounds, FullLookupNeedsSeventeenCharacters) {
  const std::string record = "378 10000111 TRV";  // no line end after the line code
  EXPECT_EQ(DeviceMask(record, 378), kStatusRecordTruncated);
  EXPECT_EQ(DeviceMask(record + "\n", 378), 6 * 256 + 0xE1);
  EXPECT_EQ(DeviceMask("378 10000111", 378), kStatusRecordTruncated);
  EXPECT_EQ(DeviceMask(Record(245, "00000000", "GNR") + record, 378), kStatusRecordTruncated);

  // The six-column lookup reads only what exists; columns past the end count as 0.
  EXPECT_EQ(SixBitMask(record, 378), 0x21);
  EXPECT_EQ(SixBitMask("378 1111", 378), 32 + 16 + 8 + 4);
  EXPECT_EQ(SixBitMask("378", 378), 0);
  EXPECT_EQ(SixBitMask("xx378 1", 378), 32);
}

}  // namespace
}  // namespace qv::devicemask
