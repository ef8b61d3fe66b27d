// The walk over the structures of a raw SMBIOS table, shared by the parser and by qvtool's
// table view so that both see the same structures.
//
// A structure is taken only when its 4-byte header (type, formatted length, handle) fits in
// what is left of the table and its formatted length is at least 4. Otherwise the walk stops
// there and takes nothing from it: a lone trailing byte, or zero padding after the
// end-of-table structure, cannot be told from a damaged structure, and its fields would
// overwrite what the real structures said. The next structure starts just after the double
// NUL that ends the string-set; a string-set that the table ends inside is still taken, as the
// last structure. The end-of-table structure (type 127) is walked over like any other.
#pragma once

#include <cstdint>

#include "platform/smbios_blob.h"

namespace qv::platform {

constexpr std::uint64_t kStructureHeaderLength = 4;

struct StructureHeader {
  std::uint64_t offset = 0;  // from the start of the table
  std::uint8_t type = 0;
  std::uint8_t length = 0;  // of the formatted area, header included
  std::uint16_t handle = 0;
  bool complete = false;  // its string-set ends inside the table
};

enum class WalkStop {
  kTableEnd,       // the last structure ended exactly at the table's end
  kShortHeader,    // fewer than 4 bytes were left
  kShortLength,    // a declared formatted length below 4
  kOpenStringSet,  // the table ends inside the last structure taken
};

struct WalkEnd {
  WalkStop reason = WalkStop::kTableEnd;
  std::uint64_t offset = 0;  // where the walk stopped
};

// Calls visit(const StructureHeader&) for each structure, in table order.
template <typename Visit>
WalkEnd ForEachStructure(const BlobView& blob, Visit&& visit) {
  std::uint64_t offset = 0;
  while (offset < blob.Size()) {
    if (!blob.Contains(offset, kStructureHeaderLength)) return {WalkStop::kShortHeader, offset};
    StructureHeader header;
    header.offset = offset;
    header.type = blob.Byte(offset);
    header.length = blob.Byte(offset + 1);
    header.handle = blob.Word(offset + 2);
    if (header.length < kStructureHeaderLength) return {WalkStop::kShortLength, offset};
    const auto next = blob.SkipStringSet(offset + header.length);
    header.complete = next.has_value();
    visit(static_cast<const StructureHeader&>(header));
    if (!next) return {WalkStop::kOpenStringSet, offset};
    offset = *next;
  }
  return {WalkStop::kTableEnd, offset};
}

}  // namespace qv::platform
