// The process's global interface table, holding the WMI connection so that any apartment can
// fetch a usable proxy for it. Each platform object keeps the cookie of its own registration,
// so that two objects alive at once never revoke or use each other's entry.
#pragma once

#include "win/scoped_com_ptr.h"
#include "winapi/win32.h"

class ConnectionTable {
 public:
  ConnectionTable() = default;
  ConnectionTable(const ConnectionTable&) = delete;
  ConnectionTable& operator=(const ConnectionTable&) = delete;
  ~ConnectionTable() { Release(); }

  // Creates the table object; its result is not needed, a missing table simply stays absent.
  void Create();
  bool Exists() const { return static_cast<bool>(table_); }

  // Registers the connection under the module-wide cookie.
  void Register(IWbemServices* connection);

  // A proxy for the registered connection, or nullptr.
  IWbemServices* FetchProxy() const;

  // Revokes the registration and releases the table.
  void Release();

 private:
  qv::win::ScopedComPtr<IGlobalInterfaceTable> table_;
  DWORD cookie_ = 0;  // 0: nothing registered
};
