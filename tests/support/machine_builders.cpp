#include "tests/support/machine_builders.h"

namespace qv::testing {
namespace {

void AppendU16(std::vector<std::uint8_t>* bytes, std::uint16_t value) {
  bytes->push_back(static_cast<std::uint8_t>(value));
  bytes->push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(std::vector<std::uint8_t>* bytes, std::uint32_t value) {
  AppendU16(bytes, static_cast<std::uint16_t>(value));
  AppendU16(bytes, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

SmbiosBlobBuilder& SmbiosBlobBuilder::Structure(std::uint8_t type,
                                                const std::vector<std::uint8_t>& body,
                                                const std::vector<std::string>& strings) {
  blob_.push_back(type);
  blob_.push_back(static_cast<std::uint8_t>(4 + body.size()));
  AppendU16(&blob_, nextHandle_++);
  blob_.insert(blob_.end(), body.begin(), body.end());
  for (const std::string& text : strings) {
    blob_.insert(blob_.end(), text.begin(), text.end());
    blob_.push_back(0);
  }
  if (strings.empty()) blob_.push_back(0);
  blob_.push_back(0);
  return *this;
}

SmbiosBlobBuilder& SmbiosBlobBuilder::BiosVendor(const std::string& vendor) {
  return Structure(0, {1, 0, 0, 0}, {vendor});
}

SmbiosBlobBuilder& SmbiosBlobBuilder::SystemManufacturer(const std::string& manufacturer) {
  return Structure(1, {1, 0, 0, 0}, {manufacturer});
}

SmbiosBlobBuilder& SmbiosBlobBuilder::OemStrings(const std::vector<std::string>& strings) {
  return Structure(11, {static_cast<std::uint8_t>(strings.size())}, strings);
}

SmbiosBlobBuilder& SmbiosBlobBuilder::FeatureWords(std::uint32_t first, std::uint32_t second) {
  std::vector<std::uint8_t> body;
  AppendU32(&body, first);
  AppendU32(&body, second);
  return Structure(177, body);
}

SmbiosBlobBuilder& SmbiosBlobBuilder::SystemId(std::uint16_t id) {
  std::vector<std::uint8_t> body = {0, 0};
  if (id <= 0xFF && id != 0xFE) {
    body.push_back(static_cast<std::uint8_t>(id));
    body.push_back(0);
    AppendU16(&body, 0);
  } else {
    body.push_back(0xFE);
    body.push_back(0);
    AppendU16(&body, id);
  }
  return Structure(208, body);
}

SmbiosBlobBuilder& SmbiosBlobBuilder::Tokens(std::initializer_list<TokenEntry> tokens) {
  std::vector<std::uint8_t> body(7, 0);  // formatted bytes 4 to 10 precede the entries
  for (const TokenEntry& token : tokens) {
    AppendU16(&body, token.id);
    AppendU16(&body, token.location);
    AppendU16(&body, token.value);
  }
  AppendU16(&body, 0xFFFF);
  AppendU16(&body, 0);
  AppendU16(&body, 0);
  return Structure(218, body);
}

SmbiosBlobBuilder& SmbiosBlobBuilder::EndOfTable() {
  return Structure(127, {});
}

BiosBuilder& BiosBuilder::TransferSize(std::int32_t size) {
  bios_.transferSize = size;
  return *this;
}

BiosBuilder& BiosBuilder::Function(std::uint16_t functionClass, std::uint16_t selector,
                                   std::int32_t status, std::uint32_t result2,
                                   std::uint32_t result3, std::uint32_t result4,
                                   std::vector<std::uint32_t> args) {
  machine::BiosFunction function;
  function.functionClass = functionClass;
  function.selector = selector;
  function.args = std::move(args);
  function.status = status;
  function.results = {result2, result3, result4};
  bios_.functions.push_back(std::move(function));
  return *this;
}

std::vector<std::uint8_t> VexaTable(std::uint16_t systemId, std::uint32_t featureWord,
                                    std::initializer_list<TokenEntry> tokens) {
  SmbiosBlobBuilder table;
  table.BiosVendor("Vexa Computer Corp.")
      .SystemManufacturer("Vexa Computer Corp.")
      .FeatureWords(featureWord)
      .SystemId(systemId);
  if (tokens.size() != 0) table.Tokens(tokens);
  return table.EndOfTable().Build();
}

std::vector<std::uint8_t> OtherMakerTable() {
  return SmbiosBlobBuilder()
      .BiosVendor("Generic BIOS Inc.")
      .SystemManufacturer("Some Other Maker")
      .FeatureWords(0x7E)
      .SystemId(0x01A4)
      .Tokens({{0x01FB, 0x10, 1}})
      .EndOfTable()
      .Build();
}

std::shared_ptr<machine::Machine> MachineWith(std::vector<std::vector<std::uint8_t>> tables,
                                              std::optional<machine::Bios> bios,
                                              std::optional<std::uint8_t> acLineStatus) {
  auto simulated = std::make_shared<machine::Machine>();
  simulated->description = "simulated in code";
  simulated->acLineStatus = acLineStatus;
  simulated->wmi = machine::Wmi{};
  simulated->wmi->smbiosTables = std::move(tables);
  simulated->wmi->bios = std::move(bios);
  return simulated;
}

std::shared_ptr<machine::Machine> MachineWithoutWmi() {
  auto simulated = std::make_shared<machine::Machine>();
  simulated->description = "simulated in code, without WMI";
  simulated->acLineStatus = 1;
  return simulated;
}

}  // namespace qv::testing
