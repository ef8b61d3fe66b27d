// QvUninstallGina: the logon-chain repair runs where the chain exists, the log says what was
// done, and the action never fails the uninstall.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "custom_actions/custom_actions.h"
#include "machine/machine.h"
#include "tests/custom_actions/recording_session.h"
#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

namespace qv::custom_actions::testing {
namespace {

constexpr char kSettings[] = "SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData";
constexpr char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

class UninstallGinaAction : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override {
    dir_.Enter();
    machine_ = std::make_shared<machine::Machine>();
    SetText(kSettings, "QVGinaEnabled", "1");
    SetText(kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
    SetText(kWinlogon, "GinaDLL", "qvgina.dll");
    standin::UseMachine(machine_);
    FreshBooksTest::SetUp();
  }

  void SetText(const std::string& key, const std::string& name, const std::string& text) {
    const std::string bytes = text + std::string(1, '\0');
    machine_->registry[key][name] = machine::RegistryValue{1, {bytes.begin(), bytes.end()}};
  }
  std::string Text(const std::string& key, const std::string& name) const {
    const auto& data = machine_->registry.at(key).at(name).data;
    return std::string(data.begin(), data.end()).c_str();
  }

  qv::test::TempDirectory dir_;
  std::shared_ptr<machine::Machine> machine_;
  RecordingSession session_;
};

TEST_F(UninstallGinaAction, RepairsTheChainOfAnXpGenerationSystem) {
  machine_->os = machine::OsVersion{5, 1};
  EXPECT_EQ(UninstallGina(session_), ActionResult::kSucceeded);
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "C:\\Tools\\other.dll");
  EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "0");
  ASSERT_EQ(session_.log.size(), 1u);
  EXPECT_NE(session_.log[0].find("the logon-chain repair ran"), std::string::npos);
  EXPECT_TRUE(session_.properties.empty());
}

TEST_F(UninstallGinaAction, LaterSystemsAreLeftAsTheyAre) {
  machine_->os = machine::OsVersion{10, 0};
  EXPECT_EQ(UninstallGina(session_), ActionResult::kSucceeded);
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "qvgina.dll");
  EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "1");
  ASSERT_EQ(session_.log.size(), 1u);
  EXPECT_NE(session_.log[0].find("no logon-module chain; nothing changed"), std::string::npos);
}

TEST_F(UninstallGinaAction, ARegistryThatRefusesEveryWriteStillSucceeds) {
  machine_->os = machine::OsVersion{5, 1};
  standin::InjectFault("RegSetValueExA");
  EXPECT_EQ(UninstallGina(session_), ActionResult::kSucceeded);
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "qvgina.dll");
  EXPECT_EQ(session_.log.size(), 1u);
}

}  // namespace
}  // namespace qv::custom_actions::testing
