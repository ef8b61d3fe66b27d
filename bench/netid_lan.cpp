// The three adapter exports on stand-in machines of 10 to 1000 devices where no listed adapter
// is present: the worst case, every table row tried against every device. The fitted growth is
// printed as BigO. BM_BareEnumeration is the reference: one enumeration of the PCI devices
// with nothing matched, the platform work an adapter export cannot avoid.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "exports/qvsupport.h"
#include "machine/machine.h"
#include "winapi/posix/current_machine.h"
#include "winapi/win32.h"

namespace {

std::shared_ptr<qv::machine::Machine> MachineWithDevices(int count) {
  auto machine = std::make_shared<qv::machine::Machine>();
  machine->description = "benchmark: PCI and USB devices, no listed adapter";
  auto& pci = machine->devices["PCI"];
  auto& usb = machine->devices["USB"];
  for (int i = 0; i < count; ++i) {
    char id[96];
    std::snprintf(id, sizeof id, "PCI\\VEN_1AF4&DEV_%04X&SUBSYS_%04X1AF4&REV_01\\3&2411E6FE&0&%02X",
                  0x1000 + i, 0x1100 + i, i & 0xFF);
    pci.emplace_back(id);
    std::snprintf(id, sizeof id, "USB\\VID_1AF4&PID_%04X&MI_00\\6&12AB34CD&0&%04X", 0x2000 + i, i);
    usb.emplace_back(id);
  }
  return machine;
}

template <int (*Export)()>
void BM_AdapterExport(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  qv::standin::UseMachine(MachineWithDevices(devices));
  for (auto _ : state)
    if (Export() != -1) state.SkipWithError("a listed adapter was found");
  state.SetComplexityN(devices);
  qv::standin::ForgetMachine();
}

#define QV_ADAPTER_BENCHMARK(name, fn)     \
  BENCHMARK_TEMPLATE(BM_AdapterExport, fn) \
      ->Name(name)                         \
      ->Arg(10)                            \
      ->Arg(100)                           \
      ->Arg(300)                           \
      ->Arg(1000)                          \
      ->Complexity(benchmark::oN)          \
      ->Unit(benchmark::kMicrosecond)

QV_ADAPTER_BENCHMARK("GetLANManufacturerID", GetLANManufacturerID);
QV_ADAPTER_BENCHMARK("GetWLANManufacturerID", GetWLANManufacturerID);
QV_ADAPTER_BENCHMARK("GetWWANManufacturerID", GetWWANManufacturerID);

void BM_BareEnumeration(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  qv::standin::UseMachine(MachineWithDevices(devices));
  for (auto _ : state) {
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA record{};
    record.cbSize = sizeof record;
    char id[260];
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &record); ++i)
      SetupDiGetDeviceInstanceIdA(set, &record, id, sizeof id, nullptr);
    SetupDiDestroyDeviceInfoList(set);
  }
  state.SetComplexityN(devices);
  qv::standin::ForgetMachine();
}
BENCHMARK(BM_BareEnumeration)
    ->Arg(10)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
