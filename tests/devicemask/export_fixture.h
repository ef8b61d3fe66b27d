// Common ground of the export tests: a clean stand-in with a private shared-memory namespace,
// a temporary current directory for list files, simulated machines of a given system ID, and
// after each test proof that nothing but nothing is still held.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"

namespace qv::testing {

class DeviceMaskExportTest : public FreshBooksTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A maker's machine with the given system ID and first feature word. With a BIOS the
  // platform object gets a hardware configuration; without one it has none.
  static void UseVexaMachine(std::uint16_t systemId, std::uint32_t featureWord = 0,
                             bool withBios = true);
  static void UseOtherMakerMachine();

  // Writes the encrypted form of `plainList` into the current (temporary) directory.
  void WriteList(const std::string& plainList, const std::string& name = "vexasysids.enc");
  std::string ListPath(const std::string& name = "vexasysids.enc") const;

  // Platform objects built since the test began (each one initialises COM once).
  static int Constructions();

  test::TempDirectory dir_;
};

}  // namespace qv::testing
