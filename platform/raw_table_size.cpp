#include "platform/raw_table_size.h"

#include <algorithm>
#include <cstdint>

namespace qv::platform {

std::size_t RawTableBytesToParse(const VARIANT& size, std::size_t arrayLength) {
  std::uint64_t declared = arrayLength;
  if (size.vt == VT_I4) declared = static_cast<std::uint32_t>(size.lVal);
  if (size.vt == VT_UI4) declared = size.ulVal;
  return static_cast<std::size_t>(std::min<std::uint64_t>(declared, arrayLength));
}

}  // namespace qv::platform
