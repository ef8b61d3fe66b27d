// CHwConfig: the hardware-configuration record of this platform. It opens the named record
// "HWCONFIG_SHARED_MEM_OBJ" or creates it; the creating process fills it from BIOS calls and
// SMBIOS facts, and every process keeps a private snapshot. The mapping stays open for the
// object's lifetime so that the record lives on for the product's other processes. Opening,
// filling and copying happen under the record's fill lock (record_fill_lock.h).
#pragma once

#include "platform/hw_config_data.h"
#include "win/scoped_handle.h"
#include "win/scoped_mapped_view.h"
#include "winapi/win32.h"

namespace qv::platform {

class CAcpiWmi;

class CHwConfig {
 public:
  explicit CHwConfig(CAcpiWmi* owner);
  CHwConfig(const CHwConfig&) = delete;
  CHwConfig& operator=(const CHwConfig&) = delete;
  ~CHwConfig() = default;  // the view is unmapped, then the mapping closed

  const HwConfigData& Snapshot() const { return snapshot_; }

  // Whether this object created the record (and so made the BIOS calls).
  bool CreatedRecord() const { return created_; }

 private:
  DWORD OpenSharedMemory();
  void Fill(HwConfigData& record);
  void RunCapabilityProbe(HwConfigData& record);
  void ReadClass17Flags(HwConfigData& record);
  void ReadEntryTable(HwConfigData& record);
  void ApplySmbiosFacts(HwConfigData& record);
  void ApplyPlatformAdjustments(HwConfigData& record);
  void AdjustPlatformB(HwConfigData& record);
  void TakeSnapshot(const HwConfigData& record);

  win::ScopedHandle mapping_;
  win::ScopedMappedView view_;
  CAcpiWmi* owner_;
  HwConfigData snapshot_;
  bool created_ = false;
};

}  // namespace qv::platform
