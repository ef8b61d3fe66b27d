#include "platform/smbios_blob.h"

#include <cstring>

namespace qv::platform {

std::uint8_t BlobView::Byte(std::uint64_t offset) const {
  return Contains(offset, 1) ? data_[offset] : 0;
}

std::uint16_t BlobView::Word(std::uint64_t offset) const {
  if (!Contains(offset, 2)) return 0;
  return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
}

std::uint32_t BlobView::Dword(std::uint64_t offset) const {
  if (!Contains(offset, 4)) return 0;
  return static_cast<std::uint32_t>(Word(offset)) | static_cast<std::uint32_t>(Word(offset + 2))
                                                        << 16;
}

std::optional<std::uint64_t> BlobView::SkipStringSet(std::uint64_t from) const {
  std::uint64_t position = from;
  while (position < size_) {
    const void* nul = std::memchr(data_ + position, 0, static_cast<std::size_t>(size_ - position));
    if (nul == nullptr) return std::nullopt;
    position = static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(nul) - data_);
    if (position + 1 >= size_) return std::nullopt;
    if (data_[position + 1] == 0) return position + 2;
    position += 2;  // the byte after this NUL is not NUL, so neither can start the pair
  }
  return std::nullopt;
}

std::optional<std::string_view> BlobView::TextAt(std::uint64_t offset) const {
  if (offset >= size_) return std::nullopt;
  const auto length = static_cast<std::size_t>(size_ - offset);
  const void* nul = std::memchr(data_ + offset, 0, length);
  if (nul == nullptr) return std::nullopt;
  const auto* begin = reinterpret_cast<const char*>(data_ + offset);
  return std::string_view(begin, static_cast<std::size_t>(static_cast<const char*>(nul) - begin));
}

StringCursor::StringCursor(const BlobView& blob, std::uint64_t structure)
    : blob_(blob), position_(structure + blob.Byte(structure + 1)) {}

std::optional<std::string_view> StringCursor::Next() {
  if (ended_) return std::nullopt;
  const auto text = blob_.TextAt(position_);
  if (!text || text->empty()) {
    ended_ = true;  // a NUL where a string would start closes the set
    return std::nullopt;
  }
  position_ += text->size() + 1;
  return text;
}

std::optional<std::string_view> NthString(const BlobView& blob, std::uint64_t structure, int n) {
  if (n < 1) return std::nullopt;
  StringCursor strings(blob, structure);
  for (int k = 1; k < n; ++k) {
    if (!strings.Next()) return std::nullopt;
  }
  return strings.Next();
}

}  // namespace qv::platform
