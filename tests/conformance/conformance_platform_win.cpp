#include <chrono>

#include <gtest/gtest.h>

#include "tests/conformance/conformance_platform.h"
#include "tests/windows/planted_devices.h"
#include "winapi/win32.h"

namespace qv::conformance {

ScopedRegistryKey::ScopedRegistryKey(const std::string& path,
                                     const std::map<std::string, std::string>& values)
    : path_(path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  ok_ = true;
  for (const auto& [name, text] : values) {
    const auto* data = reinterpret_cast<const BYTE*>(text.c_str());
    ok_ = ok_ && RegSetValueExA(key, name.c_str(), 0, REG_SZ, data,
                                static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
}

ScopedRegistryKey::~ScopedRegistryKey() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
}

// Wine lists the devices of its prefix's registry, where a test can plant them; Windows keeps
// its device tree to itself.
ScopedTestDevices::ScopedTestDevices() {
  if (!RunningUnderWine()) return;
  std::string error;
  testing::DeviceTree tree;
  for (const std::string& id : TestPresentDevices()) tree[id.substr(0, 3)].push_back(id);
  ok_ = testing::ClearPlantedDevices(&error) && testing::PlantDevices(tree, &error);
  if (!ok_) ADD_FAILURE() << "the test devices could not be planted: " << error;
  if (ok_) present_ = TestPresentDevices();
}

ScopedTestDevices::~ScopedTestDevices() {
  std::string error;
  if (ok_ && !testing::ClearPlantedDevices(&error)) ADD_FAILURE() << error;
}

namespace {

std::string SystemProgram(const char* file) {
  char directory[MAX_PATH] = {};
  GetSystemDirectoryA(directory, MAX_PATH);
  return std::string(directory) + "\\" + file;
}

}  // namespace

ChildProgram QuickChild() {
  return {SystemProgram("cmd.exe"), "cmd /c exit 0"};
}

// Three echo requests one second apart.
ChildProgram SlowChild() {
  return {SystemProgram("cmd.exe"), "cmd /c ping -n 3 127.0.0.1 >nul"};
}

std::string ProgramOnSearchPathOnly() {
  return "cmd.exe";
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

namespace {

DWORD WINAPI RunWork(LPVOID work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

}  // namespace

void RunOnAnotherThread(const std::function<void()>& work) {
  HANDLE thread =
      CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

std::string UniqueObjectName(const std::string& stem) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(stamp);
}

ScopedWmiMachine::ScopedWmiMachine() = default;
ScopedWmiMachine::~ScopedWmiMachine() = default;

}  // namespace qv::conformance
