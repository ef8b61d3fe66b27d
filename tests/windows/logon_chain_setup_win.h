// What the tests of the logon-module restoration set up and inspect: its three registry keys,
// REG_SZ values under HKEY_LOCAL_MACHINE in one registry view (`view` is KEY_WOW64_64KEY,
// KEY_WOW64_32KEY or 0, the process's default view), and the Windows version the process sees.
#pragma once

#include <string>

#include "winapi/win32.h"

namespace qv::testing {

inline constexpr char kSettingsKey[] = "SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData";
inline constexpr char kWinlogonKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr char kSingleSignOnKey[] = "SOFTWARE\\Intel\\Wireless\\cswSSO";

// The major version Windows reports to this process: 5 for the XP generation, 0 when the query
// fails.
DWORD WindowsMajorVersion();

// Creates the key when needed. False when the key or the value could not be written.
bool SetRegistryText(const char* path, const char* name, const std::string& text, REGSAM view);
// The value's text, or "<absent>" when the key or the value cannot be read.
std::string GetRegistryText(const char* path, const char* name, REGSAM view);
void DeleteRegistryValue(const char* path, const char* name, REGSAM view);
// Removes `child` below `parent` with everything in it.
void DeleteRegistryTree(const char* parent, const char* child, REGSAM view);

}  // namespace qv::testing
