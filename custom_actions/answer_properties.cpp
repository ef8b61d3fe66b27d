#include "custom_actions/answer_properties.h"

#include <map>

#include "custom_actions/property_names.h"
#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "netid/adapter_tables.h"
#include "netid/manufacturer_id.h"

namespace qv::custom_actions {
namespace {

using namespace qv::devicemask;

constexpr int kMaskBits = 0xFF;

std::string NameIn(const std::map<int, std::string>& names, int code) {
  const auto found = names.find(code);
  return found != names.end() ? found->second : "";
}

std::string StatusReason(int status) {
  static const std::map<int, std::string> reasons = {
      {kStatusCannotOpen, "the list file cannot be opened"},
      {kStatusShortRead, "fewer bytes could be read than the file holds"},
      {kStatusNotDecrypted, "the list file does not decrypt"},
      {kStatusNotFound, "no line of the list starts with the system ID"},
      {kStatusRecordTruncated, "the system ID's record ends before its line code"},
  };
  return NameIn(reasons, status);
}

// "3, HKM"; a record whose letters name no product line gives "0".
std::string LineCodeValue(int line) {
  const char* letters = LineCodeText(line);
  return letters != nullptr ? std::to_string(line) + ", " + letters : std::to_string(line);
}

void AddDeviceMask(int result, std::vector<Property>& properties) {
  if (result < 0) {
    properties.push_back({kDeviceMaskProperty, "", ""});
    properties.push_back({kLineCodeProperty, "", ""});
    properties.push_back({kDeviceMaskStatusProperty, std::to_string(result), StatusReason(result)});
    return;
  }
  properties.push_back({kDeviceMaskProperty, std::to_string(result & kMaskBits), ""});
  properties.push_back({kLineCodeProperty, LineCodeValue(result >> kLineCodeShift), ""});
  properties.push_back({kDeviceMaskStatusProperty, "", ""});
}

void AddMaker(const char* codeProperty, const char* nameProperty, int code,
              const std::map<int, std::string>& names, std::vector<Property>& properties) {
  const std::string name = NameIn(names, code);
  properties.push_back({codeProperty, std::to_string(code), name.empty() ? "not identified" : ""});
  properties.push_back({nameProperty, name, ""});
}

std::string WWANMakerName(const char* which, std::initializer_list<const char*> productIds) {
  std::string name = std::string(which) + " modem maker (";
  const char* separator = "";
  for (const char* id : productIds) {
    name += separator;
    name += id;
    separator = ", ";
  }
  return name + ")";
}

}  // namespace

std::vector<Property> PropertiesOf(const Answers& answers) {
  using namespace qv::netid;
  static const std::map<int, std::string> lanMakers = {{kLANBroadcom, "Broadcom"},
                                                       {kLANIntel, "Intel"}};
  static const std::map<int, std::string> wlanMakers = {{kWLANBroadcom, "Broadcom"}};
  static const std::map<int, std::string> wwanMakers = {
      {kWWANFirstMaker,
       WWANMakerName("first", {kWWANProductIDs[0], kWWANProductIDs[1], kWWANProductIDs[2]})},
      {kWWANSecondMaker, WWANMakerName("second", {kWWANProductIDs[3]})},
  };

  std::vector<Property> properties;
  properties.push_back({kSystemIdProperty, std::to_string(answers.systemId),
                        answers.systemId == 0 ? "the tables give no system ID" : ""});
  AddDeviceMask(answers.deviceMask, properties);
  properties.push_back({kTorvaneProperty, std::to_string(answers.torvane), ""});
  AddMaker(kLANMakerProperty, kLANMakerNameProperty, answers.lanMaker, lanMakers, properties);
  AddMaker(kWLANMakerProperty, kWLANMakerNameProperty, answers.wlanMaker, wlanMakers, properties);
  AddMaker(kWWANMakerProperty, kWWANMakerNameProperty, answers.wwanMaker, wwanMakers, properties);
  return properties;
}

}  // namespace qv::custom_actions
