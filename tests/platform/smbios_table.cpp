#include "tests/platform/smbios_table.h"

namespace qv::testing {

SmbiosTable& SmbiosTable::Add(std::uint8_t type, const Bytes& fields,
                              const std::vector<std::string>& strings) {
  bytes_.push_back(type);
  bytes_.push_back(static_cast<std::uint8_t>(4 + fields.size()));
  bytes_.push_back(0x34);  // handle
  bytes_.push_back(0x12);
  bytes_.insert(bytes_.end(), fields.begin(), fields.end());
  for (const auto& text : strings) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
  }
  if (strings.empty()) bytes_.push_back(0);
  bytes_.push_back(0);
  return *this;
}

SmbiosTable& SmbiosTable::FeatureWords(std::uint32_t first, std::uint32_t second) {
  Bytes fields;
  for (std::uint32_t word : {first, second}) {
    for (int shift = 0; shift < 32; shift += 8) {
      fields.push_back(static_cast<std::uint8_t>(word >> shift));
    }
  }
  return Add(177, fields, {});
}

SmbiosTable& SmbiosTable::Tokens(const std::vector<std::vector<std::uint16_t>>& entries) {
  Bytes fields(7, 0);  // offsets 4 to 10 precede the entries
  for (const auto& entry : entries) {
    for (std::uint16_t v : entry) {
      fields.push_back(Lo(v));
      fields.push_back(Hi(v));
    }
  }
  fields.insert(fields.end(), {0xFF, 0xFF, 0, 0, 0, 0});
  return Add(218, fields, {});
}

SmbiosTable& SmbiosTable::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

SmbiosTable SmbiosTable::VexaMachine(std::uint8_t systemId) {
  SmbiosTable table;
  table.BiosVendor("Vexa Technologies").Manufacturer("Vexa Computer Corp.").SystemIdByte(systemId);
  return table;
}

}  // namespace qv::testing
