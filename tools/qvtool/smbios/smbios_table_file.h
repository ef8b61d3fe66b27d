// The files `qvtool smbios` reads: a raw structure table (its bytes or their hexadecimal text),
// or a `dmidecode --dump-bin` file, which holds an entry point (`_SM3_` for SMBIOS 3, `_SM_` for
// SMBIOS 2, or the legacy `_DMI_`) at offset 0 and the table it describes further on, at the
// address the entry point gives (dmidecode writes the table at 0x20 and changes the address to
// match).
#pragma once

#include <string>

namespace qvtool {

struct SmbiosTableFile {
  std::string table;       // the raw structure table
  std::string entryPoint;  // what the entry point said; empty for a raw table
};

// `bytes` is the file's content (already decoded from hexadecimal text). A file that starts with
// an entry-point anchor must hold a whole entry point with a correct checksum and the start of
// the table it points to; otherwise ToolError naming `path` and the problem. A table shorter in
// the file than the entry point announces is taken as far as it goes, as dmidecode does.
SmbiosTableFile ReadSmbiosTableFile(const std::string& path, const std::string& bytes);

// Raw table bytes from a file that holds either the bytes themselves or their hexadecimal text
// (white space allowed), as machine profiles store them. ToolError naming `path` for hex text
// with an odd number of digits.
std::string DecodeTableFile(const std::string& path, const std::string& content);

}  // namespace qvtool
