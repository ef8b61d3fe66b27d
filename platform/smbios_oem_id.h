// The system ID that an OEM string of the form "1[<hex>]" carries.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv::platform {

// Reads `text` as an unsigned hexadecimal number the way strtoul(text, nullptr, 16) does with
// a 32-bit unsigned long: leading white space, an optional sign and an optional "0x" are
// accepted, digits run to the first non-hex character, no digit gives 0 and overflow saturates
// to 0xFFFFFFFF. Locale-independent, and the same on every build.
std::uint32_t HexToUnsigned32(std::string_view text);

// The OEM system ID of an OEM string: the low 16 bits of the number after "1[", or none when
// the string does not begin with "1[".
bool ReadOemSystemId(std::string_view oemString, std::uint16_t* systemId);

}  // namespace qv::platform
