#include "platform/smbios_parser.h"

#include <string_view>

#include "platform/smbios_blob.h"
#include "platform/smbios_oem_id.h"
#include "platform/smbios_structure_walk.h"
#include "platform/smbios_tokens.h"

namespace qv::platform {
namespace {

constexpr std::string_view kVexaPrefix = "Vexa ";
constexpr std::string_view kVexaSystemPrefix = "Vexa System";

enum StructureType : std::uint8_t {
  kBiosInformation = 0,
  kSystemInformation = 1,
  kOemStrings = 11,
  kFeatureWords = 177,
  kSystemIdRecord = 208,
  kTokenList = 218,
};

constexpr std::uint8_t kExtendedSystemIdMarker = 0xFE;

// What one table says; anything the table lacks stays empty or 0.
struct TableFindings {
  std::string biosVendor;
  std::string manufacturer;
  std::string firstOemString;
  std::uint16_t oemSystemId = 0;
  std::uint16_t tableSystemId = 0;
  std::uint32_t featureWord1 = 0;
  std::uint32_t featureWord2 = 0;
};

bool BeginsWith(const std::string& text, std::string_view prefix) {
  return std::string_view(text).substr(0, prefix.size()) == prefix;
}

std::string ReferencedString(const BlobView& blob, std::uint64_t structure, std::uint64_t field) {
  const auto text = NthString(blob, structure, blob.Byte(structure + field));
  return text ? std::string(*text) : std::string();
}

// String 1 is the first OEM string; strings 2 to count may carry "1[<hex>]".
void ReadOemStrings(const BlobView& blob, std::uint64_t structure, TableFindings* found) {
  const int count = blob.Byte(structure + 4);
  StringCursor strings(blob, structure);
  const auto first = strings.Next();
  found->firstOemString = first ? std::string(*first) : std::string();
  if (!first) return;
  for (int k = 2; k <= count; ++k) {
    const auto text = strings.Next();
    if (!text || ReadOemSystemId(*text, &found->oemSystemId)) return;
  }
}

std::uint16_t ReadTableSystemId(const BlobView& blob, std::uint64_t structure) {
  const std::uint8_t id = blob.Byte(structure + 6);
  return id == kExtendedSystemIdMarker ? blob.Word(structure + 8) : id;
}

void HandleStructure(const BlobView& blob, std::uint64_t structure, TableFindings* found,
                     std::deque<SmbiosToken>* tokens) {
  switch (blob.Byte(structure)) {
    case kBiosInformation:
      found->biosVendor = ReferencedString(blob, structure, 4);
      break;
    case kSystemInformation:
      found->manufacturer = ReferencedString(blob, structure, 4);
      break;
    case kOemStrings:
      ReadOemStrings(blob, structure, found);
      break;
    case kFeatureWords:
      found->featureWord1 = blob.Dword(structure + 4);
      found->featureWord2 = blob.Dword(structure + 8);
      break;
    case kSystemIdRecord:
      found->tableSystemId = ReadTableSystemId(blob, structure);
      break;
    case kTokenList:
      CollectWantedTokens(blob, structure, tokens);
      break;
    default:
      break;  // every other type, end-of-table (127) included, is walked over
  }
}

TableFindings WalkTable(const BlobView& blob, std::deque<SmbiosToken>* tokens) {
  TableFindings found;
  ForEachStructure(blob, [&](const StructureHeader& structure) {
    HandleStructure(blob, structure.offset, &found, tokens);
  });
  return found;
}

}  // namespace

CSMBIOSParser::CSMBIOSParser() = default;

void CSMBIOSParser::ParseTables(const std::uint8_t* blob, std::uint32_t size) {
  const TableFindings found = WalkTable(BlobView(blob, size), &tokens_);
  biosFlag_ = BeginsWith(found.biosVendor, kVexaPrefix) ? 1 : 0;
  makerFlag_ = BeginsWith(found.manufacturer, kVexaPrefix) ||
                       BeginsWith(found.firstOemString, kVexaSystemPrefix)
                   ? 1
                   : 0;
  if (makerFlag_ == 0 && biosFlag_ == 0) {
    systemId_ = 0;
    featureWord1_ = 0;
    featureWord2_ = 0;
    ClearTokens();
    return;
  }
  systemId_ = biosFlag_ ? found.tableSystemId : found.oemSystemId;
  featureWord1_ = found.featureWord1;
  featureWord2_ = found.featureWord2;
}

std::string CSMBIOSParser::GetStructureString(const std::uint8_t* structure,
                                              std::uint32_t available, int n) {
  const auto text = NthString(BlobView(structure, available), 0, n);
  return text ? std::string(*text) : std::string();
}

}  // namespace qv::platform
