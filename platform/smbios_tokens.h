// The BIOS tokens that the platform object wants from type-218 (0xDA) structures.
#pragma once

#include <array>
#include <cstdint>
#include <deque>

#include "platform/smbios_blob.h"
#include "platform/smbios_parser.h"

namespace qv::platform {

// In the order in which they enter the token list.
constexpr std::array<std::uint16_t, 13> kWantedTokens = {
    0x0188, 0x007D, 0x0152, 0x017C, 0x017D, 0x017E, 0x0180,
    0x01EE, 0x01EF, 0x01F8, 0x01F9, 0x01FA, 0x01FB,
};

// Appends to `tokens`, in wanted-list order, the first entry for each wanted token ID that the
// type-218 structure at `structure` lists. Entries start at offset 11, six bytes apart; the
// list ends at an ID of 0xFFFF or at the end of the formatted area. Fields of an entry that
// lie past the end of the table read as 0.
void CollectWantedTokens(const BlobView& blob, std::uint64_t structure,
                         std::deque<SmbiosToken>* tokens);

}  // namespace qv::platform
