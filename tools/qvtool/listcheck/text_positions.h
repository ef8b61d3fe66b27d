// Line and column of an offset in a text, both 1-based; lines end at LF.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace qvtool {

class TextPositions {
 public:
  TextPositions() : lineStarts_{0} {}
  explicit TextPositions(std::string_view text) : lineStarts_{0} {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') lineStarts_.push_back(i + 1);
    }
  }

  int Line(std::size_t offset) const { return static_cast<int>(LineIndex(offset)) + 1; }
  int Column(std::size_t offset) const {
    return static_cast<int>(offset - lineStarts_[LineIndex(offset)]) + 1;
  }

 private:
  std::size_t LineIndex(std::size_t offset) const {
    auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<std::size_t>(next - lineStarts_.begin()) - 1;
  }

  std::vector<std::size_t> lineStarts_;
};

}  // namespace qvtool
