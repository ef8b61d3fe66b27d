// Linting and read-back proof of one plain list file, with the ways to show the outcome. Shared
// by `lint` and `encrypt`.
#pragma once

#include <ostream>
#include <string>

#include "tools/qvtool/listcheck/list_linter.h"
#include "tools/qvtool/listcheck/read_back_proof.h"
#include "tools/qvtool/output/json_output.h"

namespace qvtool {

struct ListCheck {
  std::string path;
  LintResult lint;
  RoundTrip roundTrip;
  // EncryptSysIds's own reader gives the same text as the linter saw (or refuses a list that
  // is too long, which the linter reports).
  bool writerAgrees = true;

  bool ReadsBack() const { return writerAgrees && roundTrip.Ok(); }
};

// Reads the file (ToolError when it cannot), lints it and proves the read-back.
ListCheck CheckListFile(const std::string& path);

// One line per problem: "PATH:LINE:COLUMN: error: message [rule]".
void PrintProblems(const ListCheck& check, std::ostream& out);
// One line per record that does not read back, and one if encryption itself failed.
void PrintReadBackFailures(const ListCheck& check, std::ostream& out);
// "PATH: 24 records, 0 errors, 1 warning; every record reads back ...".
std::string Summary(const ListCheck& check);

Json ToJson(const ListCheck& check);

}  // namespace qvtool
