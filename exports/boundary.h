// No exception may cross an export: the installer that calls us is not C++. Each export runs
// its body through GuardExport and returns its documented failure code when anything throws.
#pragma once

#include <utility>

namespace qv {

template <typename Body>
int GuardExport(int resultOnException, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return resultOnException;
  }
}

}  // namespace qv
