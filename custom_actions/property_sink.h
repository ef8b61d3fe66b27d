// What a custom action needs of Windows Installer: properties to read and set, and the
// installer log. The custom-action module implements it over the installer's session; tests
// record what they are given.
#pragma once

#include <optional>
#include <string>

namespace qv::custom_actions {

class PropertySink {
 public:
  virtual ~PropertySink() = default;

  // The property's value ("" when it is not set), or nullopt when the installer cannot give it.
  virtual std::optional<std::string> Get(const std::string& name) = 0;

  // Sets the property; the empty value removes it, as Windows Installer does. False when the
  // installer refuses.
  virtual bool Set(const std::string& name, const std::string& value) = 0;

  // One line in the installer log. A line that cannot be written is lost: the log is never a
  // reason to fail.
  virtual void Log(const std::string& line) noexcept = 0;
};

// Logs `line`, unless memory is so short that even the line's text cannot be made: for the
// paths that report running out of memory.
inline void LogIfPossible(PropertySink& session, const char* line) noexcept {
  try {
    session.Log(line);
  } catch (...) {
  }
}

}  // namespace qv::custom_actions
