#include "tools/qvtool/listcheck/list_file_check.h"

#include <algorithm>

#include "devicemask/list_file.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/output/hex_text.h"

namespace qvtool {
namespace {

std::string Plural(std::size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::size_t CountSeverity(const LintResult& lint, Severity severity) {
  return static_cast<std::size_t>(
      std::count_if(lint.problems.begin(), lint.problems.end(),
                    [severity](const LintProblem& p) { return p.severity == severity; }));
}

std::string ResultText(int result) {
  return "line code " + std::to_string(result >> 8) + ", mask " + Hex(result & 0xFF, 2);
}

std::string ReadBackProblem(const RecordReadBack& back) {
  const std::string id = "system ID " + std::to_string(back.systemId);
  const std::string where =
      "line " + std::to_string(back.foundLine) + " column " + std::to_string(back.foundColumn);
  if (back.status == -4) return id + " is not found in the decrypted list";
  if (back.status == -5) {
    return "GetDeviceMask would return -5 for " + id + ": its record (" + where +
           ") ends before its line code does";
  }
  return id + " reads back as " + ResultText(back.result) + " from " + where +
         " instead of its own " + ResultText(back.expectedResult);
}

Json ProblemJson(const LintProblem& problem) {
  return Json{{"line", problem.line},
              {"column", problem.column},
              {"severity", SeverityName(problem.severity)},
              {"rule", RuleName(problem.rule)},
              {"message", problem.message}};
}

Json ReadBackJson(const RecordReadBack& back) {
  Json record{{"line", back.line},
              {"systemId", back.systemId},
              {"ok", back.ok},
              {"status", back.status},
              {"expected", back.expectedResult}};
  if (back.status == 0) record["result"] = back.result;
  if (back.foundLine != 0)
    record["foundAt"] = {{"line", back.foundLine}, {"column", back.foundColumn}};
  if (!back.ok) record["message"] = ReadBackProblem(back);
  return record;
}

}  // namespace

ListCheck CheckListFile(const std::string& path) {
  ListCheck check;
  check.path = path;
  const std::string bytes =
      ReadFileBytes(path, static_cast<std::size_t>(qv::devicemask::kMaxListFileSize));
  check.lint = LintList(bytes);
  check.roundTrip = ProveRoundTrip(check.lint);
  std::string writerText;
  if (qv::devicemask::ReadPlainListFile(path.c_str(), writerText) ==
      qv::devicemask::PlainListRead::kOk) {
    check.writerAgrees = writerText == check.lint.plainText;
  }
  return check;
}

void PrintProblems(const ListCheck& check, std::ostream& out) {
  for (const LintProblem& problem : check.lint.problems) {
    out << check.path << ':' << problem.line << ':' << problem.column << ": "
        << SeverityName(problem.severity) << ": " << problem.message << " ["
        << RuleName(problem.rule) << "]\n";
  }
}

void PrintReadBackFailures(const ListCheck& check, std::ostream& out) {
  if (!check.writerAgrees) {
    out << check.path << ": error: EncryptSysIds reads this file as a different text than the "
        << "linter checked [read-back]\n";
  }
  const RoundTrip& trip = check.roundTrip;
  if (!trip.encrypted) {
    out << check.path << ": error: the library refuses to encrypt this list (empty, or above "
        << "7671 characters) [read-back]\n";
    return;
  }
  if (!trip.decryptedEqual) {
    out << check.path << ": error: decrypting the encrypted list does not give it back "
        << "[read-back]\n";
  }
  for (const RecordReadBack& back : trip.records) {
    if (back.ok) continue;
    out << check.path << ':' << back.line << ":1: error: " << ReadBackProblem(back)
        << " [read-back]\n";
  }
}

std::string Summary(const ListCheck& check) {
  const RoundTrip& trip = check.roundTrip;
  std::string text = check.path + ": " + Plural(check.lint.records.size(), "record") + ", " +
                     Plural(CountSeverity(check.lint, Severity::kError), "error") + ", " +
                     Plural(CountSeverity(check.lint, Severity::kWarning), "warning") + "; ";
  if (!trip.encrypted) return text + "the list cannot be encrypted";
  const int failed = trip.FailedRecords();
  if (trip.Ok() && check.writerAgrees) {
    return text + "all " + std::to_string(trip.records.size()) +
           " records read back with their own flags and line code";
  }
  return text + std::to_string(failed) + " of " + std::to_string(trip.records.size()) +
         " records do not read back as written";
}

Json ToJson(const ListCheck& check) {
  Json problems = Json::array();
  for (const LintProblem& problem : check.lint.problems) problems.push_back(ProblemJson(problem));
  Json records = Json::array();
  for (const RecordReadBack& back : check.roundTrip.records) records.push_back(ReadBackJson(back));
  return Json{{"file", check.path},
              {"records", check.lint.records.size()},
              {"plainLength", check.lint.plainText.size()},
              {"errors", CountSeverity(check.lint, Severity::kError)},
              {"warnings", CountSeverity(check.lint, Severity::kWarning)},
              {"problems", problems},
              {"readBack",
               {{"encrypted", check.roundTrip.encrypted},
                {"decryptedEqual", check.roundTrip.decryptedEqual},
                {"writerAgrees", check.writerAgrees},
                {"ok", check.ReadsBack()},
                {"records", records}}}};
}

}  // namespace qvtool
