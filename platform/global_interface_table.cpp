#include "platform/global_interface_table.h"

namespace qv::platform {

void GlobalInterfaceTable::Create() {
  CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                   IID_IGlobalInterfaceTable, table_.ReceiveVoid());
}

void GlobalInterfaceTable::Register(IWbemServices* connection) {
  if (!table_ || connection == nullptr) return;
  DWORD cookie = 0;
  if (SUCCEEDED(table_->RegisterInterfaceInGlobal(connection, IID_IWbemServices, &cookie)))
    cookie_ = cookie;
}

IWbemServices* GlobalInterfaceTable::FetchProxy() const {
  if (!table_ || cookie_ == 0) return nullptr;
  void* proxy = nullptr;
  if (FAILED(table_->GetInterfaceFromGlobal(cookie_, IID_IWbemServices, &proxy))) return nullptr;
  return static_cast<IWbemServices*>(proxy);
}

void GlobalInterfaceTable::Release() {
  if (!table_) return;
  if (cookie_ != 0) table_->RevokeInterfaceFromGlobal(cookie_);
  cookie_ = 0;
  table_.Reset();
}

}  // namespace qv::platform
