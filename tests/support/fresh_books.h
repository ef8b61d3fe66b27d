// Base of every fixture whose tests run over the stand-in. Each test starts from fresh books: no
// injected faults, empty call logs (calls, BIOS requests, security calls, WMI enumerations,
// device walks, process starts, registry opens) and process security not yet set. When it ends,
// the faults are cleared, whatever the stand-in handed out must have come back, and no machine
// stays installed.
#pragma once

#include <gtest/gtest.h>

#include <map>

#include "winapi/posix/ledger.h"

namespace qv::testing {

class FreshBooksTest : public ::testing::Test {
 protected:
  // What the stand-in may hold when a test begins.
  enum class Start {
    NothingHeld,  // anything held fails the test before it runs
    AsFound,      // what is held is the test's starting point (see AcceptHeldResources)
  };

  explicit FreshBooksTest(Start start = Start::NothingHeld) : start_(start) {}

  void SetUp() override;
  void TearDown() override;

  // Accepts what the stand-in holds now as the test's starting point: after a fault sweep, the
  // resources whose release calls were made to fail stay on the books for good.
  void AcceptHeldResources();

 private:
  Start start_;
  std::map<standin::Resource, int> held_;
};

}  // namespace qv::testing
