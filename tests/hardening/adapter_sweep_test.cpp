// The fault sweep over the three adapter exports on a machine where every walk runs to its
// end: each SetupAPI and heap call fails in turn, and every device set and heap block is
// still given back.
#include "exports/qvsupport.h"
#include "tests/hardening/fault_sweep.h"
#include "tests/hardening/hardening_fixture.h"

namespace qv::hardening {
namespace {

using AdapterSweepTest = HardeningTest;

void SweepAdapterExport(const std::string& exportName, int (*call)(),
                        std::function<bool(int)> documented) {
  SweepCase sweep;
  sweep.exportName = exportName;
  sweep.prepare = [] { machine::Use(UnlistedAdaptersMachine()); };
  sweep.call = call;
  sweep.documented = std::move(documented);
  const SweepOutcome outcome = RunFaultSweep(sweep);
  EXPECT_GT(outcome.callSites, 0);
  RecordCoverage(exportName, outcome);
}

TEST_F(AdapterSweepTest, EveryAdapterExportAnswersAnyFaultWithADocumentedCode) {
  machine::Use(UnlistedAdaptersMachine());
  EXPECT_EQ(GetLANManufacturerID(), -1);
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(GetWWANManufacturerID(), -1);

  const auto zeroOneOrMinusOne = [](int result) { return result >= -1 && result <= 1; };
  SweepAdapterExport("GetLANManufacturerID", &GetLANManufacturerID, zeroOneOrMinusOne);
  SweepAdapterExport("GetWLANManufacturerID", &GetWLANManufacturerID,
                     [](int result) { return result == 0 || result == -1; });
  SweepAdapterExport("GetWWANManufacturerID", &GetWWANManufacturerID, zeroOneOrMinusOne);
  AcceptHeldResources();
}

}  // namespace
}  // namespace qv::hardening
