// Named mappings on the stand-in's named sections (named_section.h); views are mmap'ed from
// the section's open description.
#include <sys/mman.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "winapi/posix/handle_table.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/mapping.h"
#include "winapi/posix/named_section.h"

namespace {

using qv::standin::OpenAnonymousSection;
using qv::standin::OpenNamedSection;
using qv::standin::Resource;
using qv::standin::SharedSection;

struct MappingObject : qv::standin::KernelObject {
  explicit MappingObject(std::shared_ptr<SharedSection> s) : section(std::move(s)) {
    qv::standin::Acquire(Resource::Mapping);
  }
  ~MappingObject() override { qv::standin::Release(Resource::Mapping); }
  std::shared_ptr<SharedSection> section;
};

struct View {
  std::size_t length;
};

struct ViewTable {
  std::mutex lock;
  std::map<const void*, View> views;
};

ViewTable& Views() {
  static ViewTable* table = new ViewTable;  // never destroyed: views may be unmapped at exit
  return *table;
}

}  // namespace

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect,
                                 DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCSTR name) {
  if (qv::standin::ShouldFail("CreateFileMappingA")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (file != INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);  // file-backed mappings are not part of the stand-in
    return nullptr;
  }
  std::uint64_t size = (static_cast<std::uint64_t>(maximumSizeHigh) << 32) | maximumSizeLow;
  if (size == 0 || (protect != PAGE_READWRITE && protect != PAGE_READONLY)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool existed = false;
  std::shared_ptr<SharedSection> section =
      name != nullptr ? OpenNamedSection(name, "", size, &existed) : OpenAnonymousSection(size);
  if (!section) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HANDLE handle = qv::standin::RegisterHandle(std::make_unique<MappingObject>(section));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T bytesToMap) {
  if (qv::standin::ShouldFail("MapViewOfFile")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* object = qv::standin::LookupHandleAs<MappingObject>(mapping);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::shared_ptr<SharedSection> section = object->section;
  std::size_t length = bytesToMap == 0 ? section->size() : bytesToMap;
  if (offsetHigh != 0 || offsetLow != 0 || length > section->size()) {
    SetLastError(ERROR_ACCESS_DENIED);  // views start at 0 in this stand-in
    return nullptr;
  }
  int protection = PROT_READ | ((desiredAccess & FILE_MAP_WRITE) ? PROT_WRITE : 0);
  void* address = mmap(nullptr, length, protection, MAP_SHARED, section->fd(), 0);
  if (address == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  ViewTable& table = Views();
  std::lock_guard<std::mutex> guard(table.lock);
  table.views.emplace(address, View{length});
  qv::standin::Acquire(Resource::View);
  return address;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID baseAddress) {
  if (qv::standin::ShouldFail("UnmapViewOfFile")) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  View view;
  {
    ViewTable& table = Views();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.views.find(baseAddress);
    if (it == table.views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    view = std::move(it->second);
    table.views.erase(it);
  }
  munmap(const_cast<void*>(baseAddress), view.length);
  qv::standin::Release(Resource::View);
  return TRUE;
}
