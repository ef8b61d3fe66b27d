// A simulated XP-generation machine for the logon-chain tests: a registry in code, a current
// directory and a drive C of their own, and the stub tool that plays Intel's iWrap.exe.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"

namespace qv::test {

inline constexpr char kSettings[] = "SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData";
inline constexpr char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr char kIntelSso[] = "SOFTWARE\\Intel\\Wireless\\cswSSO";
inline constexpr char kToolHome[] = "Program Files/Intel/WiFi/bin";

// One run of the stub tool, as it recorded itself.
struct ToolRun {
  std::string program;  // host path of the copy that ran
  int pid = 0;
  std::vector<std::string> argv;
  std::string CommandLine() const;  // argv joined by single spaces
};

class GinaMachineTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  machine::Machine& Machine() { return *machine_; }
  void SetText(const std::string& key, const std::string& name, const std::string& text);
  void SetBytes(const std::string& key, const std::string& name, std::uint32_t type,
                const std::string& bytes);
  void RemoveKey(const std::string& key);
  // The value's text up to its first NUL; nullopt when the key or value is missing.
  std::optional<std::string> Text(const std::string& key, const std::string& name) const;
  std::optional<std::vector<std::uint8_t>> Bytes(const std::string& key,
                                                 const std::string& name) const;
  bool HasKey(const std::string& key) const;
  // "OrginalGINA" and "PrevGINA" name the standard module and the product's module is off.
  void ExpectRememberedModulesReset() const;

  // Copies the stub tool to <current directory>/iWrap.exe or to C:\Program Files\...\iWrap.exe.
  std::string InstallToolInCurrentDirectory();
  std::string InstallToolAtFullPath();
  std::vector<ToolRun> ToolRuns() const;
  std::string DriveC() const { return driveC_.Path(); }
  std::string CurrentDirectory() const { return current_.Path(); }

  // Calls the export, checks its result and that nothing is left open; returns what it printed.
  std::string Uninstall();

 private:
  TempDirectory current_;
  TempDirectory driveC_;
  TempDirectory scratch_;
  std::shared_ptr<machine::Machine> machine_;
};

}  // namespace qv::test
