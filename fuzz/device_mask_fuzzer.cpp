// A list file of arbitrary bytes, as GetDeviceMask and GetDeviceMaskDecrypt treat it: decrypt
// it with the pass phrase, then look system IDs up in whatever plain text comes out. The
// first two input bytes give the system ID, the third the capability bit; the rest is the file.
// Inputs that start with "P:" skip the cipher and feed the rest to the lookups as plain text,
// so the fuzzer reaches the record parsing without having to forge cipher text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "devicemask/list_file.h"
#include "devicemask/lookup.h"
#include "util/qv_string.h"

namespace {

void LookUp(const QVString& plain, std::uint16_t systemId, qv::devicemask::Bit3FromPlatform bit) {
  const int mask = qv::devicemask::LookUpDeviceMask(plain, systemId, bit);
  if (mask > 6 * 256 + 255 || (mask < 0 && mask != qv::devicemask::kStatusNotFound &&
                               mask != qv::devicemask::kStatusRecordTruncated)) {
    __builtin_trap();
  }
  // Digits other than 0 and 1 widen the six-column sum, but never below the failure code.
  if (qv::devicemask::LookUpSixBitMask(plain, systemId) < -1) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint16_t systemId = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
  const qv::devicemask::Bit3FromPlatform bit =
      data[2] % 3 == 0 ? qv::devicemask::Bit3FromPlatform{} : (data[2] % 3 == 1);
  const std::string file(reinterpret_cast<const char*>(data + 3), size - 3);

  if (file.rfind("P:", 0) == 0) {
    const std::string plain = file.substr(2);
    LookUp(QVString(plain.data(), static_cast<int>(plain.size())), systemId, bit);
    return 0;
  }
  QVString text(file.data(), static_cast<int>(file.size()));
  if (!qv::devicemask::DecryptListText(text)) {
    if (std::string(text.GetNarrow(), text.GetLength()) != file) {
      __builtin_trap();  // a failed decryption leaves the text as it was
    }
    return 0;
  }
  LookUp(text, systemId, bit);
  return 0;
}
