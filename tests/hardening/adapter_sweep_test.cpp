// The fault sweep over the three adapter exports. Each export reads each enumerator's devices
// once per call, so every SetupAPI and heap call of that one pass fails in turn: on a machine
// where nothing is listed (the pass runs to its end) and on one where a listed adapter sits
// behind unlisted devices. Every device set and heap block must still be given back, and a
// fault may hide a listed adapter (-1) but never name one that is not present.
#include "exports/qvsupport.h"
#include "tests/hardening/fault_sweep.h"
#include "tests/hardening/hardening_fixture.h"
#include "winapi/posix/current_machine.h"

namespace qv::hardening {
namespace {

using AdapterSweepTest = HardeningTest;

// Unlisted devices first, then an Intel wired adapter (LAN row 46), a listed Broadcom wireless
// adapter and a composite modem of the fourth WWAN row.
std::shared_ptr<machine::Machine> ListedAdaptersMachine() {
  auto simulated = UnlistedAdaptersMachine();
  simulated->description = "listed adapters behind unlisted ones";
  simulated->devices["PCI"].push_back("PCI\\VEN_8086&DEV_10BE&SUBSYS_6B311F7A&REV_02\\3&2&0&C8");
  simulated->devices["PCI"].push_back("PCI\\VEN_14E4&DEV_4328&SUBSYS_7C061F7A&REV_01\\4&2&0&E0");
  simulated->devices["USB"].push_back("USB\\VID_2E9C&PID_4B20&MI_01\\6&12AB34CD&0&0001");
  return simulated;
}

SweepOutcome SweepAdapterExport(const std::string& exportName, int (*call)(),
                                std::shared_ptr<machine::Machine> (*machine)(),
                                std::function<bool(int)> documented) {
  SweepCase sweep;
  sweep.exportName = exportName;
  sweep.prepare = [machine] { standin::UseMachine(machine()); };
  sweep.call = call;
  sweep.documented = std::move(documented);
  const SweepOutcome outcome = RunFaultSweep(sweep);
  EXPECT_GT(outcome.callSites, 0);
  return outcome;
}

const auto kMinusOne = [](int result) { return result == -1; };

// No fault can make an adapter appear that is not present: on this machine every answer is -1.
TEST_F(AdapterSweepTest, EveryAdapterExportAnswersAnyFaultWithNotIdentified) {
  standin::UseMachine(UnlistedAdaptersMachine());
  EXPECT_EQ(GetLANManufacturerID(), -1);
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(GetWWANManufacturerID(), -1);

  RecordCoverage("GetLANManufacturerID",
                 SweepAdapterExport("GetLANManufacturerID", &GetLANManufacturerID,
                                    &UnlistedAdaptersMachine, kMinusOne));
  RecordCoverage("GetWLANManufacturerID",
                 SweepAdapterExport("GetWLANManufacturerID", &GetWLANManufacturerID,
                                    &UnlistedAdaptersMachine, kMinusOne));
  RecordCoverage("GetWWANManufacturerID",
                 SweepAdapterExport("GetWWANManufacturerID", &GetWWANManufacturerID,
                                    &UnlistedAdaptersMachine, kMinusOne));
  AcceptHeldResources();
}

TEST_F(AdapterSweepTest, AFaultHidesAListedAdapterButNeverNamesAnother) {
  standin::UseMachine(ListedAdaptersMachine());
  EXPECT_EQ(GetLANManufacturerID(), 1);
  EXPECT_EQ(GetWLANManufacturerID(), 0);
  EXPECT_EQ(GetWWANManufacturerID(), 1);
  const auto oneOrMinusOne = [](int result) { return result == 1 || result == -1; };

  SweepAdapterExport("GetLANManufacturerID", &GetLANManufacturerID, &ListedAdaptersMachine,
                     oneOrMinusOne);
  SweepAdapterExport("GetWLANManufacturerID", &GetWLANManufacturerID, &ListedAdaptersMachine,
                     [](int result) { return result == 0 || result == -1; });
  SweepAdapterExport("GetWWANManufacturerID", &GetWWANManufacturerID, &ListedAdaptersMachine,
                     oneOrMinusOne);
  AcceptHeldResources();
}

}  // namespace
}  // namespace qv::hardening
