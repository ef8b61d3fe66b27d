#include "tools/qvtool/listcheck/list_linter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tools/qvtool/listcheck/read_back_proof.h"

namespace qvtool {
namespace {

std::vector<LintProblem> ProblemsOf(const LintResult& result, LintRule rule) {
  std::vector<LintProblem> found;
  for (const LintProblem& problem : result.problems) {
    if (problem.rule == rule) found.push_back(problem);
  }
  return found;
}

::testing::AssertionResult HasProblemAt(const LintResult& result, LintRule rule, int line,
                                        int column) {
  for (const LintProblem& problem : ProblemsOf(result, rule)) {
    if (problem.line == line && problem.column == column) return ::testing::AssertionSuccess();
  }
  std::string all;
  for (const LintProblem& p : result.problems) {
    all += std::string(RuleName(p.rule)) + "@" + std::to_string(p.line) + ":" +
           std::to_string(p.column) + " ";
  }
  return ::testing::AssertionFailure()
         << "no " << RuleName(rule) << " at " << line << ":" << column << "; found: " << all;
}

const char kCleanList[] =
    "208 00111100 GNR\n"
    "305 00011100 BDW\n"
    "423 00011100 HKM\n"
    "449 00001100 CJF\n"
    "562 00111100 WQE\n"
    "626 10011111 TRV\n";

TEST(ListLint, CleanListHasNoProblemsAndReadsBack) {
  const LintResult result = LintList(kCleanList);
  EXPECT_TRUE(result.problems.empty());
  ASSERT_EQ(result.records.size(), 6u);
  EXPECT_EQ(result.records[5].id, "626");
  EXPECT_EQ(result.records[5].flags, "10011111");
  EXPECT_EQ(result.records[5].lineCode, "TRV");
  EXPECT_TRUE(result.records[5].wellFormed);

  const RoundTrip trip = ProveRoundTrip(result);
  EXPECT_TRUE(trip.Ok());
  ASSERT_EQ(trip.records.size(), 6u);
  // 626: flags 1,0,0,1,1,1,1,1 -> bits 5, 2, 1, 0, 6, 7; line TRV = 6.
  EXPECT_EQ(trip.records[5].result, 6 * 256 + 0xE7);
  EXPECT_EQ(trip.records[0].result, 1 * 256 + 0x0F);
}

TEST(ListLint, RecordShapeErrorsCarryLineAndColumn) {
  const LintResult result = LintList(
      "20x 00111100 GNR\n"  // not digits
      "042 00111100 GNR\n"  // leading zero
      "2081 0011110 GNR\n"  // four digits
      "305 0021a100 BDW\n"  // flags 3 and 5
      "423 000111\n"        // short
      "12\n");              // no ID at all
  EXPECT_TRUE(HasProblemAt(result, LintRule::kBadId, 1, 1));
  EXPECT_TRUE(HasProblemAt(result, LintRule::kBadId, 2, 1));
  EXPECT_TRUE(HasProblemAt(result, LintRule::kBadId, 3, 1));
  EXPECT_TRUE(HasProblemAt(result, LintRule::kBadFlag, 4, 7));
  EXPECT_TRUE(HasProblemAt(result, LintRule::kBadFlag, 4, 9));
  int badFlagsOnLine4 = 0;
  for (const LintProblem& problem : ProblemsOf(result, LintRule::kBadFlag)) {
    badFlagsOnLine4 += problem.line == 4;
  }
  EXPECT_EQ(badFlagsOnLine4, 2);
  EXPECT_TRUE(HasProblemAt(result, LintRule::kShortRecord, 5, 11));
  EXPECT_TRUE(HasProblemAt(result, LintRule::kBadId, 6, 1));
  EXPECT_TRUE(HasProblemAt(result, LintRule::kShortRecord, 6, 3));
  EXPECT_TRUE(result.HasErrors());
  EXPECT_FALSE(result.records[3].wellFormed);
}

TEST(ListLint, UnknownLineCodeIsAWarningWithACaseHint) {
  const LintResult result = LintList("626 00011100 trv\n847 00011100 QQX\n");
  EXPECT_FALSE(result.HasErrors());
  EXPECT_TRUE(result.HasWarnings());
  ASSERT_TRUE(HasProblemAt(result, LintRule::kUnknownLineCode, 1, 14));
  EXPECT_NE(result.problems[0].message.find("\"TRV\""), std::string::npos);
  ASSERT_TRUE(HasProblemAt(result, LintRule::kUnknownLineCode, 2, 14));
  EXPECT_EQ(result.problems[1].message.find("did you mean"), std::string::npos);
  EXPECT_TRUE(ProveRoundTrip(result).Ok());  // no line is a valid answer: 0 * 256 + mask
}

TEST(ListLint, LastRecordNeedsALineEndForEarlierReaders) {
  const LintResult missing = LintList("208 00111100 GNR\n305 00011100 BDW");
  EXPECT_TRUE(HasProblemAt(missing, LintRule::kNoLineEnd, 2, 17));
  const LintProblem noLineEnd = ProblemsOf(missing, LintRule::kNoLineEnd)[0];
  EXPECT_EQ(noLineEnd.severity, Severity::kError);
  EXPECT_NE(noLineEnd.message.find("earlier releases"), std::string::npos) << noLineEnd.message;
  // This library reads the record all the same.
  const RoundTrip trip = ProveRoundTrip(missing);
  ASSERT_EQ(trip.records.size(), 2u);
  EXPECT_TRUE(trip.records[0].ok);
  EXPECT_TRUE(trip.records[1].ok);
  EXPECT_EQ(trip.records[1].result, 2 * 256 + 0x07);

  // A record cut short by the end of the list does not read back.
  const RoundTrip cut = ProveRoundTrip(LintList("208 00111100 GNR\n305 00011100 BD"));
  ASSERT_EQ(cut.records.size(), 2u);
  EXPECT_EQ(cut.records[1].status, -5);
  EXPECT_FALSE(cut.Ok());

  // Anything after the line code will do, and CR LF counts as one line end.
  EXPECT_TRUE(LintList("305 00011100 BDW \n").problems.empty());
  const LintResult crlf = LintList("208 00111100 GNR\r\n305 00011100 BDW\r\n");
  EXPECT_TRUE(crlf.problems.empty());
  EXPECT_EQ(crlf.plainText, "208 00111100 GNR\n305 00011100 BDW\n");
}

std::string ListOfLength(std::size_t length) {
  std::string list;
  for (int id = 100; list.size() + 17 <= length; ++id) {
    if (std::to_string(id).find_first_not_of("23456789") != std::string::npos) continue;
    list += std::to_string(id) + " 00000000 GNR\n";
  }
  list.pop_back();  // the last record's line end goes after the padding
  list.append(length - list.size() - 1, ' ');
  return list + "\n";
}

TEST(ListLint, SizeLimitIsCountedAfterLineEndTranslation) {
  const std::string atLimit = ListOfLength(7671);
  ASSERT_EQ(atLimit.size(), 7671u);
  const LintResult fits = LintList(atLimit);
  EXPECT_TRUE(ProblemsOf(fits, LintRule::kTooLong).empty());
  const RoundTrip trip = ProveRoundTrip(fits);
  EXPECT_TRUE(trip.Ok());
  EXPECT_EQ(trip.cipherText.size(), 10232u);

  const LintResult over = LintList(ListOfLength(7672));
  ASSERT_EQ(ProblemsOf(over, LintRule::kTooLong).size(), 1u);
  EXPECT_FALSE(ProveRoundTrip(over).encrypted);

  // The same list with CR LF line ends is longer on disk but not after translation.
  std::string crlf;
  for (char c : atLimit) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(ProblemsOf(LintList(crlf), LintRule::kTooLong).empty());
}

TEST(ListLint, DuplicatesAndEarlierOccurrencesShadowARecord) {
  const LintResult result = LintList(
      "101 11001110 GNR\n"  // "110" occurs in these flags, at column 5
      "208 00111100 GNR\n"
      "110 00000001 BDW\n"
      "208 00011100 HKM\n");
  // Still an error: lists also reach readers that search the old, unanchored way.
  EXPECT_TRUE(HasProblemAt(result, LintRule::kShadowedId, 3, 1));
  const LintProblem shadow = ProblemsOf(result, LintRule::kShadowedId)[0];
  EXPECT_EQ(shadow.severity, Severity::kError);
  EXPECT_NE(shadow.message.find("line 1 column 5"), std::string::npos) << shadow.message;
  EXPECT_NE(shadow.message.find("flag columns"), std::string::npos) << shadow.message;
  EXPECT_NE(shadow.message.find("readers that search the old, unanchored way"), std::string::npos)
      << shadow.message;
  EXPECT_TRUE(HasProblemAt(result, LintRule::kDuplicateId, 4, 1));
  EXPECT_EQ(ProblemsOf(result, LintRule::kShadowedId).size(), 1u);

  // This library reads 110 from its own line; the second 208 is never the one read.
  const RoundTrip trip = ProveRoundTrip(result);
  ASSERT_EQ(trip.records.size(), 4u);
  EXPECT_TRUE(trip.records[2].ok);
  EXPECT_EQ(trip.records[2].foundLine, 3);
  EXPECT_EQ(trip.records[2].foundColumn, 1);
  EXPECT_FALSE(trip.records[3].ok);
  EXPECT_EQ(trip.records[3].foundLine, 2);
  EXPECT_TRUE(trip.records[0].ok);
}

TEST(ListLint, BytesAfterEndOfTextOrNulAreReported) {
  const LintResult eof =
      LintList(std::string("208 00111100 GNR\n\x1A"
                           "305 00011100 BDW\n"));
  EXPECT_TRUE(HasProblemAt(eof, LintRule::kIgnoredTail, 2, 1));
  EXPECT_EQ(eof.records.size(), 1u);
  const LintResult nul =
      LintList(std::string("208 00111100 GNR\n305 0\0"
                           "0011100 BDW\n",
                           35));
  EXPECT_TRUE(HasProblemAt(nul, LintRule::kIgnoredTail, 2, 6));
  // A final end-of-text byte, as old editors write, drops nothing.
  EXPECT_TRUE(LintList("208 00111100 GNR\n\x1A").problems.empty());
}

TEST(ListLint, EmptyListIsAnError) {
  EXPECT_TRUE(HasProblemAt(LintList(""), LintRule::kEmptyList, 1, 1));
  EXPECT_TRUE(HasProblemAt(LintList("\n\n"), LintRule::kEmptyList, 1, 1));
  EXPECT_FALSE(ProveRoundTrip(LintList("")).encrypted);
}

TEST(ListLint, ArbitraryBytesNeverBreakTheLinter) {
  std::mt19937 random(20261208);
  std::string alphabet = "0123456789 01\n\r\x1AGNRTRVx";
  alphabet += '\0';
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(random() % 80, '\0');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    const LintResult result = LintList(bytes);
    for (const LintProblem& problem : result.problems) {
      EXPECT_GE(problem.line, 1);
      EXPECT_GE(problem.column, 1);
    }
    if (round % 100 == 0) ProveRoundTrip(result);
  }
}

}  // namespace
}  // namespace qvtool
