#include <mutex>

#include "winapi/posix/com_control.h"
#include "winapi/posix/com_factory.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IGlobalInterfaceTable = {0x00000146, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CLSID CLSID_StdGlobalInterfaceTable = {
    0x00000323, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace qv::standin {
namespace {

// The COM state of one thread: its apartment kind and how many initialisations it holds.
struct Apartment {
  int depth = 0;
  bool singleThreaded = false;
};

thread_local Apartment apartment;

struct ProcessSecurity {
  std::mutex lock;
  bool set = false;
};

ProcessSecurity& Security() {
  static ProcessSecurity* security = new ProcessSecurity;
  return *security;
}

}  // namespace

bool ThreadHasApartment() {
  return apartment.depth > 0;
}

int ApartmentDepth() {
  return apartment.depth;
}

bool ProcessSecuritySet() {
  std::lock_guard<std::mutex> guard(Security().lock);
  return Security().set;
}

void ResetProcessSecurity() {
  std::lock_guard<std::mutex> guard(Security().lock);
  Security().set = false;
}

}  // namespace qv::standin

using qv::standin::apartment;

HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (qv::standin::ShouldFail("CoInitializeEx")) return E_OUTOFMEMORY;
  if (reserved != nullptr) return E_INVALIDARG;
  bool singleThreaded = (coInit & COINIT_APARTMENTTHREADED) != 0;
  if (apartment.depth > 0 && apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
  bool first = apartment.depth == 0;
  apartment.singleThreaded = singleThreaded;
  ++apartment.depth;
  qv::standin::Acquire(qv::standin::Resource::ComApartment);
  return first ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  qv::standin::ShouldFail("CoUninitialize");
  if (apartment.depth == 0) return;
  --apartment.depth;
  qv::standin::Release(qv::standin::Resource::ComApartment);
}

HRESULT WINAPI CoInitializeSecurity(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE*, void*,
                                    DWORD, DWORD, void*, DWORD, void*) {
  if (qv::standin::ShouldFail("CoInitializeSecurity")) return E_OUTOFMEMORY;
  if (!qv::standin::ThreadHasApartment()) return CO_E_NOTINITIALIZED;
  auto& security = qv::standin::Security();
  std::lock_guard<std::mutex> guard(security.lock);
  if (security.set) return RPC_E_TOO_LATE;
  security.set = true;
  return S_OK;
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID iid,
                                LPVOID* object) {
  if (object != nullptr) *object = nullptr;
  if (qv::standin::ShouldFail("CoCreateInstance")) return E_OUTOFMEMORY;
  if (object == nullptr) return E_POINTER;
  if (!qv::standin::ThreadHasApartment()) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if ((clsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  if (clsid == CLSID_StdGlobalInterfaceTable)
    return qv::standin::CreateGlobalInterfaceTable(iid, object);
  if (clsid == CLSID_WbemLocator) return qv::standin::CreateWbemLocator(iid, object);
  return REGDB_E_CLASSNOTREG;
}

HRESULT WINAPI CoSetProxyBlanket(IUnknown* proxy, DWORD, DWORD, OLECHAR*, DWORD, DWORD,
                                 RPC_AUTH_IDENTITY_HANDLE, DWORD) {
  if (qv::standin::ShouldFail("CoSetProxyBlanket")) return E_OUTOFMEMORY;
  if (proxy == nullptr) return E_INVALIDARG;
  return S_OK;
}
