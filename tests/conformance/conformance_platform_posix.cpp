#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "machine/machine.h"
#include "tests/conformance/conformance_platform.h"
#include "winapi/posix/ledger.h"

namespace qv::conformance {

namespace {

// Windows cannot show it, the stand-in can: after the tests, every handle, key, BSTR and COM
// object they acquired has been released again.
class NothingOutstanding : public ::testing::Environment {
 public:
  void TearDown() override { EXPECT_EQ(standin::OutstandingReport(), ""); }
};

[[maybe_unused]] const ::testing::Environment* const kNothingOutstanding =
    ::testing::AddGlobalTestEnvironment(new NothingOutstanding);

}  // namespace

ScopedRegistryKey::ScopedRegistryKey(const std::string& path,
                                     const std::map<std::string, std::string>& values)
    : path_(path) {
  machine::RegistryKey& key = machine::Current().registry[path];
  for (const auto& [name, text] : values) {
    machine::RegistryValue value;
    value.type = 1;  // REG_SZ, with its terminator
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    key[name] = value;
  }
  ok_ = true;
}

ScopedRegistryKey::~ScopedRegistryKey() {
  machine::Current().registry.erase(path_);
}

ChildProgram QuickChild() {
  return {"/bin/sh", "sh -c \"exit 0\""};
}

ChildProgram SlowChild() {
  return {"/bin/sleep", "sleep 2"};
}

std::string ProgramOnSearchPathOnly() {
  return "sh";
}

bool RunningUnderWine() {
  return false;
}

void RunOnAnotherThread(const std::function<void()>& work) {
  std::thread(work).join();
}

std::string UniqueObjectName(const std::string& stem) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(stamp);
}

}  // namespace qv::conformance
