#include "platform/acpi_wmi.h"

#include <cstring>

#include "platform/hw_config.h"
#include "platform/raw_table_size.h"
#include "platform/wbem_access.h"
#include "win/scoped_safe_array_access.h"
#include "win/scoped_variant.h"

namespace qv::platform {

namespace {

// Object path of the mapper's BFn instance; WMI path syntax doubles each backslash.
constexpr char kBfnObjectPath[] = "BFn.InstanceName=\"ACPI\\\\PNP0C14\\\\0_0\"";
constexpr char kWmiNamespace[] = "root\\wmi";
constexpr char kRawTablesClass[] = "MSSmBios_RawSMBiosTables";
constexpr long kNextTimeoutMs = 10000;

}  // namespace

CAcpiWmi::CAcpiWmi()
    : bfnClassName_("BFn"), doBfnMethodName_("DoBFn"), bfnObjectPath_(kBfnObjectPath) {
  if (!Connect()) return;
  ReadSmbiosTables();
  if (!ReadQueryData()) return;
  if (!PrepareBiosCall()) return;
  SpawnCallObjects();
  hwConfig_ = std::make_unique<CHwConfig>(this);
}

CAcpiWmi::~CAcpiWmi() {
  ReleaseInterfaces();
  hwConfig_.reset();
  callLock_.Delete();
  interfaceTable_.Release();
  bfnObjectPath_.Reset();
  doBfnMethodName_.Reset();
  bfnClassName_.Reset();
  com_.Uninitialize();  // every COM object is gone by now
  ClearTokens();
}

void CAcpiWmi::ReleaseInterfaces() {
  outSignature_.Reset();
  inSignature_.Reset();
  bfnClass_.Reset();
  inParams_.Reset();
  outParams_.Reset();
  bdatInstance_.Reset();
  bdatClass_.Reset();
  services_.Reset();
}

const CHwConfig* CAcpiWmi::HwConfig() const {
  return hwConfig_.get();
}

int CAcpiWmi::Connect() {
  interfaceTable_.Create();
  win::ScopedComPtr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              locator.ReceiveVoid())) ||
      !locator)
    return 0;
  win::ScopedBstr wmiNamespace(kWmiNamespace);
  HRESULT connected = locator->ConnectServer(wmiNamespace.Get(), nullptr, nullptr, nullptr, 0,
                                             nullptr, nullptr, services_.Receive());
  if (connected == S_OK) SetImpersonatingBlanket(services_.Get());
  interfaceTable_.Register(services_.Get());
  return services_ ? 1 : 0;
}

int CAcpiWmi::ReadSmbiosTables() {
  win::ScopedBstr rawTablesClass(kRawTablesClass);
  win::ScopedComPtr<IEnumWbemClassObject> tables;
  services_->CreateInstanceEnum(rawTablesClass.Get(), WBEM_FLAG_SHALLOW, nullptr, tables.Receive());
  while (tables) {
    win::ScopedComPtr<IWbemClassObject> table;
    ULONG returned = 0;
    HRESULT next = tables->Next(kNextTimeoutMs, 1, table.Receive(), &returned);
    if (next == WBEM_S_FALSE || returned == 0 || !table) break;
    if (!ParseRawTable(table.Get())) return 0;
  }
  return 1;
}

// Parses one raw table instance. A missing or non-array "SMBiosData" is a failed read; the
// array bounds what "Size" declares, so nothing outside it is read.
int CAcpiWmi::ParseRawTable(IWbemClassObject* table) {
  win::ScopedBstr sizeName("Size");
  win::ScopedBstr dataName("SMBiosData");
  win::ScopedVariant declaredSize;
  table->Get(sizeName.Get(), 0, declaredSize.Get(), nullptr, nullptr);
  win::ScopedVariant data;
  if (FAILED(table->Get(dataName.Get(), 0, data.Get(), nullptr, nullptr)) || !data.HoldsByteArray())
    return 0;
  win::ScopedSafeArrayAccess bytes(data->parray);
  if (!bytes.IsValid()) return 0;
  const std::size_t size = RawTableBytesToParse(*declaredSize, bytes.Length());
  blobCopy_.reset(new BYTE[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(blobCopy_.get(), bytes.Data(), size);
  ParseTables(blobCopy_.get(), static_cast<DWORD>(size));
  blobCopy_.reset();
  return 1;
}

}  // namespace qv::platform
