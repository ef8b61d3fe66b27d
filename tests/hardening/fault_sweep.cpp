#include "tests/hardening/fault_sweep.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "winapi/posix/ledger.h"

namespace qv::hardening {
namespace {

using CallSite = std::pair<std::string, int>;  // name, 1-based occurrence (0: every call)
using Books = std::map<standin::Resource, int>;

// A release call that fails keeps its resource, on Windows as in the stand-in: the caller has
// no second way to give it back. These are the kinds each release call may then leave behind.
const std::map<std::string, std::set<standin::Resource>>& KeptWhenReleaseFails() {
  using R = standin::Resource;
  static const std::map<std::string, std::set<R>> kept = {
      {"CloseHandle", {R::Process, R::Thread, R::Mapping, R::Mutex}},
      {"CoUninitialize", {R::ComApartment}},
      {"CryptDestroyHash", {R::CryptHash}},
      {"CryptDestroyKey", {R::CryptKey}},
      {"CryptReleaseContext", {R::CryptProvider}},
      {"DeleteCriticalSection", {R::CriticalSection}},
      {"HeapFree", {R::HeapBlock}},
      {"RegCloseKey", {R::RegistryKey}},
      {"SafeArrayDestroy", {R::SafeArray, R::Bstr}},
      // An array whose lock is not taken back cannot be destroyed (DISP_E_ARRAYISLOCKED).
      {"SafeArrayUnaccessData", {R::SafeArray}},
      {"SetupDiDestroyDeviceInfoList", {R::DeviceSet}},
      {"SysFreeString", {R::Bstr}},
      {"UnmapViewOfFile", {R::View}},
      {"VariantClear", {R::Bstr, R::SafeArray, R::ComObject}},
      {"IGlobalInterfaceTable::RevokeInterfaceFromGlobal", {R::ComObject}},
  };
  return kept;
}

// What the run added to the books, kind by kind ("Bstr+1 DeviceSet-2"); empty when nothing.
std::string Difference(const Books& before, const Books& after, const std::string& failedCall) {
  std::set<standin::Resource> excused;
  const auto& kept = KeptWhenReleaseFails();
  if (auto found = kept.find(failedCall); found != kept.end()) excused = found->second;
  std::set<standin::Resource> kinds;
  for (const auto& entry : before) kinds.insert(entry.first);
  for (const auto& entry : after) kinds.insert(entry.first);
  std::string report;
  for (standin::Resource kind : kinds) {
    const auto count = [kind](const Books& books) {
      auto found = books.find(kind);
      return found == books.end() ? 0 : found->second;
    };
    const int delta = count(after) - count(before);
    if (delta == 0 || (delta > 0 && excused.count(kind) != 0)) continue;
    report += (report.empty() ? "" : " ") + std::string(standin::ResourceName(kind)) +
              (delta > 0 ? "+" : "") + std::to_string(delta);
  }
  return report;
}

std::vector<CallSite> NumberCalls(const std::vector<std::string>& log) {
  std::map<std::string, int> seen;
  std::vector<CallSite> sites;
  for (const std::string& call : log) sites.emplace_back(call, ++seen[call]);
  return sites;
}

std::string Describe(const CallSite& site) {
  return site.first + (site.second == 0 ? " (every call)" : " #" + std::to_string(site.second));
}

std::vector<std::string> CleanRun(const SweepCase& sweep) {
  standin::ClearFaults();
  sweep.prepare();
  const Books before = standin::OutstandingSnapshot();
  standin::ClearFaults();
  standin::ResetCalls();
  const int result = sweep.call();
  std::vector<std::string> log = standin::CallLog();
  EXPECT_TRUE(sweep.documented(result)) << sweep.exportName << " clean run returned " << result;
  if (sweep.verify) sweep.verify(result, "none");
  if (sweep.releaseKept) sweep.releaseKept();
  EXPECT_EQ(Difference(before, standin::OutstandingSnapshot(), ""), "")
      << sweep.exportName << " clean run left resources held";
  return log;
}

void FaultedRun(const SweepCase& sweep, const CallSite& site) {
  const std::string fault = Describe(site);
  SCOPED_TRACE(sweep.exportName + " with " + fault + " failing");
  standin::ClearFaults();
  sweep.prepare();
  const Books before = standin::OutstandingSnapshot();
  standin::ClearFaults();
  standin::ResetCalls();
  standin::InjectFault(site.first, site.second);
  const int result = sweep.call();
  standin::ClearFaults();
  EXPECT_TRUE(sweep.documented(result)) << "result " << result;
  if (sweep.verify) sweep.verify(result, fault);
  if (sweep.releaseKept) sweep.releaseKept();
  EXPECT_EQ(Difference(before, standin::OutstandingSnapshot(), site.first), "")
      << "resources held after the call";
}

}  // namespace

SweepOutcome RunFaultSweep(const SweepCase& sweep) {
  const std::vector<CallSite> sites = NumberCalls(CleanRun(sweep));
  std::set<std::string> names;
  for (const CallSite& site : sites) {
    names.insert(site.first);
    FaultedRun(sweep, site);
    if (::testing::Test::HasFatalFailure()) break;
  }
  for (const std::string& name : names) FaultedRun(sweep, {name, 0});

  SweepOutcome outcome{static_cast<int>(sites.size()), static_cast<int>(names.size())};
  std::cout << "[ sweep    ] " << sweep.exportName << ": " << outcome.callSites << " call sites, "
            << outcome.callNames << " functions\n";
  return outcome;
}

void RecordCoverage(const std::string& exportName, const SweepOutcome& outcome) {
  ::testing::Test::RecordProperty(exportName + "_call_sites", outcome.callSites);
  std::ofstream report(std::string(QV_BINARY_DIR) + "/hardening-sweep-" + exportName + ".txt");
  report << exportName << ' ' << outcome.callSites << ' ' << outcome.callNames << '\n';
}

}  // namespace qv::hardening
