// Typed access to the JSON of a machine profile. Every mismatch is recorded as one message of
// the form "<file>: <key>: <problem>", and the caller drops the facility it was reading.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qv::machine::profile {

using Json = nlohmann::json;

class ProfileReader {
 public:
  explicit ProfileReader(std::string file) : file_(std::move(file)) {}

  // A problem that makes the facility being read unusable.
  void Fail(const std::string& key, const std::string& problem);
  // A problem that is reported but ignored (an unknown key).
  void Note(const std::string& key, const std::string& problem);
  int Failures() const { return failures_; }
  // All messages in the order found, joined into one line.
  std::string Message() const;

  // Each returns none (after Fail) when the value has the wrong type or range.
  const Json* Object(const Json& value, const std::string& key);
  const Json* Array(const Json& value, const std::string& key);
  std::optional<std::string> String(const Json& value, const std::string& key);
  std::optional<std::int64_t> Integer(const Json& value, const std::string& key,
                                      std::int64_t minimum, std::int64_t maximum);
  // Hex digits, white space allowed between them, an even number of digits in all.
  std::optional<std::vector<std::uint8_t>> Hex(const Json& value, const std::string& key);

  // Notes every member of `object` whose name is not in `known`.
  void CheckKeys(const Json& object, const std::string& key,
                 std::initializer_list<const char*> known);

 private:
  std::string file_;
  std::vector<std::string> messages_;
  int failures_ = 0;
};

// "a.b" for a member, "a[3]" for an element; a member of the root is just its name.
std::string Member(const std::string& parent, const std::string& name);
std::string Element(const std::string& parent, std::size_t index);

}  // namespace qv::machine::profile
