// Common ground of the platform tests: a clean stand-in (no faults, empty call and argument
// logs, process security not yet set, a private shared-memory namespace) and, after each test,
// proof that nothing the test made is still held.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "machine/machine.h"
#include "platform/acpi_wmi.h"
#include "tests/support/fresh_books.h"
#include "tests/support/machine_builders.h"
#include "winapi/posix/current_machine.h"

namespace qv::testing {

class PlatformTest : public FreshBooksTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Use(std::shared_ptr<machine::Machine> simulated) {
    standin::UseMachine(std::move(simulated));
  }

  // Calls the BIOS saw of the given class and selector since the test began.
  static int BiosCallsOf(std::uint16_t functionClass, std::uint16_t selector);
  static int BiosCallCount();
};

// The standard BIOS of these tests: every probe row present, a two-entry table, tokens read
// through class 0.
BiosBuilder FullBios();

// Platform B with a dock, tokens 0x01FB (inactive) and 0x01FA (active), and a BIOS that
// answers every stage of the record's fill.
std::shared_ptr<machine::Machine> EveryStageMachine();

}  // namespace qv::testing
