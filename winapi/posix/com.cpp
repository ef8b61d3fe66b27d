#include <mutex>
#include <set>

#include "winapi/posix/com_apartment.h"
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

// The COM state of one thread: its apartment and how many initialisations it holds.
struct Apartment {
  int depth = 0;
  bool singleThreaded = false;
  ApartmentId id = kNoApartment;
};

thread_local Apartment apartment;

struct ApartmentBook {
  std::mutex lock;
  std::set<ApartmentId> alive;
  ApartmentId next = 1;
  ApartmentId multithreaded = kNoApartment;
  int multithreadedMembers = 0;
};

ApartmentBook& Apartments() {
  static ApartmentBook* book = new ApartmentBook;
  return *book;
}

ApartmentId EnterApartment(bool singleThreaded) {
  ApartmentBook& book = Apartments();
  std::lock_guard<std::mutex> guard(book.lock);
  if (singleThreaded) {
    book.alive.insert(book.next);
    return book.next++;
  }
  if (book.multithreadedMembers++ == 0) {
    book.multithreaded = book.next++;
    book.alive.insert(book.multithreaded);
  }
  return book.multithreaded;
}

void LeaveApartment(ApartmentId id, bool singleThreaded) {
  ApartmentBook& book = Apartments();
  std::lock_guard<std::mutex> guard(book.lock);
  if (!singleThreaded && --book.multithreadedMembers > 0) return;
  book.alive.erase(id);
}

}  // namespace

bool ThreadHasApartment() {
  return apartment.depth > 0;
}

int ApartmentDepth() {
  return apartment.depth;
}

ApartmentId CurrentApartment() {
  return apartment.id;
}

bool ApartmentAlive(ApartmentId id) {
  ApartmentBook& book = Apartments();
  std::lock_guard<std::mutex> guard(book.lock);
  return book.alive.count(id) != 0;
}

bool AnyApartmentAlive() {
  ApartmentBook& book = Apartments();
  std::lock_guard<std::mutex> guard(book.lock);
  return !book.alive.empty();
}

}  // namespace qv::standin

using qv::standin::apartment;

HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (qv::standin::ShouldFail("CoInitializeEx")) return E_OUTOFMEMORY;
  if (reserved != nullptr) return E_INVALIDARG;
  bool singleThreaded = (coInit & COINIT_APARTMENTTHREADED) != 0;
  if (apartment.depth > 0 && apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
  bool first = apartment.depth == 0;
  if (first) {
    apartment.singleThreaded = singleThreaded;
    apartment.id = qv::standin::EnterApartment(singleThreaded);
  }
  ++apartment.depth;
  qv::standin::Acquire(qv::standin::Resource::ComApartment);
  return first ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  qv::standin::ShouldFail("CoUninitialize");
  if (apartment.depth == 0) return;
  if (--apartment.depth == 0) {
    qv::standin::LeaveApartment(apartment.id, apartment.singleThreaded);
    apartment.id = qv::standin::kNoApartment;
  }
  qv::standin::Release(qv::standin::Resource::ComApartment);
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
