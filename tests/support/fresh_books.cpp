#include "tests/support/fresh_books.h"

#include <string>

#include "machine/machine.h"
#include "winapi/posix/com_control.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/process_log.h"
#include "winapi/posix/registry_log.h"
#include "winapi/posix/setupapi.h"
#include "winapi/posix/wbem_control.h"

namespace qv::testing {
namespace {

// The books in the form of standin::OutstandingReport(), e.g. "DeviceSet=1 Bstr=2".
std::string Report(const std::map<standin::Resource, int>& held) {
  std::string report;
  for (const auto& [kind, count] : held)
    report += (report.empty() ? "" : " ") + std::string(standin::ResourceName(kind)) + "=" +
              std::to_string(count);
  return report;
}

}  // namespace

void FreshBooksTest::SetUp() {
  standin::ClearFaults();
  standin::ResetCalls();
  standin::ResetBiosRequests();
  standin::ResetSecurityCalls();
  standin::ResetEnumerationCalls();
  standin::ResetDeviceWalks();
  standin::ClearProcessStarts();
  standin::ClearRegistryOpens();
  standin::ResetProcessSecurity();
  if (start_ == Start::AsFound)
    AcceptHeldResources();
  else
    ASSERT_EQ(standin::OutstandingReport(), "") << "held before the test began";
}

void FreshBooksTest::AcceptHeldResources() {
  held_ = standin::OutstandingSnapshot();
}

void FreshBooksTest::TearDown() {
  standin::ClearFaults();
  EXPECT_EQ(Report(standin::OutstandingSnapshot()), Report(held_));
  standin::ForgetMachine();
}

}  // namespace qv::testing
