// The stand-in's books, which every fault sweep relies on: calls counted and logged by name
// (whatever buffer holds the name), and faults that fire on the occurrence asked for, counted
// from when they were injected.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/fresh_books.h"
#include "winapi/posix/ledger.h"

namespace qv::standin {
namespace {

using LedgerBooksTest = qv::testing::FreshBooksTest;

TEST_F(LedgerBooksTest, CountsAndLogsCallsByNameNotByAddress) {
  char name[32];
  std::strcpy(name, "LedgerTestAlpha");
  ShouldFail(name);
  std::strcpy(name, "LedgerTestBeta");  // same buffer, another function
  ShouldFail(name);
  ShouldFail("LedgerTestAlpha");
  EXPECT_EQ(CallCount("LedgerTestAlpha"), 2);
  EXPECT_EQ(CallCount("LedgerTestBeta"), 1);
  EXPECT_EQ(CallLog(),
            (std::vector<std::string>{"LedgerTestAlpha", "LedgerTestBeta", "LedgerTestAlpha"}));
  ResetCalls();
  EXPECT_EQ(CallCount("LedgerTestAlpha"), 0);
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(LedgerBooksTest, AFaultFiresOnItsOccurrenceCountedFromWhenItWasInjected) {
  ShouldFail("LedgerTestGamma");
  InjectFault("LedgerTestGamma", 2);
  EXPECT_FALSE(ShouldFail("LedgerTestGamma"));
  EXPECT_TRUE(ShouldFail("LedgerTestGamma"));
  EXPECT_FALSE(ShouldFail("LedgerTestGamma"));
  EXPECT_FALSE(ShouldFail("LedgerTestDelta")) << "only the named function";
  InjectFault("LedgerTestDelta");
  EXPECT_TRUE(ShouldFail("LedgerTestDelta"));
  EXPECT_TRUE(ShouldFail("LedgerTestDelta")) << "occurrence 0 fails every call";
  ClearFaults();
  EXPECT_FALSE(ShouldFail("LedgerTestDelta"));
  EXPECT_EQ(CallCount("LedgerTestDelta"), 4) << "failed calls are counted too";
}

}  // namespace
}  // namespace qv::standin
