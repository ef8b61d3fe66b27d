// Builders for simulated machines in code: raw SMBIOS tables, the BIOS behind the ACPI-WMI
// mapper, and whole machines made of them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace qv::testing {

// One BIOS token as a type-218 structure lists it.
struct TokenEntry {
  std::uint16_t id;
  std::uint16_t location;
  std::uint16_t value;
};

// Builds a raw SMBIOS table: structures appended in order, each with its string-set.
class SmbiosBlobBuilder {
 public:
  // A structure of `type` whose formatted area after the 4-byte header is `body`.
  SmbiosBlobBuilder& Structure(std::uint8_t type, const std::vector<std::uint8_t>& body,
                               const std::vector<std::string>& strings = {});
  SmbiosBlobBuilder& BiosVendor(const std::string& vendor);                        // type 0
  SmbiosBlobBuilder& SystemManufacturer(const std::string& manufacturer);          // type 1
  SmbiosBlobBuilder& OemStrings(const std::vector<std::string>& strings);          // type 11
  SmbiosBlobBuilder& FeatureWords(std::uint32_t first, std::uint32_t second = 0);  // type 177
  // Type 208; IDs above 0xFF use the extended form (0xFE at offset 6, the ID at offset 8).
  SmbiosBlobBuilder& SystemId(std::uint16_t id);
  SmbiosBlobBuilder& Tokens(std::initializer_list<TokenEntry> tokens);  // type 218
  SmbiosBlobBuilder& EndOfTable();                                      // type 127

  std::vector<std::uint8_t> Build() const { return blob_; }

 private:
  std::vector<std::uint8_t> blob_;
  std::uint16_t nextHandle_ = 0;
};

// Builds the BIOS behind the mapper.
class BiosBuilder {
 public:
  BiosBuilder& TransferSize(std::int32_t size);
  // A function answering `status` and results 2 to 4 to requests whose leading arguments
  // equal `args`.
  BiosBuilder& Function(std::uint16_t functionClass, std::uint16_t selector, std::int32_t status,
                        std::uint32_t result2 = 0, std::uint32_t result3 = 0,
                        std::uint32_t result4 = 0, std::vector<std::uint32_t> args = {});
  machine::Bios Build() const { return bios_; }

 private:
  machine::Bios bios_;
};

// The SMBIOS table of a platform of the maker: system manufacturer and BIOS vendor that
// pass the maker tests, the given system ID, feature word and tokens.
std::vector<std::uint8_t> VexaTable(std::uint16_t systemId, std::uint32_t featureWord = 0,
                                    std::initializer_list<TokenEntry> tokens = {});

// A table of another maker: neither maker test passes.
std::vector<std::uint8_t> OtherMakerTable();

// A machine with WMI holding `tables` and, when given, a BIOS; on mains power by default.
std::shared_ptr<machine::Machine> MachineWith(std::vector<std::vector<std::uint8_t>> tables,
                                              std::optional<machine::Bios> bios,
                                              std::optional<std::uint8_t> acLineStatus = 1);

// A machine whose WMI locator cannot be created.
std::shared_ptr<machine::Machine> MachineWithoutWmi();

}  // namespace qv::testing
