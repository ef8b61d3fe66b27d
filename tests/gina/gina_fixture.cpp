#include "tests/gina/gina_fixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "exports/qvsupport.h"
#include "gina/tool_wait.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

namespace qv::test {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '\t')) fields.push_back(field);
  return fields;
}

std::string CopyStub(const std::string& directory) {
  namespace fs = std::filesystem;
  fs::create_directories(directory);
  const std::string target = directory + "/iWrap.exe";
  fs::copy_file(QV_GINA_STUB_TOOL, target, fs::copy_options::overwrite_existing);
  return target;
}

}  // namespace

std::string ToolRun::CommandLine() const {
  std::string line;
  for (const std::string& argument : argv) line += (line.empty() ? "" : " ") + argument;
  return line;
}

void GinaMachineTest::SetUp() {
  current_.Enter();
  setenv("QV_DRIVE_C", driveC_.Path().c_str(), 1);
  setenv("QV_STUB_LOG", scratch_.File("tool.log").c_str(), 1);
  unsetenv("QV_STUB_HANG");
  machine_ = std::make_shared<machine::Machine>();
  machine_->description = "XP-generation test machine";
  machine_->os = machine::OsVersion{5, 1};
  SetText(kSettings, "QVGinaEnabled", "1");
  SetText(kWinlogon, "Shell", "Explorer.exe");
  SetText(kIntelSso, "OrgGinaDLL", "qvgina.dll");
  standin::UseMachine(machine_);
  FreshBooksTest::SetUp();
}

void GinaMachineTest::TearDown() {
  gina::SetToolWaitSecondsForTesting(gina::kToolWaitSeconds);
  unsetenv("QV_DRIVE_C");
  unsetenv("QV_STUB_LOG");
  unsetenv("QV_STUB_HANG");
  FreshBooksTest::TearDown();
}

void GinaMachineTest::SetText(const std::string& key, const std::string& name,
                              const std::string& text) {
  SetBytes(key, name, 1, text + std::string(1, '\0'));
}

void GinaMachineTest::SetBytes(const std::string& key, const std::string& name, std::uint32_t type,
                               const std::string& bytes) {
  machine_->registry[key][name] = machine::RegistryValue{type, {bytes.begin(), bytes.end()}};
}

void GinaMachineTest::RemoveKey(const std::string& key) {
  machine_->registry.erase(key);
}

std::optional<std::vector<std::uint8_t>> GinaMachineTest::Bytes(const std::string& key,
                                                                const std::string& name) const {
  auto found = machine_->registry.find(key);
  if (found == machine_->registry.end()) return std::nullopt;
  auto value = found->second.find(name);
  if (value == found->second.end()) return std::nullopt;
  return value->second.data;
}

std::optional<std::string> GinaMachineTest::Text(const std::string& key,
                                                 const std::string& name) const {
  auto bytes = Bytes(key, name);
  if (!bytes) return std::nullopt;
  std::string text(bytes->begin(), bytes->end());
  return text.substr(0, text.find('\0'));
}

bool GinaMachineTest::HasKey(const std::string& key) const {
  return machine_->registry.count(key) != 0;
}

void GinaMachineTest::ExpectRememberedModulesReset() const {
  EXPECT_EQ(Text(kSettings, "OrginalGINA"), "msgina.dll");
  EXPECT_EQ(Text(kSettings, "PrevGINA"), "msgina.dll");
  EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "0");
}

std::string GinaMachineTest::InstallToolInCurrentDirectory() {
  return CopyStub(current_.Path());
}

std::string GinaMachineTest::InstallToolAtFullPath() {
  return CopyStub(driveC_.Path() + "/" + kToolHome);
}

std::vector<ToolRun> GinaMachineTest::ToolRuns() const {
  std::vector<ToolRun> runs;
  std::ifstream log(scratch_.File("tool.log"));
  std::string line;
  while (std::getline(log, line)) {
    std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < 3) continue;
    ToolRun run;
    run.program = fields[0];
    run.pid = std::stoi(fields[1]);
    run.argv.assign(fields.begin() + 3, fields.end());
    runs.push_back(run);
  }
  return runs;
}

std::string GinaMachineTest::Uninstall() {
  ::testing::internal::CaptureStdout();
  const int result = UninstallQVGina(7);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(standin::OutstandingReport(), "");
  return printed;
}

}  // namespace qv::test
