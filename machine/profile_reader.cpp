#include "machine/profile_reader.h"

#include <algorithm>

namespace qv::machine::profile {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string RangeText(std::int64_t minimum, std::int64_t maximum) {
  return "expected an integer from " + std::to_string(minimum) + " to " + std::to_string(maximum);
}

}  // namespace

void ProfileReader::Fail(const std::string& key, const std::string& problem) {
  ++failures_;
  Note(key, problem);
}

void ProfileReader::Note(const std::string& key, const std::string& problem) {
  messages_.push_back(file_ + ": " + key + ": " + problem);
}

std::string ProfileReader::Message() const {
  std::string line;
  for (const auto& message : messages_) line += (line.empty() ? "" : "; ") + message;
  return line;
}

const Json* ProfileReader::Object(const Json& value, const std::string& key) {
  if (value.is_object()) return &value;
  Fail(key, "expected an object");
  return nullptr;
}

const Json* ProfileReader::Array(const Json& value, const std::string& key) {
  if (value.is_array()) return &value;
  Fail(key, "expected an array");
  return nullptr;
}

std::optional<std::string> ProfileReader::String(const Json& value, const std::string& key) {
  if (value.is_string()) return value.get<std::string>();
  Fail(key, "expected a string");
  return std::nullopt;
}

std::optional<std::int64_t> ProfileReader::Integer(const Json& value, const std::string& key,
                                                   std::int64_t minimum, std::int64_t maximum) {
  if (!value.is_number_integer()) {
    Fail(key, "expected an integer");
    return std::nullopt;
  }
  const bool tooLarge = value.is_number_unsigned() &&
                        value.get<std::uint64_t>() > static_cast<std::uint64_t>(maximum);
  const std::int64_t number = tooLarge ? maximum : value.get<std::int64_t>();
  if (tooLarge || number < minimum || number > maximum) {
    Fail(key, RangeText(minimum, maximum));
    return std::nullopt;
  }
  return number;
}

std::optional<std::vector<std::uint8_t>> ProfileReader::Hex(const Json& value,
                                                            const std::string& key) {
  const auto text = String(value, key);
  if (!text) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (char c : *text) {
    if (IsSpace(c)) continue;
    const int digit = HexValue(c);
    if (digit < 0) {
      Fail(key, "expected hex digits");
      return std::nullopt;
    }
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high << 4 | digit));
      high = -1;
    }
  }
  if (high >= 0) {
    Fail(key, "expected an even number of hex digits");
    return std::nullopt;
  }
  return bytes;
}

void ProfileReader::CheckKeys(const Json& object, const std::string& key,
                              std::initializer_list<const char*> known) {
  for (const auto& item : object.items()) {
    const bool isKnown = std::any_of(known.begin(), known.end(),
                                     [&](const char* name) { return item.key() == name; });
    if (!isKnown) Note(Member(key, item.key()), "unknown key, ignored");
  }
}

std::string Member(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "." + name;
}

std::string Element(const std::string& parent, std::size_t index) {
  return parent + "[" + std::to_string(index) + "]";
}

}  // namespace qv::machine::profile
