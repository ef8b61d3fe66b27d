#include "platform/com_initialization.h"

namespace qv::platform {

ComInitialization::ComInitialization() : result_(S_OK), owesUninitialize_(1) {
  result_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(result_)) {
    // RPC_E_CHANGED_MODE included: the thread keeps the COM it already had, and we owe nothing.
    owesUninitialize_ = 0;
    return;
  }
  HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                          RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  // RPC_E_TOO_LATE: the host process already chose its security, which serves us as well.
  if (security != S_OK && security != RPC_E_TOO_LATE) {
    result_ = E_FAIL;
    Uninitialize();
  }
}

void ComInitialization::Uninitialize() {
  if (owesUninitialize_ == 0) return;
  owesUninitialize_ = 0;
  CoUninitialize();
}

}  // namespace qv::platform
