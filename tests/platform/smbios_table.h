// Builds raw SMBIOS tables for the parser tests, one structure at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::testing {

using Bytes = std::vector<std::uint8_t>;

class SmbiosTable {
 public:
  // Appends a structure: type, formatted length 4 + fields.size(), a handle, `fields` (the
  // formatted bytes from offset 4 on), then the strings and the closing NUL.
  SmbiosTable& Add(std::uint8_t type, const Bytes& fields, const std::vector<std::string>& strings);

  SmbiosTable& BiosVendor(const std::string& vendor) { return Add(0, {1, 2, 0, 0}, {vendor}); }
  SmbiosTable& Manufacturer(const std::string& maker) { return Add(1, {1, 0, 0, 0}, {maker}); }
  SmbiosTable& OemStrings(const std::vector<std::string>& strings) {
    return Add(11, {static_cast<std::uint8_t>(strings.size())}, strings);
  }
  SmbiosTable& SystemIdByte(std::uint8_t id) { return Add(208, {0, 0, id, 0}, {}); }
  SmbiosTable& ExtendedSystemId(std::uint16_t id) {
    return Add(208, {0, 0, 0xFE, 0, Lo(id), Hi(id)}, {});
  }
  SmbiosTable& FeatureWords(std::uint32_t first, std::uint32_t second);
  // A type-218 structure listing {id, location, value} entries and the 0xFFFF terminator.
  SmbiosTable& Tokens(const std::vector<std::vector<std::uint16_t>>& entries);
  SmbiosTable& EndOfTable() { return Add(127, {}, {}); }
  SmbiosTable& Raw(const Bytes& bytes);

  // A Vexa machine with a Vexa BIOS and the given type-208 system ID.
  static SmbiosTable VexaMachine(std::uint8_t systemId);

  const Bytes& bytes() const { return bytes_; }

  static std::uint8_t Lo(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
  static std::uint8_t Hi(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }

 private:
  Bytes bytes_;
};

}  // namespace qv::testing
