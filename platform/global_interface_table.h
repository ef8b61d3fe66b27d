// The process's global interface table, holding the WMI connection so that any apartment can
// fetch a usable proxy for it. Each platform object keeps the cookie of its own registration,
// so that two objects alive at once never revoke or use each other's entry.
#pragma once

#include "win/scoped_com_ptr.h"
#include "winapi/win32.h"

namespace qv::platform {

class GlobalInterfaceTable {
 public:
  GlobalInterfaceTable() = default;
  GlobalInterfaceTable(const GlobalInterfaceTable&) = delete;
  GlobalInterfaceTable& operator=(const GlobalInterfaceTable&) = delete;
  ~GlobalInterfaceTable() { Release(); }

  // Creates the table object; its result is not needed, a missing table simply stays absent.
  void Create();
  bool Exists() const { return static_cast<bool>(table_); }

  // Registers the connection under this object's own cookie.
  void Register(IWbemServices* connection);

  // A proxy for the registered connection, or nullptr.
  IWbemServices* FetchProxy() const;

  // Revokes the registration and releases the table.
  void Release();

 private:
  win::ScopedComPtr<IGlobalInterfaceTable> table_;
  DWORD cookie_ = 0;  // 0: nothing registered
};

}  // namespace qv::platform
