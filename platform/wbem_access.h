// Small steps shared by the WMI reads and calls of the platform object.
#pragma once

#include <cstddef>
#include <vector>

#include "winapi/win32.h"

namespace qv::platform {

// Sets the security the product asks of every WMI proxy it uses (NTLM, no authorisation
// service, call-level authentication, impersonation). Its result is ignored: a proxy that keeps
// its defaults still works for these calls.
void SetImpersonatingBlanket(IUnknown* proxy);

// The "Bytes" array of the object embedded in `holder`'s property `property`, or false when
// any step finds nothing: no property, no embedded object, no byte array or no access to it.
bool ReadEmbeddedBytes(IWbemClassObject* holder, const char* property, std::vector<BYTE>* bytes);

}  // namespace qv::platform
