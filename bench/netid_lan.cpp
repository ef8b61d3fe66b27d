// GetLANManufacturerID on a machine with 300 PCI devices and no listed adapter: the worst case,
// 52 complete walks of the device set, each fetching and upper-casing every instance ID.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "exports/qvsupport.h"
#include "machine/machine.h"

namespace {

std::shared_ptr<qv::machine::Machine> MachineWithPciDevices(int count) {
  auto machine = std::make_shared<qv::machine::Machine>();
  machine->description = "benchmark: PCI devices, no listed adapter";
  auto& ids = machine->devices["PCI"];
  for (int i = 0; i < count; ++i) {
    char id[96];
    std::snprintf(id, sizeof id, "PCI\\VEN_1AF4&DEV_%04X&SUBSYS_%04X1AF4&REV_01\\3&2411E6FE&0&%02X",
                  0x1000 + i, 0x1100 + i, i & 0xFF);
    ids.emplace_back(id);
  }
  return machine;
}

void BM_LanManufacturerNoListedAdapter(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  qv::machine::Use(MachineWithPciDevices(devices));
  for (auto _ : state) benchmark::DoNotOptimize(GetLANManufacturerID());
  state.SetItemsProcessed(state.iterations() * 52 * devices);  // instance IDs examined
  qv::machine::Reset();
}
BENCHMARK(BM_LanManufacturerNoListedAdapter)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace
