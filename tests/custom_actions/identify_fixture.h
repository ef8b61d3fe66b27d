// Ground for the QvIdentify tests: a simulated machine of the maker with a chosen system ID and
// network adapters, a list file in a temporary current directory, fresh stand-in books, and a
// recording installer session.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "machine/machine.h"
#include "tests/custom_actions/recording_session.h"
#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"

namespace qv::custom_actions::testing {

class IdentifyTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A maker's machine with a BIOS, the given system ID and no network adapters yet.
  void UseVexaMachine(std::uint16_t systemId);
  void UseOtherMakerMachine();
  void AddLANAdapter(int row);   // PCI device of that row of the LAN table
  void AddWLANAdapter(int row);  // PCI device of that row of the WLAN table
  void AddWWANModem(int row);    // USB device of that row of the WWAN table

  // Encrypts `plainList` into "vexasysids.enc" of the current directory, with the library's
  // own writer, and renames it to `name`.
  void WriteList(const std::string& plainList, const std::string& name = "vexasysids.enc");
  std::string ListPath(const std::string& name) const { return dir_.File(name); }

  std::shared_ptr<machine::Machine> machine_;
  qv::test::TempDirectory dir_;
  RecordingSession session_;
};

// One list record: "<id> <flags> <line>\n".
std::string Record(int systemId, const std::string& flags, const std::string& line);

// The flag columns that set only mask bit `bit`: the first six carry bits 5 to 0, the last
// two bits 6 and 7.
std::string FlagsOfBit(int bit);

}  // namespace qv::custom_actions::testing
