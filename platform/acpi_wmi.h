// CAcpiWmi: the platform object. Its constructor does all platform identification at once:
// COM for the calling thread, the WMI connection to root\wmi, the raw SMBIOS tables (parsed by
// the CSMBIOSParser base into the system ID), the set-up for BIOS calls over the ACPI-WMI
// mapper and, last, the hardware-configuration record. Afterwards the object is only read.
//
// The constructor never fails as a whole: a failed step leaves the later steps' fields empty.
// Only memory exhaustion escapes it (std::bad_alloc, or win::ComError(E_OUTOFMEMORY) for a
// BSTR), after everything already acquired has been released.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/bios_call_buffer.h"
#include "platform/com_initialization.h"
#include "platform/global_interface_table.h"
#include "platform/smbios_parser.h"
#include "win/critical_section.h"
#include "win/scoped_bstr.h"
#include "win/scoped_com_ptr.h"
#include "winapi/win32.h"

namespace qv::platform {

class CHwConfig;

class CAcpiWmi : public CSMBIOSParser {
 public:
  CAcpiWmi();
  CAcpiWmi(const CAcpiWmi&) = delete;
  CAcpiWmi& operator=(const CAcpiWmi&) = delete;
  virtual ~CAcpiWmi();

  // The hardware-configuration record, or nullptr when the BIOS steps did not succeed.
  const CHwConfig* HwConfig() const;

  // Sends one block to the BIOS and copies the response back over it. Returns 1 when a
  // response was copied; callers judge the outcome by the block's status, which stays -3
  // when nothing reached the BIOS. Serialised: one call at a time, reentrant on a thread.
  int CallBiosFunction(BiosCallBuffer& block);

  // The first entry of the token list with this ID, or nullptr.
  const SmbiosToken* FindToken(std::uint16_t id) const;

  // 1 when the BIOS reports that the token holds its active value, otherwise 0.
  int IsTokenActive(std::uint16_t id);

  // What construction found, for diagnostics and tests.
  HRESULT ComInitResult() const { return com_.Result(); }
  bool OwesCoUninitialize() const { return com_.OwesUninitialize(); }
  bool Connected() const { return static_cast<bool>(services_); }
  std::int32_t TransferSize() const { return transferSize_; }

 private:
  int Connect();
  int ReadSmbiosTables();
  int ParseRawTable(IWbemClassObject* table);
  int ReadQueryData();
  int PrepareBiosCall();
  void SpawnCallObjects();

  bool TransferSizeUsable() const;
  void PutRequest(const BiosCallBuffer& block);
  void PutDataParameter();
  HRESULT ExecuteCall();
  int ReadResponse(BiosCallBuffer& block);

  void ReleaseInterfaces();

  ComInitialization com_;
  std::unique_ptr<CHwConfig> hwConfig_;
  win::ScopedComPtr<IWbemClassObject> bdatClass_;
  win::ScopedComPtr<IWbemServices> services_;
  win::ScopedComPtr<IWbemClassObject> bdatInstance_;
  win::ScopedComPtr<IWbemClassObject> outParams_;
  win::ScopedComPtr<IWbemClassObject> inParams_;
  win::ScopedComPtr<IWbemClassObject> bfnClass_;
  win::ScopedComPtr<IWbemClassObject> inSignature_;
  win::ScopedComPtr<IWbemClassObject> outSignature_;
  win::ScopedBstr bfnClassName_;
  win::ScopedBstr doBfnMethodName_;
  win::ScopedBstr bfnObjectPath_;
  std::unique_ptr<BYTE[]> blobCopy_;  // non-null only while one raw table is parsed
  std::int32_t transferSize_ = 0;
  GlobalInterfaceTable interfaceTable_;
  win::CriticalSection callLock_;
};

}  // namespace qv::platform
