// The property sink of a running custom action: the installer session's properties
// (MsiGetPropertyA, MsiSetPropertyA) and its log (MsiProcessMessage with an information record).
// The session handle belongs to Windows Installer; this class never closes it.
#pragma once

#include "custom_actions/property_sink.h"
#include "winapi/win32.h"

#include <msi.h>

namespace qv::msi_module {

class InstallerSession : public custom_actions::PropertySink {
 public:
  explicit InstallerSession(MSIHANDLE session) : session_(session) {}

  std::optional<std::string> Get(const std::string& name) override;
  bool Set(const std::string& name, const std::string& value) override;
  void Log(const std::string& line) noexcept override;

 private:
  MSIHANDLE session_;
};

}  // namespace qv::msi_module
