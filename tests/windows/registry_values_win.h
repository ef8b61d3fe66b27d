// REG_SZ values under HKEY_LOCAL_MACHINE in one registry view, for the tests that set up and
// inspect the logon-module chain. `view` is KEY_WOW64_64KEY, KEY_WOW64_32KEY or 0 (the
// process's default view).
#pragma once

#include <string>

#include "winapi/win32.h"

namespace qv::testing {

// Creates the key when needed. False when the key or the value could not be written.
bool SetRegistryText(const char* path, const char* name, const std::string& text, REGSAM view);
// The value's text, or "<absent>" when the key or the value cannot be read.
std::string GetRegistryText(const char* path, const char* name, REGSAM view);
void DeleteRegistryValue(const char* path, const char* name, REGSAM view);
// Removes `child` below `parent` with everything in it.
void DeleteRegistryTree(const char* parent, const char* child, REGSAM view);

}  // namespace qv::testing
