#include "platform/smbios_tokens.h"

#include <optional>

namespace qv::platform {
namespace {

constexpr std::uint64_t kFirstEntry = 11;
constexpr std::uint64_t kEntrySize = sizeof(SmbiosToken);
constexpr std::uint16_t kEndOfList = 0xFFFF;

std::optional<SmbiosToken> FindEntry(const BlobView& blob, std::uint64_t structure,
                                     std::uint16_t wanted) {
  const std::uint8_t formattedLength = blob.Byte(structure + 1);
  for (std::uint64_t entry = kFirstEntry; entry < formattedLength; entry += kEntrySize) {
    // An entry cut off by the end of the table is still read: its missing fields read as 0.
    const std::uint64_t at = structure + entry;
    const std::uint16_t id = blob.Word(at);
    if (id == kEndOfList) break;
    if (id == wanted) return SmbiosToken{id, blob.Word(at + 2), blob.Word(at + 4)};
  }
  return std::nullopt;
}

}  // namespace

void CollectWantedTokens(const BlobView& blob, std::uint64_t structure,
                         std::deque<SmbiosToken>* tokens) {
  for (std::uint16_t wanted : kWantedTokens) {
    if (auto token = FindEntry(blob, structure, wanted)) tokens->push_back(*token);
  }
}

}  // namespace qv::platform
