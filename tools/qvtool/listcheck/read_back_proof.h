// Proof that a plain list reads back as written: the list is encrypted in memory with the
// library's QVEncryption and the pass phrase, decrypted again, and every record is looked up
// the way GetDeviceMask does (the line that starts with the ID, fields at fixed offsets on that
// line). Each record must come back with its own flags and line code.
#pragma once

#include <string>
#include <vector>

#include "tools/qvtool/listcheck/list_linter.h"

namespace qvtool {

struct RecordReadBack {
  int line = 0;
  int systemId = 0;
  int status = 0;     // 0 found; -4 not found; -5 the record's line ends before its line code
  int foundLine = 0;  // where the reader found the ID's digits (0 when not found)
  int foundColumn = 0;
  int expectedResult = 0;  // line code number * 256 + mask of the record's own fields
  int result = 0;          // what the reader computes from the place it found
  bool ok = false;
};

struct RoundTrip {
  bool encrypted = false;       // QVEncryption::EncryptString accepted the list
  bool decryptedEqual = false;  // DecryptString gave back exactly the plain text
  std::string cipherText;       // the Base64 text "vexasysids.enc" would hold
  std::vector<RecordReadBack> records;

  bool Ok() const;
  int FailedRecords() const;
};

// Looks up every record whose line starts with a three-digit ID.
RoundTrip ProveRoundTrip(const LintResult& lint);

}  // namespace qvtool
