#include <cstdio>

#include "tools/qvtool/device_enumeration.h"
#include "winapi/windows/system_library.h"

namespace qvtool {
namespace {

constexpr char kSetupApi[] = "setupapi.dll";

std::string SystemErrorText(DWORD error) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  char code[32];
  std::snprintf(code, sizeof code, "error %lu", static_cast<unsigned long>(error));
  return message.empty() ? code : std::string(code) + ": " + message;
}

}  // namespace

std::optional<std::string> DeviceEnumerationProblem() {
  char path[MAX_PATH];
  if (!qv::winapi::SystemLibraryPath(kSetupApi, path)) {
    return std::string("the system directory cannot be named (") + SystemErrorText(GetLastError()) +
           "), so " + kSetupApi + " cannot be loaded and no device can be seen";
  }
  const HMODULE module = qv::winapi::LoadSystemLibrary(kSetupApi);
  if (module == nullptr) {
    return std::string(path) + " cannot be loaded (" + SystemErrorText(GetLastError()) +
           "), so no device can be seen";
  }
  FreeLibrary(module);
  return std::nullopt;
}

}  // namespace qvtool
