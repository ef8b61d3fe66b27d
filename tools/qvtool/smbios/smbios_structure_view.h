// The structures of a raw SMBIOS table as the parser walks them, for display: where each one
// starts, its type, formatted length, handle and strings, and where and why the walk stopped.
// It is the parser's own walk, so the view and the parser never disagree about the structures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/smbios_structure_walk.h"

namespace qvtool {

struct SmbiosStructure {
  std::uint64_t offset = 0;
  int type = 0;
  int length = 0;  // of the formatted area
  int handle = 0;
  std::vector<std::string> strings;
  bool truncated = false;  // the table ends inside this structure
};

struct SmbiosWalk {
  std::vector<SmbiosStructure> structures;
  qv::platform::WalkEnd end;
};

SmbiosWalk WalkSmbiosTable(const std::string& table);

// Why the walk stopped where it did, for a table of `size` bytes: empty when it simply reached
// the table's end.
std::string DescribeWalkEnd(const qv::platform::WalkEnd& end, std::uint64_t size);

// The text with every control byte (below 0x20, and 0x7F) shown as '.', as dmidecode shows
// firmware strings, so that a string cannot move the cursor or retitle the terminal.
std::string PrintableText(const std::string& text);

// "BIOS information", "Vexa system ID", ... or "type N".
std::string SmbiosTypeName(int type);

}  // namespace qvtool
