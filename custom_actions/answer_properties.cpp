#include "custom_actions/answer_properties.h"

#include "custom_actions/property_names.h"
#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "devicemask/status_text.h"
#include "netid/maker_names.h"

namespace qv::custom_actions {
namespace {

using namespace qv::devicemask;

constexpr int kMaskBits = 0xFF;

std::string StatusReason(int status) {
  const char* text = StatusText(status);
  return text != nullptr ? text : "";
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

void AddMaker(const char* codeProperty, const char* nameProperty, int code, const std::string& name,
              std::vector<Property>& properties) {
  properties.push_back({codeProperty, std::to_string(code), name.empty() ? "not identified" : ""});
  properties.push_back({nameProperty, name, ""});
}

}  // namespace

std::vector<Property> PropertiesOf(const Answers& answers) {
  using namespace qv::netid;
  std::vector<Property> properties;
  properties.push_back({kSystemIdProperty, std::to_string(answers.systemId),
                        answers.systemId == 0 ? "the tables give no system ID" : ""});
  AddDeviceMask(answers.deviceMask, properties);
  properties.push_back({kTorvaneProperty, std::to_string(answers.torvane), ""});
  AddMaker(kLANMakerProperty, kLANMakerNameProperty, answers.lanMaker,
           LANMakerName(answers.lanMaker), properties);
  AddMaker(kWLANMakerProperty, kWLANMakerNameProperty, answers.wlanMaker,
           WLANMakerName(answers.wlanMaker), properties);
  AddMaker(kWWANMakerProperty, kWWANMakerNameProperty, answers.wwanMaker,
           WWANMakerName(answers.wwanMaker), properties);
  return properties;
}

}  // namespace qv::custom_actions
