// The library's answers about this machine, asked through its exports in the order an
// installer asks them.
#pragma once

namespace qv::custom_actions {

struct Answers {
  int systemId = 0;
  int deviceMask = 0;  // GetDeviceMask's result: line code * 256 + mask, or a negative status
  int torvane = 0;
  int lanMaker = 0;
  int wlanMaker = 0;
  int wwanMaker = 0;
};

// `listPath` is the encrypted list file, or nullptr for the file the export reads by default.
// No platform object is left behind: the installer unloads a custom action's module after each
// action, and the object would hold COM on the installer's thread until the process ends.
Answers AskTheLibrary(const char* listPath);

}  // namespace qv::custom_actions
