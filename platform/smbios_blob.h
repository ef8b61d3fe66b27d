// Bounded access to a raw SMBIOS table: every read checks the table's end first, the way
// dmidecode walks structures. A field that would extend past the end reads as 0, and a string
// whose terminating NUL lies past the end counts as absent.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qv::platform {

class BlobView {
 public:
  BlobView(const std::uint8_t* data, std::uint64_t size) : data_(data), size_(data ? size : 0) {}

  std::uint64_t Size() const { return size_; }
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  std::uint8_t Byte(std::uint64_t offset) const;
  std::uint16_t Word(std::uint64_t offset) const;
  std::uint32_t Dword(std::uint64_t offset) const;

  // Offset just past the first two consecutive NUL bytes at or after `from`: where the next
  // structure begins. None when the table ends first.
  std::optional<std::uint64_t> SkipStringSet(std::uint64_t from) const;

  // The NUL-terminated text starting at `offset`, or none when the NUL is missing.
  std::optional<std::string_view> TextAt(std::uint64_t offset) const;

 private:
  const std::uint8_t* data_;
  std::uint64_t size_;
};

// Walks the strings of one structure's string-set in order, from string 1.
class StringCursor {
 public:
  StringCursor(const BlobView& blob, std::uint64_t structure);

  // The next string, or none once the set has ended (or its text runs off the table).
  std::optional<std::string_view> Next();

 private:
  const BlobView& blob_;
  std::uint64_t position_;
  bool ended_ = false;
};

// String n (1-based) of the structure at `structure`; none when n < 1 or the set is shorter.
std::optional<std::string_view> NthString(const BlobView& blob, std::uint64_t structure, int n);

}  // namespace qv::platform
