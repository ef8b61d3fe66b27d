// Base of the stand-in's COM objects: one interface, a real reference count, a ledger entry
// for as long as the object lives, and the apartment it was made in. A release that comes
// after that apartment ended goes into the books as a fault (see ledger.h).
#pragma once

#include <atomic>

#include "winapi/posix/com.h"
#include "winapi/posix/com_apartment.h"
#include "winapi/posix/ledger.h"

namespace qv::standin {

template <typename Interface>
class ComObject : public Interface {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (ShouldFail("IUnknown::QueryInterface")) return E_NOINTERFACE;
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != interfaceId_) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<Interface*>(this);
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

  ULONG STDMETHODCALLTYPE Release() override {
    if (ReleasedTooLate()) Acquire(Resource::ComReleaseAfterUninitialize);
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  explicit ComObject(const IID& interfaceId) : interfaceId_(interfaceId) {
    Acquire(Resource::ComObject);
  }
  virtual ~ComObject() { qv::standin::Release(Resource::ComObject); }

  // Proxies belong to the apartment that unmarshalled them. Other objects here are
  // free-threaded: their code stays loaded while any apartment of the process lives.
  virtual bool BoundToApartment() const { return false; }

  ApartmentId HomeApartment() const { return apartment_; }

 private:
  bool ReleasedTooLate() const {
    if (apartment_ == kNoApartment) return false;
    return BoundToApartment() ? !ApartmentAlive(apartment_) : !AnyApartmentAlive();
  }

  const IID& interfaceId_;
  const ApartmentId apartment_ = CurrentApartment();
  std::atomic<ULONG> references_{1};
};

}  // namespace qv::standin
