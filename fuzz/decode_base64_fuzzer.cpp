// QVEncryption::DecodeBase64 on arbitrary text with every capacity up to the working area and
// beyond: the decoder must never write past the capacity it was given, and what it reports
// must agree with what it wrote.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "util/qv_encryption.h"

namespace {

constexpr unsigned char kUntouched = 0xA5;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes give the capacity, the rest is the NUL-terminated text.
  const DWORD capacity = (static_cast<DWORD>(data[0]) << 8 | data[1]) % 16384;
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  std::vector<char> buffer(text.c_str(), text.c_str() + text.size() + 1);
  // A heap block of exactly the capacity: ASan catches any byte written beyond it.
  std::vector<unsigned char> out(capacity, kUntouched);

  DWORD length = capacity;
  const bool decoded = QVEncryption::DecodeBase64(buffer.data(), out.data(), length);
  if (decoded && length > capacity) __builtin_trap();
  if (!decoded) {
    for (unsigned char byte : out)
      if (byte != kUntouched) __builtin_trap();  // a refused decode leaves the buffer alone
  }
  // What the decoder accepted encodes back to text that decodes to the same bytes.
  if (decoded && length > 0 && length <= 7000) {
    QVString again =
        QVEncryption::EncodeBase64(out.data(), static_cast<unsigned int>(length), false);
    std::vector<char> encoded(again.GetNarrow(), again.GetNarrow() + again.GetLength() + 1);
    // Capacity equal to the text's length, as the string decryption passes it.
    std::vector<unsigned char> round(encoded.size());
    DWORD roundLength = static_cast<DWORD>(again.GetLength());
    if (!QVEncryption::DecodeBase64(encoded.data(), round.data(), roundLength) ||
        roundLength != length || std::memcmp(round.data(), out.data(), length) != 0) {
      __builtin_trap();
    }
  }
  return 0;
}
