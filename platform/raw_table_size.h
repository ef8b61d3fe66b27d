// How much of a raw SMBIOS instance to parse: its "Size" property bounded by the bytes that
// its "SMBiosData" array really holds.
#pragma once

#include <cstddef>

#include "winapi/win32.h"

namespace qv::platform {

// The number of leading array bytes to parse for the value of "Size". WMI hands its unsigned
// 32-bit properties over as VT_I4, so a negative VT_I4 is a count of 2^31 or more: like every
// count beyond the array, it parses the whole array. A "Size" that is missing or of any other
// type bounds nothing either, and the whole array is parsed.
std::size_t RawTableBytesToParse(const VARIANT& size, std::size_t arrayLength);

}  // namespace qv::platform
