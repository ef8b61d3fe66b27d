#include "tools/qvtool/output/hw_config_view.h"

#include <algorithm>
#include <iomanip>

#include "tools/qvtool/output/decode_names.h"
#include "tools/qvtool/output/hex_text.h"

using namespace qv::platform;

namespace qvtool {
namespace {

int ShownEntries(const HwConfigData& record) {
  return std::clamp(record.entryCount, 0, kHwConfigMaxEntries);
}

// Set bits this system never sets (a record written by another build).
std::vector<int> UnnamedSetBits(const HwConfigData& record) {
  std::vector<int> bits;
  for (int bit = 0; bit < kHwConfigCapabilityBits; ++bit) {
    if (HasCapability(record, bit) && CapabilityBitName(bit).empty()) bits.push_back(bit);
  }
  return bits;
}

Json CapabilitiesJson(const HwConfigData& record) {
  Json bits = Json::array();
  for (int bit = 0; bit <= kHighestNamedCapabilityBit; ++bit) {
    const std::string name = CapabilityBitName(bit);
    if (name.empty()) continue;
    bits.push_back({{"bit", bit}, {"set", HasCapability(record, bit)}, {"name", name}});
  }
  Json words = Json::array();
  for (std::uint32_t word : record.capabilities) words.push_back(Hex(word, 8));
  return Json{{"words", words}, {"named", bits}, {"otherSetBits", UnnamedSetBits(record)}};
}

}  // namespace

Json HwConfigJson(const HwConfigData& record) {
  Json entries = Json::array();
  for (int i = 0; i < ShownEntries(record); ++i) {
    const HwConfigEntry& entry = record.entries[i];
    entries.push_back({{"kind", entry.kind}, {"param1", entry.param1}, {"param2", entry.param2}});
  }
  return Json{{"capabilities", CapabilitiesJson(record)},
              {"entryCount", record.entryCount},
              {"entries", entries},
              {"extraByte", record.extraByte}};
}

void PrintHwConfig(const HwConfigData& record, std::ostream& out) {
  out << "  Capability bits:\n";
  for (int bit = 0; bit <= kHighestNamedCapabilityBit; ++bit) {
    const std::string name = CapabilityBitName(bit);
    if (name.empty()) continue;
    out << "    [" << (HasCapability(record, bit) ? 'x' : ' ') << "] " << std::setw(2) << bit
        << "  " << name << '\n';
  }
  for (int bit : UnnamedSetBits(record)) out << "    [x] " << bit << "  (not set by this system)\n";
  out << "  Entry table: " << record.entryCount << " entries\n";
  for (int i = 0; i < ShownEntries(record); ++i) {
    const HwConfigEntry& entry = record.entries[i];
    out << "    " << i << ": kind " << entry.kind << ", parameters " << entry.param1 << ", "
        << entry.param2 << '\n';
  }
  out << "  Extra byte: " << static_cast<int>(record.extraByte) << '\n';
}

}  // namespace qvtool
