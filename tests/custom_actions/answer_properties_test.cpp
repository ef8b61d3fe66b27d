// The answers as properties, without a machine: every status and every maker code the
// exports can give, and the names of the properties an installer's conditions use.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "custom_actions/answer_properties.h"

namespace qv::custom_actions {
namespace {

std::map<std::string, Property> ByName(const Answers& answers) {
  std::map<std::string, Property> properties;
  for (const Property& property : PropertiesOf(answers)) properties[property.name] = property;
  return properties;
}

TEST(AnswerProperties, EveryPropertyNameIsListedWhateverTheAnswers) {
  const char* const expected[] = {
      "QV_SYSTEM_ID",       "QV_DEVICE_MASK", "QV_LINE_CODE",      "QV_DEVICE_MASK_STATUS",
      "QV_TORVANE",         "QV_LAN_MAKER",   "QV_LAN_MAKER_NAME", "QV_WLAN_MAKER",
      "QV_WLAN_MAKER_NAME", "QV_WWAN_MAKER",  "QV_WWAN_MAKER_NAME"};
  for (const int deviceMask : {0x3FF, -4}) {
    const auto properties = ByName({533, deviceMask, 0, 0, 0, 0});
    EXPECT_EQ(properties.size(), std::size(expected));
    for (const char* name : expected) EXPECT_EQ(properties.count(name), 1u) << name;
  }
}

TEST(AnswerProperties, EveryStatusIsPassedOnWithItsReason) {
  const std::map<int, std::string> reasons = {
      {-2, "cannot be opened"},
      {-3, "fewer bytes"},
      {-4, "no line of the list starts with the system ID"},
      {-5, "ends before its line code"},
      {-6, "does not decrypt with the pass phrase"},
  };
  for (const auto& [status, reason] : reasons) {
    auto properties = ByName({533, status, 0, -1, -1, -1});
    EXPECT_EQ(properties["QV_DEVICE_MASK_STATUS"].value, std::to_string(status));
    EXPECT_NE(properties["QV_DEVICE_MASK_STATUS"].note.find(reason), std::string::npos) << status;
    EXPECT_EQ(properties["QV_DEVICE_MASK"].value, "");
    EXPECT_EQ(properties["QV_LINE_CODE"].value, "");
  }
}

TEST(AnswerProperties, MaskAndLineCodeFromOneResult) {
  auto properties = ByName({533, 3 * 256 + 0x4F, 0, 0, 0, 0});
  EXPECT_EQ(properties["QV_DEVICE_MASK"].value, "79");
  EXPECT_EQ(properties["QV_LINE_CODE"].value, "3, HKM");
  EXPECT_EQ(properties["QV_DEVICE_MASK_STATUS"].value, "");
  for (int line = 1; line <= 6; ++line) {
    const char* const letters[] = {"GNR", "BDW", "HKM", "CJF", "WQE", "TRV"};
    EXPECT_EQ(ByName({1, line * 256, 0, 0, 0, 0})["QV_LINE_CODE"].value,
              std::to_string(line) + ", " + letters[line - 1]);
  }
  EXPECT_EQ(ByName({1, 0, 0, 0, 0, 0})["QV_DEVICE_MASK"].value, "0");  // a mask, not a status
}

TEST(AnswerProperties, MakerCodesAndNames) {
  struct Case {
    int lan, wlan, wwan;
    const char *lanName, *wlanName, *wwanName;
  };
  const Case cases[] = {
      {0, 0, 0, "Broadcom", "Broadcom", "first modem maker (PID_4A10, PID_4A11, PID_4A12)"},
      {1, -1, 1, "Intel", "", "second modem maker (PID_4B20)"},
      {-1, -1, -1, "", "", ""},
  };
  for (const Case& c : cases) {
    auto properties = ByName({1, -2, 0, c.lan, c.wlan, c.wwan});
    EXPECT_EQ(properties["QV_LAN_MAKER"].value, std::to_string(c.lan));
    EXPECT_EQ(properties["QV_WLAN_MAKER"].value, std::to_string(c.wlan));
    EXPECT_EQ(properties["QV_WWAN_MAKER"].value, std::to_string(c.wwan));
    EXPECT_EQ(properties["QV_LAN_MAKER_NAME"].value, c.lanName);
    EXPECT_EQ(properties["QV_WLAN_MAKER_NAME"].value, c.wlanName);
    EXPECT_EQ(properties["QV_WWAN_MAKER_NAME"].value, c.wwanName);
  }
}

}  // namespace
}  // namespace qv::custom_actions
