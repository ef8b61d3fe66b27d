// CSMBIOSParser reads one raw SMBIOS structure table (the plain concatenation of structures,
// without the entry point) and keeps the few facts the platform object needs: whether the
// machine and its BIOS come from Vexa, the 16-bit system ID, the two feature words of the
// type-177 structure and the wanted BIOS tokens of type-218 structures.
//
// Pure computation on a byte blob: no platform calls, and no byte outside the blob is read.
// It needs no Win32 header: BYTE is std::uint8_t and DWORD converts to std::uint32_t.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

// One BIOS token entry, byte for byte as a type-218 structure lists it (little-endian).
#pragma pack(push, 1)
struct SmbiosToken {
  std::uint16_t id;        // token ID
  std::uint16_t location;  // argument that reads the token through a BIOS call
  std::uint16_t value;     // value the token holds when it is active
};
#pragma pack(pop)

namespace qv::platform {
static_assert(sizeof(SmbiosToken) == 6, "SmbiosToken mirrors a 6-byte type-218 entry");

// Base of the platform object; deliberately not polymorphic.
class CSMBIOSParser {
 public:
  CSMBIOSParser();

  // Parses one raw table of `size` bytes. A later call overrides the flags, system ID and
  // feature words of an earlier one; matching tokens accumulate, and the token list is
  // emptied when the table shows neither a Vexa machine nor a Vexa BIOS.
  void ParseTables(const std::uint8_t* blob, std::uint32_t size);

  // The n-th (1-based) string of the string-set of `structure`, of which `available` bytes are
  // readable. Empty when n < 1, when the set holds fewer than n strings, or when the string's
  // terminating NUL lies beyond the readable bytes.
  static std::string GetStructureString(const std::uint8_t* structure, std::uint32_t available,
                                        int n);

  int MakerFlag() const { return makerFlag_; }
  int BiosFlag() const { return biosFlag_; }
  std::uint32_t FeatureWord1() const { return featureWord1_; }
  std::uint32_t FeatureWord2() const { return featureWord2_; }
  std::uint16_t SystemId() const { return systemId_; }
  const std::deque<SmbiosToken>& Tokens() const { return tokens_; }

 protected:
  void ClearTokens() { tokens_.clear(); }

 private:
  int makerFlag_ = 0;
  int biosFlag_ = 0;
  std::uint32_t featureWord1_ = 0;
  std::uint32_t featureWord2_ = 0;
  std::uint16_t systemId_ = 0;
  std::deque<SmbiosToken> tokens_;
};

}  // namespace qv::platform
