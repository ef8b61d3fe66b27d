// The library's answers as Windows Installer properties. Every property of the action is in the
// list, the ones without an answer with an empty value, so that a second run of the action, or
// a value given on the command line, leaves nothing stale behind.
#pragma once

#include <string>
#include <vector>

#include "custom_actions/answers.h"

namespace qv::custom_actions {

struct Property {
  std::string name;
  std::string value;  // "": the property is removed
  std::string note;   // what the value means, for the log; may be empty
};

std::vector<Property> PropertiesOf(const Answers& answers);

}  // namespace qv::custom_actions
