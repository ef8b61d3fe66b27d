#include "tools/qvtool/listcheck/list_diff.h"

#include <gtest/gtest.h>

namespace qvtool {
namespace {

// Every ID holds a digit from 2 to 9, so none is found inside the 0/1 flag columns.
const std::string kList =
    "208 00111100 GNR\n"
    "305 00011100 BDW\n"
    "533 00011110 HKM\n"
    "626 00011100 TRV\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(ListDiff, ReorderedRecordsGiveTheSameAnswers) {
  const std::string reordered =
      "626 00011100 TRV\n533 00011110 HKM\n305 00011100 BDW\n208 00111100 GNR\n";
  const ListDiff diff = DiffLists(kList, reordered);
  EXPECT_TRUE(diff.Same());
  EXPECT_EQ(diff.recordsBefore, 4);
  EXPECT_EQ(diff.recordsAfter, 4);
}

TEST(ListDiff, AddedAndRemovedPlatformsCarryTheirAnswersInBothLists) {
  const std::string edited = Replace(kList, "305 00011100 BDW\n", "") + "759 00111100 BDW\n";
  const ListDiff diff = DiffLists(kList, edited);
  ASSERT_EQ(diff.added.size(), 1u);
  EXPECT_EQ(diff.added[0].systemId, 759);
  EXPECT_EQ(diff.added[0].before.deviceMask, -4);
  EXPECT_EQ(diff.added[0].after.deviceMask, 0x200 + 0x0F);
  EXPECT_EQ(diff.added[0].after.decryptMask, 0x0F);
  ASSERT_EQ(diff.removed.size(), 1u);
  EXPECT_EQ(diff.removed[0].systemId, 305);
  EXPECT_EQ(diff.removed[0].before.deviceMask, 0x207);
  EXPECT_EQ(diff.removed[0].after.decryptMask, -1);
  EXPECT_TRUE(diff.changed.empty());
  EXPECT_TRUE(diff.shadowing.empty());
}

TEST(ListDiff, AnEditedRecordNamesEachChangedBitAndItsLineCode) {
  // Flag columns 1 (bit 5) and 8 (bit 7) change, and the line moves from HKM to TRV.
  const ListDiff diff = DiffLists(kList, Replace(kList, "533 00011110 HKM", "533 10011111 TRV"));
  ASSERT_EQ(diff.changed.size(), 1u);
  const PlatformDiff& entry = diff.changed[0];
  EXPECT_EQ(entry.systemId, 533);
  EXPECT_EQ(entry.cause, ChangeCause::kOwnRecord);
  EXPECT_EQ(entry.before.deviceMask, 0x300 + 0x47);
  EXPECT_EQ(entry.after.deviceMask, 0x600 + 0xE7);
  EXPECT_EQ(entry.ChangedMaskBits(), 0xA0);
  EXPECT_EQ(entry.before.decryptMask, 0x07);
  EXPECT_EQ(entry.after.decryptMask, 0x27);
  EXPECT_TRUE(diff.added.empty() && diff.removed.empty() && diff.shadowing.empty());
}

TEST(ListDiff, OnlyTheUpperFlagColumnsChangeGetDeviceMaskAlone) {
  const ListDiff diff = DiffLists(kList, Replace(kList, "208 00111100", "208 00111111"));
  ASSERT_EQ(diff.changed.size(), 1u);
  EXPECT_EQ(diff.changed[0].ChangedMaskBits(), 0xC0);
  EXPECT_EQ(diff.changed[0].before.decryptMask, diff.changed[0].after.decryptMask);
}

TEST(ListDiff, AnEarlierDuplicateShadowsAnUnchangedRecord) {
  // The first record with an ID wins, so a second record for 626 added at the top takes over.
  const std::string shadowed = "626 11100000 GNR\n" + kList;
  const ListDiff diff = DiffLists(kList, shadowed);
  ASSERT_EQ(diff.shadowing.size(), 1u);
  const PlatformDiff& entry = diff.shadowing[0];
  EXPECT_EQ(entry.systemId, 626);
  EXPECT_EQ(entry.cause, ChangeCause::kShadowed);
  EXPECT_EQ(entry.before.readLine, 4);
  EXPECT_EQ(entry.after.readLine, 1);
  EXPECT_EQ(entry.after.deviceMask, 0x100 + 0x38);
  EXPECT_TRUE(diff.changed.empty() && diff.added.empty() && diff.removed.empty());

  // And back: removing the duplicate lets the unchanged record answer again.
  const ListDiff back = DiffLists(shadowed, kList);
  ASSERT_EQ(back.shadowing.size(), 1u);
  EXPECT_EQ(back.shadowing[0].cause, ChangeCause::kNoLongerShadowed);
  EXPECT_EQ(back.shadowing[0].after.deviceMask, 0x600 + 0x07);
}

TEST(ListDiff, ALastRecordWithoutItsLineEndKeepsItsAnswer) {
  const std::string withoutLineEnd = kList.substr(0, kList.size() - 1);
  EXPECT_TRUE(DiffLists(kList, withoutLineEnd).Same());
}

TEST(ListDiff, ALastRecordCutShortChangesWithItsRecord) {
  const std::string cut = kList.substr(0, kList.size() - 2);
  const ListDiff diff = DiffLists(kList, cut);
  ASSERT_EQ(diff.changed.size(), 1u);
  EXPECT_EQ(diff.changed[0].systemId, 626);
  EXPECT_EQ(diff.changed[0].after.deviceMask, -5);
  EXPECT_EQ(diff.changed[0].ChangedMaskBits(), 0);
  EXPECT_TRUE(diff.shadowing.empty());
}

TEST(ListDiff, FlagColumnsOfTheMaskBits) {
  const int columns[8] = {6, 5, 4, 3, 2, 1, 7, 8};
  for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(FlagColumnOfMaskBit(bit), columns[bit]) << bit;
}

}  // namespace
}  // namespace qvtool
