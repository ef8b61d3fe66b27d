#include "tests/windows/planted_devices.h"

#include <windows.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace qv::testing {
namespace {

constexpr char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";
constexpr char kMarker[] = "QvPlantedDevice";

struct SetupClass {
  const char* name;
  const char* guid;
};
constexpr SetupClass kNetClass{"Net", "{4d36e972-e325-11ce-bfc1-08002be10318}"};
constexpr SetupClass kModemClass{"Modem", "{4d36e96d-e325-11ce-bfc1-08002be10318}"};
constexpr SetupClass kSystemClass{"System", "{4d36e97d-e325-11ce-bfc1-08002be10318}"};

// The network controllers the planted PCI devices stand for: class 02, subclass 00.
constexpr char kPciClassCode[] = "CC_020000";
constexpr char kPciClassCodeShort[] = "CC_0200";
// The planted USB devices are modems: communications class 02, abstract control model.
constexpr char kUsbRevision[] = "REV_0100";

struct KeyNames {
  std::string enumerator, device, instance;
};

bool SplitInstanceId(const std::string& id, KeyNames* names) {
  const std::size_t first = id.find('\\');
  const std::size_t second = first == std::string::npos ? first : id.find('\\', first + 1);
  if (second == std::string::npos || id.find('\\', second + 1) != std::string::npos) return false;
  *names = {id.substr(0, first), id.substr(first + 1, second - first - 1), id.substr(second + 1)};
  return !names->enumerator.empty() && !names->device.empty() && !names->instance.empty();
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The field of `device` ("VEN_8086&DEV_10F5&...") that starts with `name` ("DEV_"), or "".
std::string Field(const std::string& device, const std::string& name) {
  std::size_t start = 0;
  while (start <= device.size()) {
    std::size_t end = device.find('&', start);
    if (end == std::string::npos) end = device.size();
    const std::string field = device.substr(start, end - start);
    if (Upper(field).compare(0, name.size(), name) == 0) return field;
    start = end + 1;
  }
  return "";
}

std::string Joined(std::initializer_list<std::string> fields) {
  std::string joined;
  for (const std::string& field : fields) {
    if (field.empty()) continue;
    joined += (joined.empty() ? "" : "&") + field;
  }
  return joined;
}

struct DeviceIds {
  std::vector<std::string> hardware, compatible;
  SetupClass setupClass;
};

// The hardware and compatible IDs Windows gives a device, most specific first.
DeviceIds IdsOf(const KeyNames& names) {
  const std::string bus = Upper(names.enumerator);
  const std::string& device = names.device;
  if (bus == "PCI") {
    const std::string vendor = Field(device, "VEN_"), chip = Field(device, "DEV_");
    const std::string board = Field(device, "SUBSYS_"), revision = Field(device, "REV_");
    const std::string pci = "PCI\\";
    DeviceIds ids{{}, {}, kNetClass};
    ids.hardware = {pci + Joined({vendor, chip, board, revision}),
                    pci + Joined({vendor, chip, board}),
                    pci + Joined({vendor, chip, kPciClassCode}),
                    pci + Joined({vendor, chip, kPciClassCodeShort})};
    ids.compatible = {pci + Joined({vendor, chip, revision}),
                      pci + Joined({vendor, chip}),
                      pci + Joined({vendor, kPciClassCode}),
                      pci + Joined({vendor, kPciClassCodeShort}),
                      pci + vendor,
                      pci + kPciClassCode,
                      pci + kPciClassCodeShort};
    return ids;
  }
  if (bus == "USB") {
    const std::string vendor = Field(device, "VID_"), product = Field(device, "PID_");
    const std::string function = Field(device, "MI_");
    DeviceIds ids{{}, {}, kModemClass};
    ids.hardware = {"USB\\" + Joined({vendor, product, kUsbRevision, function}),
                    "USB\\" + Joined({vendor, product, function})};
    ids.compatible = {"USB\\Class_02&SubClass_02&Prot_01", "USB\\Class_02&SubClass_02",
                      "USB\\Class_02"};
    return ids;
  }
  return {{names.enumerator + "\\" + device}, {}, kSystemClass};
}

std::string Describe(LONG status) {
  return "error " + std::to_string(status);
}

// Opens or creates `name` below `parent`, marking it when this call created it.
LONG CreateKey(HKEY parent, const std::string& name, HKEY* key, bool* created) {
  DWORD disposition = 0;
  LONG status = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                                &disposition);
  if (status != ERROR_SUCCESS) return status;
  *created = disposition == REG_CREATED_NEW_KEY;
  if (!*created) return ERROR_SUCCESS;
  const DWORD one = 1;
  return RegSetValueExA(*key, kMarker, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                        sizeof one);
}

bool IsMarked(HKEY key) {
  return RegQueryValueExA(key, kMarker, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

LONG SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

LONG SetTexts(HKEY key, const char* name, const std::vector<std::string>& texts) {
  std::string data;
  for (const std::string& text : texts) data += text + '\0';
  data += '\0';
  return RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool PlantDevice(HKEY enumKey, const std::string& instanceId, std::string* error) {
  KeyNames names;
  if (!SplitInstanceId(instanceId, &names)) {
    *error = instanceId + ": not an instance ID of three parts (enumerator\\device\\instance)";
    return false;
  }
  Key enumerator, device, instance;
  bool created = false;
  LONG status = CreateKey(enumKey, names.enumerator, enumerator.Receive(), &created);
  if (status == ERROR_SUCCESS)
    status = CreateKey(enumerator.Get(), names.device, device.Receive(), &created);
  if (status == ERROR_SUCCESS)
    status = CreateKey(device.Get(), names.instance, instance.Receive(), &created);
  if (status == ERROR_SUCCESS && !created && !IsMarked(instance.Get())) {
    *error = instanceId + ": the prefix has this device of its own";
    return false;
  }
  const DeviceIds ids = IdsOf(names);
  if (status == ERROR_SUCCESS) status = SetTexts(instance.Get(), "HardwareID", ids.hardware);
  if (status == ERROR_SUCCESS && !ids.compatible.empty())
    status = SetTexts(instance.Get(), "CompatibleIDs", ids.compatible);
  if (status == ERROR_SUCCESS) status = SetText(instance.Get(), "ClassGUID", ids.setupClass.guid);
  if (status == ERROR_SUCCESS) status = SetText(instance.Get(), "Class", ids.setupClass.name);
  if (status != ERROR_SUCCESS)
    *error = instanceId + ": cannot be written (" + Describe(status) + ")";
  return status == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[MAX_PATH];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      return names;
    names.emplace_back(name, length);
  }
}

bool HasSubkeys(HKEY key) {
  DWORD subkeys = 0;
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
         subkeys != 0;
}

// Removes the marked keys below `parent\name` bottom up; `depth` levels of keys lie below it.
bool ClearKey(HKEY parent, const std::string& name, int depth, std::string* error) {
  bool marked = false;
  {
    Key key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS)
      return true;
    if (depth > 0) {
      for (const std::string& child : SubkeyNames(key.Get()))
        if (!ClearKey(key.Get(), child, depth - 1, error)) return false;
    }
    marked = IsMarked(key.Get()) && !HasSubkeys(key.Get());
  }
  if (!marked) return true;
  const LONG status = RegDeleteKeyA(parent, name.c_str());
  if (status != ERROR_SUCCESS) *error = name + ": cannot be removed (" + Describe(status) + ")";
  return status == ERROR_SUCCESS;
}

}  // namespace

DeviceTree ReadProfileDevices(const std::string& profilePath) {
  std::ifstream file(profilePath);
  if (!file) throw std::runtime_error(profilePath + ": cannot be read");
  const nlohmann::json profile = nlohmann::json::parse(file, nullptr, false);
  if (!profile.is_object()) throw std::runtime_error(profilePath + ": not a JSON object");
  DeviceTree tree;
  const auto devices = profile.find("devices");
  if (devices == profile.end()) return tree;
  for (const auto& [enumerator, ids] : devices->items()) {
    if (enumerator == "notPresent" || !ids.is_array()) continue;
    for (const auto& id : ids)
      if (id.is_string()) tree[enumerator].push_back(id.get<std::string>());
  }
  return tree;
}

bool PlantDevices(const DeviceTree& tree, std::string* error) {
  Key enumKey;
  const LONG status =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnumKey, 0, KEY_ALL_ACCESS, enumKey.Receive());
  if (status != ERROR_SUCCESS) {
    *error = std::string("HKLM\\") + kEnumKey + ": cannot be opened (" + Describe(status) + ")";
    return false;
  }
  for (const auto& [enumerator, ids] : tree)
    for (const std::string& id : ids)
      if (!PlantDevice(enumKey.Get(), id, error)) return false;
  return true;
}

bool ClearPlantedDevices(std::string* error) {
  Key enumKey;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnumKey, 0, KEY_ALL_ACCESS, enumKey.Receive()) !=
      ERROR_SUCCESS)
    return true;  // nothing planted
  for (const std::string& enumerator : SubkeyNames(enumKey.Get()))
    if (!ClearKey(enumKey.Get(), enumerator, 2, error)) return false;
  return true;
}

}  // namespace qv::testing
