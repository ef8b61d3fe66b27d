#include "machine/machine.h"

#include <algorithm>
#include <cctype>

namespace qv::machine {

// ASCII case folding only, as the registry compares key and value names.
bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace qv::machine
