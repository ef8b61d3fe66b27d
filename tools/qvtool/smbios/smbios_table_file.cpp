#include "tools/qvtool/smbios/smbios_table_file.h"

#include <cctype>
#include <cstdint>

#include "tools/qvtool/output/hex_text.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

bool IsHexText(const std::string& content) {
  bool anyDigit = false;
  for (unsigned char c : content) {
    if (std::isxdigit(c)) {
      anyDigit = true;
    } else if (!std::isspace(c)) {
      return false;
    }
  }
  return anyDigit;
}

// Where an entry point puts the table, and what it says about itself.
struct TableLocation {
  std::uint64_t address = 0;
  std::uint64_t length = 0;
  std::string description;
};

class EntryPoint {
 public:
  EntryPoint(const std::string& path, const std::string& bytes) : path_(path), bytes_(bytes) {}

  bool HasAnchor(std::size_t offset, const char* anchor) const {
    return offset <= bytes_.size() && bytes_.compare(offset, Length(anchor), anchor) == 0;
  }

  std::uint64_t Read(std::size_t offset, int width) const {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | Byte(offset + i);
    return value;
  }

  void RequireBytes(std::size_t length, const std::string& what) const {
    if (length > bytes_.size()) Fail(what + " is cut short");
  }

  // Refuses the file unless the `length` bytes from `offset` sum to 0 modulo 256.
  void RequireChecksum(std::size_t offset, std::size_t length, const std::string& what) const {
    RequireBytes(offset + length, what);
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum += Byte(offset + i);
    if (sum % 256 != 0) Fail(what + " has a wrong checksum");
  }

  [[noreturn]] void Fail(const std::string& problem) const {
    throw ToolError(path_ + ": " + problem + "; not an SMBIOS dump qvtool can read");
  }

 private:
  static std::size_t Length(const char* text) { return std::char_traits<char>::length(text); }
  std::uint8_t Byte(std::size_t offset) const {
    return offset < bytes_.size() ? static_cast<std::uint8_t>(bytes_[offset]) : 0;
  }

  const std::string& path_;
  const std::string& bytes_;
};

// dmidecode refuses entry points that claim more than 32 bytes; so does qvtool.
constexpr std::uint64_t kMaxEntryPointLength = 0x20;

std::string Version(const EntryPoint& entry, std::size_t major) {
  return std::to_string(entry.Read(major, 1)) + "." + std::to_string(entry.Read(major + 1, 1));
}

TableLocation ReadSmbios3(const EntryPoint& entry) {
  const std::uint64_t length = entry.Read(0x06, 1);
  if (length > kMaxEntryPointLength) entry.Fail("the _SM3_ entry point is too long");
  entry.RequireBytes(0x18, "the _SM3_ entry point");
  entry.RequireChecksum(0, length, "the _SM3_ entry point");
  return {entry.Read(0x10, 8), entry.Read(0x0C, 4),
          "SMBIOS " + Version(entry, 0x07) + " (_SM3_ entry point)"};
}

TableLocation ReadSmbios2(const EntryPoint& entry) {
  const std::uint64_t length = entry.Read(0x05, 1);
  if (length > kMaxEntryPointLength) entry.Fail("the _SM_ entry point is too long");
  entry.RequireBytes(0x1F, "the _SM_ entry point");
  entry.RequireChecksum(0, length, "the _SM_ entry point");
  if (!entry.HasAnchor(0x10, "_DMI_")) entry.Fail("the _SM_ entry point lacks its _DMI_ part");
  entry.RequireChecksum(0x10, 0x0F, "the _DMI_ part of the _SM_ entry point");
  return {entry.Read(0x18, 4), entry.Read(0x16, 2),
          "SMBIOS " + Version(entry, 0x06) + " (_SM_ entry point), " +
              std::to_string(entry.Read(0x1C, 2)) + " structures announced"};
}

TableLocation ReadLegacy(const EntryPoint& entry) {
  entry.RequireBytes(0x0F, "the _DMI_ entry point");
  entry.RequireChecksum(0, 0x0F, "the _DMI_ entry point");
  const auto revision = static_cast<unsigned>(entry.Read(0x0E, 1));
  return {entry.Read(0x08, 4), entry.Read(0x06, 2),
          "DMI " + std::to_string(revision >> 4) + "." + std::to_string(revision & 0x0F) +
              " (legacy _DMI_ entry point), " + std::to_string(entry.Read(0x0C, 2)) +
              " structures announced"};
}

}  // namespace

SmbiosTableFile ReadSmbiosTableFile(const std::string& path, const std::string& bytes) {
  const EntryPoint entry(path, bytes);
  TableLocation location;
  if (entry.HasAnchor(0, "_SM3_")) {
    location = ReadSmbios3(entry);
  } else if (entry.HasAnchor(0, "_SM_")) {
    location = ReadSmbios2(entry);
  } else if (entry.HasAnchor(0, "_DMI_")) {
    location = ReadLegacy(entry);
  } else {
    return {bytes, std::string()};
  }
  if (location.address >= bytes.size()) {
    entry.Fail("the entry point places the table at " + Hex(location.address, 8) +
               ", past the file's " + std::to_string(bytes.size()) + " bytes");
  }
  const std::uint64_t available = bytes.size() - location.address;
  std::string description = location.description + ", table at " + Hex(location.address, 8) + ", " +
                            std::to_string(location.length) + " bytes";
  if (available < location.length) {
    description += " (the file holds " + std::to_string(available) + ")";
  }
  const auto take =
      static_cast<std::size_t>(available < location.length ? available : location.length);
  return {bytes.substr(static_cast<std::size_t>(location.address), take), description};
}

std::string DecodeTableFile(const std::string& path, const std::string& content) {
  if (!IsHexText(content)) return content;
  std::string bytes;
  int high = -1;
  for (unsigned char c : content) {
    if (!std::isxdigit(c)) continue;
    const int value = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    if (high < 0) {
      high = value;
    } else {
      bytes.push_back(static_cast<char>(high << 4 | value));
      high = -1;
    }
  }
  if (high >= 0) throw ToolError(path + ": hexadecimal table text has an odd number of digits");
  return bytes;
}

}  // namespace qvtool
