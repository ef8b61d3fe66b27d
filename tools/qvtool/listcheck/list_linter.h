// The plain system-ID list linter. This library's reader takes a record from the line that
// starts with its system ID; earlier readers, which lists also reach, take the first
// occurrence of the ID's decimal text anywhere in the list and read the fields at fixed offsets
// from there, so for them a list can be well-formed line by line and still hand a platform the
// wrong record. The linter checks every line and the list as a whole against what all readers
// and the writer (EncryptSysIds) need, and says where each problem lies.
//
// Pure computation on the file's bytes: no file, console or platform access, so tests and
// fuzzers can call it directly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvtool {

enum class Severity { kWarning, kError };

enum class LintRule {
  kEmptyList,        // no record at all
  kBadId,            // the line does not start with a three-digit ID from 100 to 999
  kShortRecord,      // the line ends before its line code does
  kBadFlag,          // a flag column other than "0" or "1"
  kUnknownLineCode,  // not one of the six codes: the record means "no product line"
  kNoLineEnd,        // the record's line code ends the text: earlier readers refuse it
  kTooLong,          // more than 7671 characters after line-end translation
  kDuplicateId,      // a second record for an ID: the reader only sees the first
  kShadowedId,       // the ID's digits occur earlier than its record: unanchored readers err
  kIgnoredTail,      // bytes after an end-of-text byte (0x1A) or a NUL byte are dropped
};

// Short stable name of a rule, e.g. "shadowed-id".
const char* RuleName(LintRule rule);
const char* SeverityName(Severity severity);

struct LintProblem {
  Severity severity = Severity::kError;
  LintRule rule = LintRule::kBadId;
  int line = 0;    // 1-based
  int column = 0;  // 1-based, in characters of the line
  std::string message;
};

// One line of the list read as a record. Fields that the line does not reach are empty.
struct ListRecord {
  int line = 0;
  std::size_t offset = 0;   // of the record's first character in the translated text
  std::string id;           // the three characters at offsets 0 to 2
  std::string flags;        // offsets 4 to 11
  std::string lineCode;     // offsets 13 to 15
  bool wellFormed = false;  // a three-digit ID, eight 0/1 flags and a full line code
};

struct LintResult {
  // The list as EncryptSysIds encrypts it: CR LF pairs become LF, and the text ends at the
  // first 0x1A or NUL byte.
  std::string plainText;
  std::vector<ListRecord> records;
  std::vector<LintProblem> problems;  // in line order

  bool HasErrors() const;
  bool HasWarnings() const;
};

// Reads the file's bytes the way EncryptSysIds does (text mode, then up to the first NUL).
std::string TranslateAsTextMode(std::string_view fileBytes);

// Checks the file's bytes. Never throws for any content.
LintResult LintList(std::string_view fileBytes);

}  // namespace qvtool
