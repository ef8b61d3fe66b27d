// Common ground of the hardening tests: a private current directory and shared-memory
// namespace, clean stand-in books, and machines that take each export down its whole road.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "machine/machine.h"
#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"

namespace qv::hardening {

// Platform D: its mask bit 3 comes from the hardware configuration, so GetDeviceMask reads
// everything the platform object holds.
inline constexpr std::uint16_t kFullRoadSystemId = 0x0215;
inline constexpr char kPassPhrase[] = "MARBLEOTTERKITE";

// A maker's machine whose platform object does all its work: WMI with two raw tables,
// wanted BIOS tokens, a BIOS answering every probe and token read, and mains power.
std::shared_ptr<machine::Machine> FullPlatformMachine(std::uint16_t systemId = kFullRoadSystemId);

// A machine whose PCI and USB devices match no adapter table row, so every walk runs to the
// end; the instance IDs grow in length so that fetch buffers must grow too.
std::shared_ptr<machine::Machine> UnlistedAdaptersMachine();

// A system-ID list with the full-road platform's record (Torvane line) among others.
std::string PlainListText();
// Its Base64 cipher text under the pass phrase.
std::string EncryptedListText(const std::string& plain);
// The plain text of Base64 cipher text, or "<not decrypted>".
std::string DecryptedText(const std::string& cipher);

// Gives the next platform object a shared-memory namespace of its own, so it creates and fills
// the hardware-configuration record afresh even when an earlier run kept one open.
void FreshSharedMemoryNamespace();

// Its tests start from what the stand-in holds (see AcceptHeldResources): a sweep that makes
// release calls fail leaves those resources on the books for good.
class HardeningTest : public qv::testing::FreshBooksTest {
 protected:
  HardeningTest() : FreshBooksTest(Start::AsFound) {}
  void SetUp() override;
  void TearDown() override;

  test::TempDirectory dir_;
};

}  // namespace qv::hardening
