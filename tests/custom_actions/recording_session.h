// A property sink that records what a custom action sets and logs, and that can be told to
// refuse a property or the reading of properties, as a broken installer session would.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "custom_actions/property_sink.h"

namespace qv::custom_actions::testing {

class RecordingSession : public PropertySink {
 public:
  std::optional<std::string> Get(const std::string& name) override {
    if (readsFail) return std::nullopt;
    return Value(name);
  }

  bool Set(const std::string& name, const std::string& value) override {
    if (refused.count(name) != 0) return false;
    if (value.empty()) {
      properties.erase(name);
    } else {
      properties[name] = value;
    }
    return true;
  }

  // As the contract says: a line that cannot be kept (memory exhausted) is lost.
  void Log(const std::string& line) noexcept override {
    try {
      log.push_back(line);
    } catch (...) {
    }
  }

  // "" when the property is not set, as Windows Installer answers.
  std::string Value(const std::string& name) const {
    const auto found = properties.find(name);
    return found != properties.end() ? found->second : "";
  }
  bool Has(const std::string& name) const { return properties.count(name) != 0; }

  // The log lines that contain `text`.
  std::vector<std::string> LinesWith(const std::string& text) const {
    std::vector<std::string> lines;
    for (const std::string& line : log)
      if (line.find(text) != std::string::npos) lines.push_back(line);
    return lines;
  }

  std::map<std::string, std::string> properties;
  std::vector<std::string> log;
  std::set<std::string> refused;
  bool readsFail = false;
};

}  // namespace qv::custom_actions::testing
