#include "tools/qvtool/listcheck/list_linter.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "devicemask/record.h"
#include "devicemask/list_file.h"
#include "tools/qvtool/listcheck/text_positions.h"

namespace qvtool {
namespace {

using qv::devicemask::kFirstFlagOffset;
using qv::devicemask::kFlagCount;
using qv::devicemask::kLineCodeLength;
using qv::devicemask::kLineCodeOffset;

constexpr std::size_t kIdLength = 3;
// ID, separator, eight flags, separator and line code; the line end follows.
constexpr std::size_t kRecordLength = kLineCodeOffset + kLineCodeLength;

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

// Where in a record an offset falls, for messages.
const char* FieldAt(std::size_t offsetInRecord) {
  if (offsetInRecord < kIdLength) return "the system ID";
  if (offsetInRecord < static_cast<std::size_t>(kFirstFlagOffset)) return "the separator";
  if (offsetInRecord < static_cast<std::size_t>(kFirstFlagOffset + kFlagCount)) {
    return "the flag columns";
  }
  if (offsetInRecord < static_cast<std::size_t>(kLineCodeOffset)) return "the separator";
  if (offsetInRecord < kRecordLength) return "the line code";
  return "the text after the line code";
}

class Linter {
 public:
  explicit Linter(std::string_view fileBytes) : fileBytes_(fileBytes) {
    result_.plainText = TranslateAsTextMode(fileBytes);
    positions_ = TextPositions(result_.plainText);
  }

  LintResult Run() {
    SplitRecords();
    for (const ListRecord& record : result_.records) CheckRecord(record);
    CheckEmpty();
    CheckSize();
    CheckFirstOccurrences();
    CheckIgnoredTail();
    std::stable_sort(result_.problems.begin(), result_.problems.end(),
                     [](const LintProblem& a, const LintProblem& b) {
                       return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    return std::move(result_);
  }

 private:
  std::string_view Text() const { return result_.plainText; }

  void Add(Severity severity, LintRule rule, int line, int column, std::string message) {
    result_.problems.push_back({severity, rule, line, column, std::move(message)});
  }

  void AddAt(Severity severity, LintRule rule, std::size_t offset, std::string message) {
    Add(severity, rule, positions_.Line(offset), positions_.Column(offset), std::move(message));
  }

  std::string_view LineOf(const ListRecord& record) const {
    std::string_view rest = Text().substr(record.offset);
    return rest.substr(0, rest.find('\n'));
  }

  // Every non-empty line is a record.
  void SplitRecords() {
    std::size_t start = 0;
    int line = 1;
    while (start < Text().size()) {
      std::size_t end = std::min(Text().find('\n', start), Text().size());
      if (end > start) result_.records.push_back(MakeRecord(line, start, end));
      start = end + 1;
      ++line;
    }
  }

  ListRecord MakeRecord(int line, std::size_t start, std::size_t end) const {
    std::string_view text = Text().substr(start, end - start);
    ListRecord record;
    record.line = line;
    record.offset = start;
    record.id = std::string(text.substr(0, kIdLength));
    if (text.size() > static_cast<std::size_t>(kFirstFlagOffset)) {
      record.flags = std::string(text.substr(kFirstFlagOffset, kFlagCount));
    }
    if (text.size() > static_cast<std::size_t>(kLineCodeOffset)) {
      record.lineCode = std::string(text.substr(kLineCodeOffset, kLineCodeLength));
    }
    record.wellFormed = IsThreeDigitId(text) && record.flags.size() == kFlagCount &&
                        record.flags.find_first_not_of("01") == std::string::npos &&
                        record.lineCode.size() == static_cast<std::size_t>(kLineCodeLength);
    return record;
  }

  static bool IsThreeDigitId(std::string_view line) {
    return line.size() > kIdLength && AllDigits(line.substr(0, kIdLength)) && line[0] != '0' &&
           !IsDigit(line[kIdLength]);
  }

  void CheckRecord(const ListRecord& record) {
    std::string_view line = LineOf(record);
    CheckId(record, line);
    CheckLength(record, line);
    CheckFlags(record);
    CheckLineCode(record);
    CheckLineEnd(record, line);
  }

  void CheckId(const ListRecord& record, std::string_view line) {
    const std::string id(line.substr(0, std::min(line.size(), kIdLength + 1)));
    if (!AllDigits(record.id) || record.id.size() < kIdLength) {
      Add(Severity::kError, LintRule::kBadId, record.line, 1,
          "the record does not start with a three-digit system ID (found " + Quoted(record.id) +
              ")");
    } else if (record.id[0] == '0') {
      Add(Severity::kError, LintRule::kBadId, record.line, 1,
          "system ID " + Quoted(record.id) +
              " has a leading zero; the reader searches for the ID without one");
    } else if (line.size() > kIdLength && IsDigit(line[kIdLength])) {
      Add(Severity::kError, LintRule::kBadId, record.line, 1,
          "the system ID has more than three digits (" + Quoted(id) +
              "...); the fields are read at offsets that assume three");
    }
  }

  void CheckLength(const ListRecord& record, std::string_view line) {
    if (line.size() >= kRecordLength) return;
    Add(Severity::kError, LintRule::kShortRecord, record.line, static_cast<int>(line.size()) + 1,
        "the record ends after " + std::to_string(line.size()) + " characters; it needs " +
            std::to_string(kRecordLength) +
            " (ID, separator, 8 flags, separator, 3-letter line code)");
  }

  void CheckFlags(const ListRecord& record) {
    for (std::size_t i = 0; i < record.flags.size(); ++i) {
      const char flag = record.flags[i];
      if (flag == '0' || flag == '1') continue;
      Add(Severity::kError, LintRule::kBadFlag, record.line,
          kFirstFlagOffset + static_cast<int>(i) + 1,
          "flag column " + std::to_string(i + 1) + " holds " + Quoted(std::string(1, flag)) +
              "; a flag is \"0\" or \"1\"");
    }
  }

  void CheckLineCode(const ListRecord& record) {
    if (record.lineCode.size() != static_cast<std::size_t>(kLineCodeLength)) return;
    if (qv::devicemask::LineCodeNumber(record.lineCode.c_str()) != qv::devicemask::kNoLine) {
      return;
    }
    std::string message = "line code " + Quoted(record.lineCode) + " is none of " + KnownCodes() +
                          "; the platform gets no product line";
    const std::string upper = Upper(record.lineCode);
    if (qv::devicemask::LineCodeNumber(upper.c_str()) != qv::devicemask::kNoLine) {
      message += " (codes are case-sensitive: did you mean " + Quoted(upper) + "?)";
    }
    Add(Severity::kWarning, LintRule::kUnknownLineCode, record.line, kLineCodeOffset + 1, message);
  }

  static std::string KnownCodes() {
    std::string codes;
    for (int number = 1; const char* code = qv::devicemask::LineCodeText(number); ++number) {
      if (!codes.empty()) codes += ", ";
      codes += code;
    }
    return codes;
  }

  // The reader needs one more character after the line code.
  void CheckLineEnd(const ListRecord& record, std::string_view line) {
    if (line.size() < kRecordLength) return;
    if (record.offset + kRecordLength < Text().size()) return;
    Add(Severity::kError, LintRule::kNoLineEnd, record.line, kRecordLength + 1,
        "the record's line code ends the list; this library reads it, but readers that need a "
        "character after the line code (earlier releases) refuse it (-5): end the line with a "
        "line end");
  }

  void CheckEmpty() {
    if (!result_.records.empty()) return;
    Add(Severity::kError, LintRule::kEmptyList, 1, 1, "the list holds no records");
  }

  void CheckSize() {
    const std::size_t limit = qv::devicemask::kMaxPlainListLength;
    if (Text().size() <= limit) return;
    AddAt(Severity::kError, LintRule::kTooLong, limit,
          "the list holds " + std::to_string(Text().size()) +
              " characters after line-end translation; at most " + std::to_string(limit) +
              " fit the encrypted file");
  }

  // This library's reader takes the record from the line the ID starts, but earlier readers
  // take the first occurrence of the ID's digits anywhere in the text, and lists reach both.
  void CheckFirstOccurrences() {
    std::map<std::string, const ListRecord*> firstRecordOfId;
    for (const ListRecord& record : result_.records) {
      if (!IsThreeDigitId(LineOf(record))) continue;
      auto [first, inserted] = firstRecordOfId.emplace(record.id, &record);
      if (!inserted) {
        ReportDuplicate(record, *first->second);
        continue;
      }
      const std::size_t occurrence = Text().find(record.id);
      if (occurrence < record.offset) ReportShadow(record, occurrence);
    }
  }

  void ReportDuplicate(const ListRecord& record, const ListRecord& first) {
    Add(Severity::kError, LintRule::kDuplicateId, record.line, 1,
        "system ID " + record.id + " already has a record at line " + std::to_string(first.line) +
            "; the reader only ever sees the first");
  }

  void ReportShadow(const ListRecord& record, std::size_t occurrence) {
    Add(Severity::kError, LintRule::kShadowedId, record.line, 1,
        "the digits of system ID " + record.id + " occur earlier, at line " +
            std::to_string(positions_.Line(occurrence)) + " column " +
            std::to_string(positions_.Column(occurrence)) + " (" + Describe(occurrence) +
            "); this library finds the record at its line start, but lists also reach readers "
            "that search the old, unanchored way, and they would read this platform's flags "
            "and line code from there");
  }

  std::string Describe(std::size_t offset) const {
    const ListRecord* owner = nullptr;
    for (const ListRecord& record : result_.records) {
      if (record.offset <= offset) owner = &record;
    }
    if (owner == nullptr) return "before the first record";
    return "in " + std::string(FieldAt(offset - owner->offset)) + " of the record " +
           Quoted(owner->id);
  }

  void CheckIgnoredTail() {
    const std::size_t end = fileBytes_.find_first_of(std::string_view("\x1A\0", 2));
    if (end == std::string_view::npos || end + 1 >= fileBytes_.size()) return;
    const TextPositions raw(fileBytes_);
    const bool endOfText = fileBytes_[end] == '\x1A';
    Add(Severity::kError, LintRule::kIgnoredTail, raw.Line(end), raw.Column(end),
        std::string(endOfText ? "an end-of-text byte (0x1A)" : "a NUL byte") +
            " ends the list; the " + std::to_string(fileBytes_.size() - end - 1) +
            " bytes after it are not encrypted");
  }

  std::string_view fileBytes_;
  LintResult result_;
  TextPositions positions_;
};

}  // namespace

const char* RuleName(LintRule rule) {
  switch (rule) {
    case LintRule::kEmptyList:
      return "empty-list";
    case LintRule::kBadId:
      return "bad-id";
    case LintRule::kShortRecord:
      return "short-record";
    case LintRule::kBadFlag:
      return "bad-flag";
    case LintRule::kUnknownLineCode:
      return "unknown-line-code";
    case LintRule::kNoLineEnd:
      return "no-line-end";
    case LintRule::kTooLong:
      return "too-long";
    case LintRule::kDuplicateId:
      return "duplicate-id";
    case LintRule::kShadowedId:
      return "shadowed-id";
    case LintRule::kIgnoredTail:
      return "ignored-tail";
  }
  return "unknown";
}

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

bool LintResult::HasErrors() const {
  return std::any_of(problems.begin(), problems.end(),
                     [](const LintProblem& p) { return p.severity == Severity::kError; });
}

bool LintResult::HasWarnings() const {
  return std::any_of(problems.begin(), problems.end(),
                     [](const LintProblem& p) { return p.severity == Severity::kWarning; });
}

std::string TranslateAsTextMode(std::string_view fileBytes) {
  std::string text;
  text.reserve(fileBytes.size());
  for (std::size_t i = 0; i < fileBytes.size(); ++i) {
    const char c = fileBytes[i];
    if (c == '\x1A' || c == '\0') break;
    if (c == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') continue;
    text.push_back(c);
  }
  return text;
}

LintResult LintList(std::string_view fileBytes) {
  return Linter(fileBytes).Run();
}

}  // namespace qvtool
