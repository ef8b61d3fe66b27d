#include "winapi/posix/setupapi.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace {

using qv::standin::Resource;

constexpr DWORD kKnownFlags =
    DIGCF_DEFAULT | DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;

// Long runs (benchmarks, sweeps) keep only the first requests since the last reset.
constexpr std::size_t kMaxLoggedRequests = 10000;

// The class every device of the model reports: the model records no setup classes.
constexpr GUID kStandInDeviceClass = {
    0x6a5c0f3e, 0x41d2, 0x4b7a, {0x9e, 0x13, 0x52, 0x0c, 0x7d, 0x88, 0x31, 0xa4}};

// One open device information set: a snapshot of the instance IDs taken when it was opened.
struct DeviceSet {
  std::string walkKey;  // upper-case enumerator name, "" for all enumerators
  std::vector<std::string> instanceIds;
  bool walkCompleted = false;
};

struct SetBooks {
  std::mutex lock;
  std::set<DeviceSet*> open;
  std::map<std::string, qv::standin::DeviceWalkCounts> walks;
  std::vector<qv::standin::DeviceSetRequest> requests;
};

SetBooks& Books() {
  static SetBooks* books = new SetBooks;  // never destroyed: calls may run during exit
  return *books;
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The standard bus enumerators, which every PC has even when no device of theirs is listed.
bool IsStandardEnumerator(const std::string& walkKey) {
  return walkKey == "PCI" || walkKey == "USB";
}

// Whether Windows would know the enumerator: a standard one, or one the machine lists devices
// (present or not) under. An empty key stands for every enumerator.
bool EnumeratorIsKnown(const qv::machine::Machine& machine, const std::string& walkKey) {
  if (walkKey.empty() || IsStandardEnumerator(walkKey)) return true;
  for (const auto* lists : {&machine.devices, &machine.notPresentDevices})
    for (const auto& entry : *lists)
      if (UpperAscii(entry.first) == walkKey) return true;
  return false;
}

void AppendDevices(const qv::machine::DeviceList& lists, const std::string& walkKey,
                   std::vector<std::string>& ids) {
  for (const auto& [enumerator, devices] : lists) {
    if (!walkKey.empty() && UpperAscii(enumerator) != walkKey) continue;
    ids.insert(ids.end(), devices.begin(), devices.end());
  }
}

// The names of the registry keys of a device under HKLM\SYSTEM\CurrentControlSet\Enum:
// enumerator, device and instance, in upper case as the registry compares them.
std::vector<std::string> RegistryKeyNames(const std::string& instanceId) {
  std::vector<std::string> names(1);
  for (char c : instanceId) {
    if (c == '\\') {
      names.emplace_back();
    } else {
      names.back() += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  return names;
}

// Windows lists a bus's devices in the order of their registry keys: key by key, each level
// sorted by name without regard to case ("VEN_14E4" before "VEN_8086", "DEV_1" before
// "DEV_1&SUBSYS_2"), whatever order the devices came in.
void SortInRegistryOrder(std::vector<std::string>& ids) {
  std::stable_sort(ids.begin(), ids.end(), [](const std::string& a, const std::string& b) {
    return RegistryKeyNames(a) < RegistryKeyNames(b);
  });
}

// The devices of a set, in registry order: those present now, and with `presentOnly` false also
// those installed but not present.
std::vector<std::string> DevicesOf(const qv::machine::Machine& machine, const std::string& walkKey,
                                   bool presentOnly) {
  std::vector<std::string> ids;
  AppendDevices(machine.devices, walkKey, ids);
  if (!presentOnly) AppendDevices(machine.notPresentDevices, walkKey, ids);
  SortInRegistryOrder(ids);
  return ids;
}

void LogRequest(const GUID* classGuid, LPCSTR enumerator, DWORD flags) {
  qv::standin::DeviceSetRequest request;
  request.classGuidGiven = classGuid != nullptr;
  request.enumeratorGiven = enumerator != nullptr;
  if (enumerator != nullptr) request.enumerator = enumerator;
  request.flags = flags;
  SetBooks& books = Books();
  std::lock_guard<std::mutex> guard(books.lock);
  if (books.requests.size() < kMaxLoggedRequests) books.requests.push_back(std::move(request));
}

bool SameGuid(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The open set behind `handle`, or null (with ERROR_INVALID_HANDLE) when it is not one.
DeviceSet* FindSet(HDEVINFO handle) {
  SetBooks& books = Books();
  std::lock_guard<std::mutex> guard(books.lock);
  auto it = books.open.find(static_cast<DeviceSet*>(handle));
  if (it != books.open.end()) return *it;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

bool RecordSizeIsValid(PSP_DEVINFO_DATA data) {
  if (data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (data->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  return true;
}

void NoteWalkCompleted(DeviceSet& set) {
  SetBooks& books = Books();
  std::lock_guard<std::mutex> guard(books.lock);
  if (set.walkCompleted) return;
  set.walkCompleted = true;
  ++books.walks[set.walkKey].completed;
}

// The instance ID of the device a record filled by SetupDiEnumDeviceInfo describes.
const std::string* DeviceOfRecord(const DeviceSet& set, PSP_DEVINFO_DATA data) {
  if (data->Reserved == 0 || data->Reserved > set.instanceIds.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &set.instanceIds[data->Reserved - 1];
}

}  // namespace

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND /*hwndParent*/,
                                     DWORD flags) {
  LogRequest(classGuid, enumerator, flags);
  if (qv::standin::ShouldFail("SetupDiGetClassDevsA")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  if ((flags & ~kKnownFlags) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return INVALID_HANDLE_VALUE;
  }
  // Without DIGCF_ALLCLASSES a class must be named.
  if ((flags & DIGCF_ALLCLASSES) == 0 && classGuid == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const qv::machine::Machine& machine = qv::standin::CurrentMachine();
  auto set = std::make_unique<DeviceSet>();
  set->walkKey = enumerator != nullptr ? UpperAscii(enumerator) : std::string();
  // A device-interface set is keyed by a device instance ID, not an enumerator name, and holds
  // the devices that expose an interface: the model has none, so the set is empty.
  if ((flags & DIGCF_DEVICEINTERFACE) == 0) {
    if (!EnumeratorIsKnown(machine, set->walkKey)) {
      SetLastError(ERROR_INVALID_DATA);
      return INVALID_HANDLE_VALUE;
    }
    // Every device of the model reports the one stand-in class; any other class is empty.
    const bool classMatches =
        (flags & DIGCF_ALLCLASSES) != 0 || SameGuid(*classGuid, kStandInDeviceClass);
    if (classMatches)
      set->instanceIds = DevicesOf(machine, set->walkKey, (flags & DIGCF_PRESENT) != 0);
  }
  {
    SetBooks& books = Books();
    std::lock_guard<std::mutex> guard(books.lock);
    books.open.insert(set.get());
    ++books.walks[set->walkKey].opened;
  }
  qv::standin::Acquire(Resource::DeviceSet);
  SetLastError(ERROR_SUCCESS);
  return set.release();
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex,
                                  PSP_DEVINFO_DATA deviceInfoData) {
  if (qv::standin::ShouldFail("SetupDiEnumDeviceInfo")) return Fail(ERROR_INVALID_PARAMETER);
  DeviceSet* set = FindSet(deviceInfoSet);
  if (set == nullptr) return FALSE;
  if (!RecordSizeIsValid(deviceInfoData)) return FALSE;
  if (memberIndex >= set->instanceIds.size()) {
    if (memberIndex == set->instanceIds.size()) NoteWalkCompleted(*set);
    return Fail(ERROR_NO_MORE_ITEMS);
  }
  deviceInfoData->ClassGuid = kStandInDeviceClass;
  deviceInfoData->DevInst = memberIndex + 1;
  deviceInfoData->Reserved = memberIndex + 1;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO deviceInfoSet, PSP_DEVINFO_DATA deviceInfoData,
                                        LPSTR deviceInstanceId, DWORD deviceInstanceIdSize,
                                        PDWORD requiredSize) {
  if (qv::standin::ShouldFail("SetupDiGetDeviceInstanceIdA")) return Fail(ERROR_INVALID_PARAMETER);
  DeviceSet* set = FindSet(deviceInfoSet);
  if (set == nullptr) return FALSE;
  if (!RecordSizeIsValid(deviceInfoData)) return FALSE;
  const std::string* id = DeviceOfRecord(*set, deviceInfoData);
  if (id == nullptr) return FALSE;
  if (deviceInstanceId == nullptr && deviceInstanceIdSize != 0)
    return Fail(ERROR_INVALID_USER_BUFFER);
  const auto needed = static_cast<DWORD>(id->size() + 1);
  if (requiredSize != nullptr) *requiredSize = needed;
  if (deviceInstanceIdSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(deviceInstanceId, id->c_str(), needed);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) {
  if (qv::standin::ShouldFail("SetupDiDestroyDeviceInfoList")) return Fail(ERROR_INVALID_HANDLE);
  auto* set = static_cast<DeviceSet*>(deviceInfoSet);
  {
    SetBooks& books = Books();
    std::lock_guard<std::mutex> guard(books.lock);
    if (books.open.erase(set) == 0) return Fail(ERROR_INVALID_HANDLE);
  }
  delete set;
  qv::standin::Release(Resource::DeviceSet);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

namespace qv::standin {

DeviceWalkCounts DeviceWalks(const std::string& enumerator) {
  SetBooks& books = Books();
  std::lock_guard<std::mutex> guard(books.lock);
  auto it = books.walks.find(UpperAscii(enumerator));
  return it == books.walks.end() ? DeviceWalkCounts{} : it->second;
}

void ResetDeviceWalks() {
  SetBooks& books = Books();
  std::lock_guard<std::mutex> guard(books.lock);
  books.walks.clear();
  books.requests.clear();
}

std::vector<DeviceSetRequest> DeviceSetRequests() {
  SetBooks& books = Books();
  std::lock_guard<std::mutex> guard(books.lock);
  return books.requests;
}

}  // namespace qv::standin
