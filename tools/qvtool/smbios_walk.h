// The structures of a raw SMBIOS table as the parser walks them, for display: where each one
// starts, its type, formatted length, handle and strings. The walk follows the parser's rule
// (the next structure starts after the double NUL that ends the string-set) and reads nothing
// past the end of the table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtool {

struct SmbiosStructure {
  std::uint64_t offset = 0;
  int type = 0;
  int length = 0;  // of the formatted area
  int handle = 0;
  std::vector<std::string> strings;
  bool truncated = false;  // the table ends inside this structure
};

std::vector<SmbiosStructure> WalkSmbiosTable(const std::string& table);

// "BIOS information", "Vexa system ID", ... or "type N".
std::string SmbiosTypeName(int type);

// Raw table bytes from a file that holds either the bytes themselves or their hexadecimal text
// (white space allowed), as machine profiles store them. ToolError naming `path` for hex text
// with an odd number of digits.
std::string DecodeTableFile(const std::string& path, const std::string& content);

}  // namespace qvtool
