// Common ground of the stand-in's own tests: fresh books, a shared-memory namespace of this
// program's own, and machines that the tests install.
#pragma once

#include <memory>
#include <string>

#include "machine/machine.h"
#include "tests/support/fresh_books.h"
#include "tests/support/machine_builders.h"
#include "winapi/posix/current_machine.h"

namespace qv::testing {

class StandinTest : public FreshBooksTest {
 public:
  // The file under /dev/shm that backs the named object `name` in the tests' namespace.
  static std::string SharedMemoryPath(const std::string& name);

 protected:
  void SetUp() override;

  static void Use(std::shared_ptr<machine::Machine> simulated) {
    standin::UseMachine(std::move(simulated));
  }
};

}  // namespace qv::testing
