// Call security of the stand-in's COM. The levels given to CoInitializeSecurity become the
// blanket every new proxy starts with; CoSetProxyBlanket changes the blanket of one proxy. The
// stand-in's WMI connection is such a proxy, and its providers refuse a client they cannot
// impersonate (see wbem_services.cpp), as Windows' do.
#pragma once

#include "winapi/posix/com.h"

namespace qv::standin {

struct Blanket {
  DWORD authnLevel;
  DWORD impLevel;
};

// The blanket of a new proxy: the process's levels, or Windows' defaults (connect, identify)
// while the process has set none.
Blanket DefaultBlanket();

// An object that stands for a proxy to another process. CoSetProxyBlanket works only on these
// (Windows answers E_NOINTERFACE for an object without IClientSecurity).
class ProxyObject {
 public:
  virtual void SetBlanket(const Blanket& blanket) = 0;
  virtual Blanket CurrentBlanket() const = 0;
  // A new proxy to the same object for another apartment, with the default blanket and one
  // reference for the caller.
  virtual IUnknown* Unmarshal() const = 0;

 protected:
  ~ProxyObject() = default;
};

}  // namespace qv::standin
