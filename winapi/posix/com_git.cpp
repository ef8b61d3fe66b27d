// The global interface table. Every table object of the process reaches the same registrations;
// a registration holds a reference to its interface until it is revoked. The registering
// apartment gets the registered pointer back; another apartment gets a new proxy (with the
// default blanket) when the registered object is itself a proxy, else the object itself.
#include <map>
#include <mutex>

#include "winapi/posix/com_factory.h"
#include "winapi/posix/com_object.h"
#include "winapi/posix/com_security.h"

namespace qv::standin {
namespace {

struct Registration {
  IUnknown* object;
  ApartmentId apartment;
};

struct Registrations {
  std::mutex lock;
  std::map<DWORD, Registration> entries;
  DWORD nextCookie = 0x100;
};

Registrations& TheRegistrations() {
  static Registrations* registrations = new Registrations;
  return *registrations;
}

class GlobalInterfaceTable final : public ComObject<IGlobalInterfaceTable> {
 public:
  GlobalInterfaceTable() : ComObject(IID_IGlobalInterfaceTable) {}

  HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* unknown, REFIID riid,
                                                      DWORD* cookie) override {
    if (ShouldFail("IGlobalInterfaceTable::RegisterInterfaceInGlobal")) return E_OUTOFMEMORY;
    if (unknown == nullptr || cookie == nullptr) return E_INVALIDARG;
    void* typed = nullptr;
    HRESULT hr = unknown->QueryInterface(riid, &typed);
    if (FAILED(hr)) return hr;
    Registrations& registrations = TheRegistrations();
    std::lock_guard<std::mutex> guard(registrations.lock);
    *cookie = registrations.nextCookie++;
    registrations.entries.emplace(*cookie,
                                  Registration{static_cast<IUnknown*>(typed), CurrentApartment()});
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD cookie) override {
    if (ShouldFail("IGlobalInterfaceTable::RevokeInterfaceFromGlobal")) return E_OUTOFMEMORY;
    IUnknown* registered = Take(cookie);
    if (registered == nullptr) return E_INVALIDARG;
    registered->Release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD cookie, REFIID riid,
                                                   void** object) override {
    if (object != nullptr) *object = nullptr;
    if (ShouldFail("IGlobalInterfaceTable::GetInterfaceFromGlobal")) return E_OUTOFMEMORY;
    if (object == nullptr) return E_INVALIDARG;
    Registrations& registrations = TheRegistrations();
    std::lock_guard<std::mutex> guard(registrations.lock);
    auto it = registrations.entries.find(cookie);
    if (it == registrations.entries.end()) return E_INVALIDARG;
    const Registration& entry = it->second;
    auto* proxy = dynamic_cast<ProxyObject*>(entry.object);
    if (proxy == nullptr || entry.apartment == CurrentApartment())
      return entry.object->QueryInterface(riid, object);
    IUnknown* unmarshalled = proxy->Unmarshal();
    HRESULT hr = unmarshalled->QueryInterface(riid, object);
    unmarshalled->Release();
    return hr;
  }

 private:
  static IUnknown* Take(DWORD cookie) {
    Registrations& registrations = TheRegistrations();
    std::lock_guard<std::mutex> guard(registrations.lock);
    auto it = registrations.entries.find(cookie);
    if (it == registrations.entries.end()) return nullptr;
    IUnknown* registered = it->second.object;
    registrations.entries.erase(it);
    return registered;
  }
};

}  // namespace

HRESULT CreateGlobalInterfaceTable(REFIID iid, void** object) {
  auto* table = new GlobalInterfaceTable;
  HRESULT hr = table->QueryInterface(iid, object);
  table->Release();
  return hr;
}

}  // namespace qv::standin
