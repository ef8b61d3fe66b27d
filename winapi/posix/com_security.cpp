#include "winapi/posix/com_security.h"

#include <mutex>

#include "winapi/posix/com_control.h"
#include "winapi/posix/com_factory.h"
#include "winapi/posix/ledger.h"

namespace qv::standin {
namespace {

constexpr DWORD kHighestAuthnLevel = 6;  // RPC_C_AUTHN_LEVEL_PKT_PRIVACY
constexpr DWORD kHighestImpLevel = 4;    // RPC_C_IMP_LEVEL_DELEGATE
constexpr DWORD kDefaultService = 0xFFFFFFFFu;
constexpr DWORD kNegotiate = 9;
constexpr DWORD kKerberos = 16;
constexpr DWORD kAuthzName = 1;
constexpr DWORD kAuthzDce = 2;
constexpr HRESULT kUnknownAuthnService = QV_HRESULT(0x800706D3u);  // RPC_S_UNKNOWN_AUTHN_SERVICE

struct ProcessSecurity {
  std::mutex lock;
  bool set = false;
  Blanket levels{RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IDENTIFY};
  std::vector<SecurityArguments> securityCalls;
  std::vector<BlanketArguments> blanketCalls;
};

ProcessSecurity& Security() {
  static ProcessSecurity* security = new ProcessSecurity;
  return *security;
}

bool KnownLevels(DWORD authnLevel, DWORD impLevel) {
  return authnLevel <= kHighestAuthnLevel && impLevel <= kHighestImpLevel;
}

HRESULT CheckBlanket(DWORD authnService, DWORD authzService, DWORD authnLevel, DWORD impLevel) {
  if (!KnownLevels(authnLevel, impLevel)) return E_INVALIDARG;
  if (authzService != RPC_C_AUTHZ_NONE && authzService != kAuthzName && authzService != kAuthzDce &&
      authzService != kDefaultService)
    return E_INVALIDARG;
  if (authnService != RPC_C_AUTHN_NONE && authnService != RPC_C_AUTHN_WINNT &&
      authnService != kNegotiate && authnService != kKerberos && authnService != kDefaultService)
    return kUnknownAuthnService;
  return S_OK;
}

}  // namespace

Blanket DefaultBlanket() {
  std::lock_guard<std::mutex> guard(Security().lock);
  return Security().levels;
}

bool ProcessSecuritySet() {
  std::lock_guard<std::mutex> guard(Security().lock);
  return Security().set;
}

void ResetProcessSecurity() {
  std::lock_guard<std::mutex> guard(Security().lock);
  Security().set = false;
  Security().levels = {RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IDENTIFY};
}

std::vector<SecurityArguments> SecurityCalls() {
  std::lock_guard<std::mutex> guard(Security().lock);
  return Security().securityCalls;
}

std::vector<BlanketArguments> BlanketCalls() {
  std::lock_guard<std::mutex> guard(Security().lock);
  return Security().blanketCalls;
}

void ResetSecurityCalls() {
  std::lock_guard<std::mutex> guard(Security().lock);
  Security().securityCalls.clear();
  Security().blanketCalls.clear();
}

}  // namespace qv::standin

HRESULT WINAPI CoInitializeSecurity(PSECURITY_DESCRIPTOR descriptor, LONG authSvcCount,
                                    SOLE_AUTHENTICATION_SERVICE* authSvc, void*, DWORD authnLevel,
                                    DWORD impLevel, void* authList, DWORD capabilities, void*) {
  auto& security = qv::standin::Security();
  {
    std::lock_guard<std::mutex> guard(security.lock);
    security.securityCalls.push_back({descriptor != nullptr, authSvcCount, authSvc != nullptr,
                                      authnLevel, impLevel, authList != nullptr, capabilities});
  }
  if (qv::standin::ShouldFail("CoInitializeSecurity")) return E_OUTOFMEMORY;
  if (!qv::standin::ThreadHasApartment()) return CO_E_NOTINITIALIZED;
  if (!qv::standin::KnownLevels(authnLevel, impLevel) || authSvcCount < -1 ||
      (authSvcCount > 0 && authSvc == nullptr))
    return E_INVALIDARG;
  std::lock_guard<std::mutex> guard(security.lock);
  if (security.set) return RPC_E_TOO_LATE;
  security.set = true;
  // Level 0 asks for the default, which leaves Windows' default in place.
  if (authnLevel != RPC_C_AUTHN_LEVEL_DEFAULT) security.levels.authnLevel = authnLevel;
  if (impLevel != RPC_C_IMP_LEVEL_DEFAULT) security.levels.impLevel = impLevel;
  return S_OK;
}

HRESULT WINAPI CoSetProxyBlanket(IUnknown* proxy, DWORD authnSvc, DWORD authzSvc,
                                 OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                                 RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities) {
  {
    auto& security = qv::standin::Security();
    std::lock_guard<std::mutex> guard(security.lock);
    security.blanketCalls.push_back({authnSvc, authzSvc, serverPrincipalName != nullptr, authnLevel,
                                     impLevel, authInfo != nullptr, capabilities});
  }
  if (qv::standin::ShouldFail("CoSetProxyBlanket")) return E_OUTOFMEMORY;
  if (proxy == nullptr) return E_INVALIDARG;
  auto* target = dynamic_cast<qv::standin::ProxyObject*>(proxy);
  if (target == nullptr) return E_NOINTERFACE;
  if (HRESULT hr = qv::standin::CheckBlanket(authnSvc, authzSvc, authnLevel, impLevel); FAILED(hr))
    return hr;
  qv::standin::Blanket blanket = target->CurrentBlanket();
  if (authnLevel != RPC_C_AUTHN_LEVEL_DEFAULT) blanket.authnLevel = authnLevel;
  if (impLevel != RPC_C_IMP_LEVEL_DEFAULT) blanket.impLevel = impLevel;
  target->SetBlanket(blanket);
  return S_OK;
}
