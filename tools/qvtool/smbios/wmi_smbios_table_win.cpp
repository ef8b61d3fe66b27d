#include "tools/qvtool/smbios/wmi_smbios_table_win.h"

#include <cstdio>

#include "platform/com_initialization.h"
#include "platform/raw_table_size.h"
#include "platform/wbem_access.h"
#include "tools/qvtool/tool_error.h"
#include "win/scoped_bstr.h"
#include "win/scoped_com_ptr.h"
#include "win/scoped_safe_array_access.h"
#include "win/scoped_variant.h"
#include "winapi/win32.h"

namespace qvtool {
namespace {

constexpr long kNextTimeoutMs = 10000;

[[noreturn]] void Fail(const std::string& step, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  throw ToolError(WmiSmbiosSource() + ": " + step + " (" + code + ")");
}

[[noreturn]] void Fail(const std::string& problem) {
  throw ToolError(WmiSmbiosSource() + ": " + problem);
}

std::string VariantTypeName(VARTYPE type) {
  if (type == VT_NULL) return "VT_NULL";
  if (type == VT_EMPTY) return "VT_EMPTY";
  return "of VARIANT type " + std::to_string(type);
}

std::string TableBytes(IWbemClassObject* table) {
  qv::win::ScopedBstr sizeName("Size");
  qv::win::ScopedBstr dataName("SMBiosData");
  qv::win::ScopedVariant declaredSize;
  table->Get(sizeName.Get(), 0, declaredSize.Get(), nullptr, nullptr);
  qv::win::ScopedVariant data;
  const HRESULT got = table->Get(dataName.Get(), 0, data.Get(), nullptr, nullptr);
  if (FAILED(got)) Fail("the instance has no SMBiosData", got);
  if (!data.HoldsByteArray()) {
    Fail("the instance holds no table bytes (SMBiosData is " + VariantTypeName(data->vt) +
         ", not a byte array): this Windows' WMI hands over no SMBIOS table");
  }
  qv::win::ScopedSafeArrayAccess bytes(data->parray);
  if (!bytes.IsValid()) Fail("the SMBiosData array could not be read");
  const std::size_t size = qv::platform::RawTableBytesToParse(*declaredSize, bytes.Length());
  return std::string(reinterpret_cast<const char*>(bytes.Data()), size);
}

}  // namespace

std::string WmiSmbiosSource() {
  return "WMI root\\wmi MSSmBios_RawSMBiosTables";
}

std::string ReadSmbiosTableThroughWmi() {
  // Declared first, so that COM outlives every object below.
  qv::platform::ComInitialization com;
  if (FAILED(com.Result()) && com.Result() != RPC_E_CHANGED_MODE) {
    Fail("COM could not be initialised", com.Result());
  }
  qv::win::ScopedComPtr<IWbemLocator> locator;
  HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWbemLocator, locator.ReceiveVoid());
  if (FAILED(result) || !locator) Fail("no WMI locator", result);
  qv::win::ScopedComPtr<IWbemServices> services;
  qv::win::ScopedBstr wmiNamespace("root\\wmi");
  result = locator->ConnectServer(wmiNamespace.Get(), nullptr, nullptr, nullptr, 0, nullptr,
                                  nullptr, services.Receive());
  if (FAILED(result) || !services) Fail("no connection to root\\wmi", result);
  qv::platform::SetImpersonatingBlanket(services.Get());

  qv::win::ScopedBstr rawTablesClass("MSSmBios_RawSMBiosTables");
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  result = services->CreateInstanceEnum(rawTablesClass.Get(), WBEM_FLAG_SHALLOW, nullptr,
                                        tables.Receive());
  if (FAILED(result) || !tables) Fail("the class cannot be enumerated", result);
  qv::win::ScopedComPtr<IWbemClassObject> table;
  ULONG returned = 0;
  result = tables->Next(kNextTimeoutMs, 1, table.Receive(), &returned);
  if (result != WBEM_S_NO_ERROR || returned == 0 || !table) Fail("the class has no instance");
  return TableBytes(table.Get());
}

}  // namespace qvtool
