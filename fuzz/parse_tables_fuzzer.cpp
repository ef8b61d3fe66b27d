// CSMBIOSParser on arbitrary raw tables: the first input byte splits the rest into two tables
// parsed one after the other (a machine may report several), and every string of the first
// structure is fetched from a window that ends anywhere.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/smbios_parser.h"

using namespace qv::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t split = size > 1 ? data[0] % size : 0;
  // Copies, so that ASan sees the exact end of each table.
  const std::vector<std::uint8_t> first(data + 1, data + 1 + split);
  const std::vector<std::uint8_t> second(data + 1 + split, data + size);

  CSMBIOSParser parser;
  parser.ParseTables(first.data(), static_cast<std::uint32_t>(first.size()));
  parser.ParseTables(second.data(), static_cast<std::uint32_t>(second.size()));
  if (parser.Tokens().size() > second.size() + first.size()) __builtin_trap();

  for (int n = -1; n < 4; ++n) {
    CSMBIOSParser::GetStructureString(second.data(), static_cast<std::uint32_t>(second.size()), n);
  }
  return 0;
}
