// What the registry stand-in was asked to open, for tests and tools that check which key,
// access rights and registry view a caller used.
#pragma once

#include <string>
#include <vector>

#include "winapi/posix/types.h"

namespace qv::standin {

struct RegistryOpenRecord {
  std::string path;  // below HKEY_LOCAL_MACHINE
  DWORD access = 0;  // as requested, view flags included
  LONG result = 0;   // what RegOpenKeyExA returned
};

std::vector<RegistryOpenRecord> RegistryOpens();
void ClearRegistryOpens();

}  // namespace qv::standin
