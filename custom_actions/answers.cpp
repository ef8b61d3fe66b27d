#include "custom_actions/answers.h"

#include "exports/platform_object.h"
#include "exports/qvsupport.h"

namespace qv::custom_actions {

Answers AskTheLibrary(const char* listPath) {
  Answers answers;
  answers.systemId = GetSystemId();
  answers.deviceMask = GetDeviceMask(listPath);
  answers.torvane = IsTorvaneSystem(listPath);
  answers.lanMaker = GetLANManufacturerID();
  answers.wlanMaker = GetWLANManufacturerID();
  answers.wwanMaker = GetWWANManufacturerID();
  ReleasePlatformObject();
  return answers;
}

}  // namespace qv::custom_actions
