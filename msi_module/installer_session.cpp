#include "msi_module/installer_session.h"

#include <msiquery.h>

#include "msi_module/scoped_msi_handle.h"

namespace qv::msi_module {

std::optional<std::string> InstallerSession::Get(const std::string& name) {
  // The first call, with room for nothing, asks for the length (without the terminating NUL).
  char nothing[1] = "";
  DWORD length = 0;
  const UINT sizing = MsiGetPropertyA(session_, name.c_str(), nothing, &length);
  if (sizing == ERROR_SUCCESS) return std::string();
  if (sizing != ERROR_MORE_DATA) return std::nullopt;

  std::string value(length + 1, '\0');
  length = static_cast<DWORD>(value.size());
  if (MsiGetPropertyA(session_, name.c_str(), value.data(), &length) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(length);
  return value;
}

bool InstallerSession::Set(const std::string& name, const std::string& value) {
  return MsiSetPropertyA(session_, name.c_str(), value.c_str()) == ERROR_SUCCESS;
}

void InstallerSession::Log(const std::string& line) noexcept {
  ScopedMsiHandle record(MsiCreateRecord(1));
  if (!record.IsValid()) return;
  // The line goes in as field 1 behind the template "[1]", so that brackets in it (a path) are
  // written as they are instead of being formatted as property references.
  if (MsiRecordSetStringA(record.Get(), 0, "[1]") != ERROR_SUCCESS) return;
  if (MsiRecordSetStringA(record.Get(), 1, line.c_str()) != ERROR_SUCCESS) return;
  MsiProcessMessage(session_, INSTALLMESSAGE_INFO, record.Get());
}

}  // namespace qv::msi_module
