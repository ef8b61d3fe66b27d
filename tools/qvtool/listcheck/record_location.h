// Where the library's lookup finds a system ID in a plain list: the line that starts with its
// decimal text. Also where readers that search unanchored would find it (the first occurrence
// of the digits anywhere), for tools that warn when the two differ.
#pragma once

#include <cstdint>
#include <string>

#include "tools/qvtool/output/json_output.h"
#include "util/qv_string.h"

namespace qvtool {

struct RecordLocation {
  bool found = false;
  int line = 0;
  int column = 0;
  std::string text;  // the record read from there, up to its line end
};

RecordLocation LocateRecord(const QVString& plainList, std::uint16_t systemId);
RecordLocation LocateUnanchored(const QVString& plainList, std::uint16_t systemId);

// The decrypted list file at `path` (nullptr: vexasysids.enc here), or nothing found when it
// cannot be read or decrypted.
RecordLocation LocateRecordInFile(const char* path, std::uint16_t systemId);

Json LocationJson(const RecordLocation& location);

}  // namespace qvtool
