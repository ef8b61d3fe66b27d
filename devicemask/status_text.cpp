#include "devicemask/status_text.h"

#include "devicemask/lookup.h"

namespace qv::devicemask {

const char* StatusText(int status) {
  switch (status) {
    case kStatusCannotOpen:
      return "the list file cannot be opened";
    case kStatusShortRead:
      return "fewer bytes could be read than the file holds";
    case kStatusNotDecrypted:
      return "the list file does not decrypt with the pass phrase";
    case kStatusNotFound:
      return "no line of the list starts with the system ID";
    case kStatusRecordTruncated:
      return "the system ID's record ends before its line code";
    default:
      return nullptr;
  }
}

}  // namespace qv::devicemask
