// Fixture for the adapter tests: a simulated machine with no devices, fresh stand-in books,
// and a check after every test that nothing the stand-in handed out is still held.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "tests/support/fresh_books.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/setupapi.h"

namespace qv::netid::testing {

class AdapterTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override {
    machine_ = std::make_shared<machine::Machine>();
    machine_->description = "netid test machine";
    standin::UseMachine(machine_);
    FreshBooksTest::SetUp();
  }

  void AddPci(const std::string& instanceId) { machine_->devices["PCI"].push_back(instanceId); }
  void AddUsb(const std::string& instanceId) { machine_->devices["USB"].push_back(instanceId); }

  std::shared_ptr<machine::Machine> machine_;
};

// Instance IDs in the form Windows gives them, around a table row.
inline std::string PciId(const std::string& row, const std::string& suffix = "3&11583659&0&C8") {
  return "PCI\\" + row + "&REV_02\\" + suffix;
}
inline std::string UsbId(const std::string& row, const std::string& suffix = "5&2D8F3A2B&0&3") {
  return "USB\\" + row + "\\" + suffix;
}

}  // namespace qv::netid::testing
