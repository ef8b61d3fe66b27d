// QvIdentify on simulated machines: every answer as a property and a log line, from the list
// the installer names or the one the export reads by default, and what a missing or unreadable
// list gives.
#include <gtest/gtest.h>

#include <string>

#include "custom_actions/custom_actions.h"
#include "custom_actions/property_names.h"
#include "exports/qvsupport.h"
#include "tests/custom_actions/identify_fixture.h"

namespace qv::custom_actions::testing {
namespace {

const std::string kList = Record(245, "00110011", "GNR") + Record(378, "10000111", "TRV") +
                          Record(533, "00011110", "HKM") + Record(629, "00011100", "trv") +
                          "456 10000111 CJ";  // ends before its line code

TEST_F(IdentifyTest, EveryAnswerOfAMachineWithAdapters) {
  UseVexaMachine(378);
  AddLANAdapter(30);  // the first Intel row
  AddWLANAdapter(0);
  AddWWANModem(3);
  WriteList(kList, "other.enc");
  session_.properties[kListFileProperty] = ListPath("other.enc");

  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_EQ(session_.Value(kSystemIdProperty), "378");
  EXPECT_EQ(session_.Value(kDeviceMaskProperty), "225");  // 0xE1
  EXPECT_EQ(session_.Value(kLineCodeProperty), "6, TRV");
  EXPECT_FALSE(session_.Has(kDeviceMaskStatusProperty));
  EXPECT_EQ(session_.Value(kTorvaneProperty), "1");
  EXPECT_EQ(session_.Value(kLANMakerProperty), "1");
  EXPECT_EQ(session_.Value(kLANMakerNameProperty), "Intel");
  EXPECT_EQ(session_.Value(kWLANMakerProperty), "0");
  EXPECT_EQ(session_.Value(kWLANMakerNameProperty), "Broadcom");
  EXPECT_EQ(session_.Value(kWWANMakerProperty), "1");
  EXPECT_EQ(session_.Value(kWWANMakerNameProperty), "second modem maker (PID_4B20)");

  // One log line for each answer, naming the property and its value.
  for (const auto& [name, value] : session_.properties) {
    if (name == kListFileProperty) continue;
    EXPECT_EQ(session_.LinesWith("QvIdentify: " + name + " = " + value).size(), 1u) << name;
  }
  EXPECT_EQ(session_.LinesWith("other.enc").size(), 1u);
}

TEST_F(IdentifyTest, TheSameAnswersAsTheExports) {
  UseVexaMachine(533);
  AddLANAdapter(0);
  AddWWANModem(0);
  WriteList(kList);
  const int mask = GetDeviceMask(nullptr);
  const int lan = GetLANManufacturerID();
  const int wlan = GetWLANManufacturerID();
  const int wwan = GetWWANManufacturerID();

  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);  // the default list
  EXPECT_EQ(session_.Value(kSystemIdProperty), "533");
  EXPECT_EQ(session_.Value(kDeviceMaskProperty), std::to_string(mask & 0xFF));
  EXPECT_EQ(session_.Value(kLineCodeProperty), "3, HKM");
  EXPECT_EQ(session_.Value(kTorvaneProperty), "0");
  EXPECT_EQ(session_.Value(kLANMakerProperty), std::to_string(lan));
  EXPECT_EQ(session_.Value(kLANMakerNameProperty), "Broadcom");
  EXPECT_EQ(session_.Value(kWLANMakerProperty), std::to_string(wlan));
  EXPECT_EQ(session_.Value(kWLANMakerProperty), "-1");
  EXPECT_FALSE(session_.Has(kWLANMakerNameProperty));
  EXPECT_EQ(session_.Value(kWWANMakerProperty), std::to_string(wwan));
  EXPECT_EQ(session_.Value(kWWANMakerNameProperty),
            "first modem maker (PID_4A10, PID_4A11, PID_4A12)");
  EXPECT_EQ(session_.LinesWith("QV_WLAN_MAKER = -1 (not identified)").size(), 1u);
}

// What a package's condition "QV_DEVICE_MASK >< 2^bit" tests: the property carries each flag
// column's bit, and no other.
TEST_F(IdentifyTest, EachDeviceBitReachesTheMask) {
  for (int bit = 0; bit < 8; ++bit) {
    SCOPED_TRACE("mask bit " + std::to_string(bit));
    UseVexaMachine(245);
    WriteList(Record(245, FlagsOfBit(bit), "BDW"));
    ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
    EXPECT_EQ(session_.Value(kDeviceMaskProperty), std::to_string(1 << bit));
    EXPECT_EQ(session_.Value(kLineCodeProperty), "2, BDW");
  }
}

TEST_F(IdentifyTest, ALineCodeOfNoProductLine) {
  UseVexaMachine(629);
  WriteList(kList);
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_EQ(session_.Value(kDeviceMaskProperty), "7");
  EXPECT_EQ(session_.Value(kLineCodeProperty), "0");
  EXPECT_EQ(session_.Value(kTorvaneProperty), "0");
}

// A list that is missing, unreadable or without the platform is an answer: the status, and no
// mask or line code, however they were set before.
TEST_F(IdentifyTest, StatusesAreAnswersAndClearTheMask) {
  struct Case {
    const char* what;
    std::uint16_t systemId;
    std::string listText;  // encrypted with the list writer; "" writes no list
    std::string rawFile;   // written as it is instead, when not empty
    const char* status;
  };
  const Case cases[] = {
      {"no list file", 378, "", "", "-2"},
      {"not a list", 378, "", "this is not a list", "-6"},
      {"no record", 999, kList, "", "-4"},
      {"record ends early", 456, kList, "", "-5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseVexaMachine(c.systemId);
    std::remove("vexasysids.enc");
    if (!c.listText.empty()) WriteList(c.listText);
    if (!c.rawFile.empty()) dir_.Write("vexasysids.enc", c.rawFile);
    session_.properties[kDeviceMaskProperty] = "255";
    session_.properties[kLineCodeProperty] = "6, TRV";

    ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
    EXPECT_EQ(session_.Value(kDeviceMaskStatusProperty), c.status);
    EXPECT_FALSE(session_.Has(kDeviceMaskProperty));
    EXPECT_FALSE(session_.Has(kLineCodeProperty));
    EXPECT_EQ(session_.Value(kTorvaneProperty), "0");
    EXPECT_EQ(session_.Value(kSystemIdProperty), std::to_string(c.systemId));
    EXPECT_EQ(session_.LinesWith(std::string("QV_DEVICE_MASK_STATUS = ") + c.status).size(), 1u);
    EXPECT_EQ(session_.LinesWith("QV_DEVICE_MASK cleared").size(), 1u);
    session_.log.clear();
  }
}

TEST_F(IdentifyTest, AnotherMakersMachineHasSystemIdZero) {
  UseOtherMakerMachine();
  WriteList(kList + "0 11111111 TRV\n");
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_EQ(session_.Value(kSystemIdProperty), "0");
  EXPECT_EQ(session_.Value(kDeviceMaskStatusProperty), "-4");
  EXPECT_EQ(session_.Value(kLANMakerProperty), "-1");
  EXPECT_EQ(session_.Value(kWWANMakerProperty), "-1");
}

TEST_F(IdentifyTest, ASuccessClearsAnEarlierStatus) {
  UseVexaMachine(378);
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_EQ(session_.Value(kDeviceMaskStatusProperty), "-2");
  WriteList(kList);
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_FALSE(session_.Has(kDeviceMaskStatusProperty));
  EXPECT_EQ(session_.Value(kDeviceMaskProperty), "225");
}

}  // namespace
}  // namespace qv::custom_actions::testing
