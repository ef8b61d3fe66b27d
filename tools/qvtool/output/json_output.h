// Results printed either as text for people or, with --json, as one JSON document for scripts.
#pragma once

#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

namespace qvtool {

using Json = nlohmann::ordered_json;

// Text that is not UTF-8 (lists are ANSI code-page text) is printed with replacement characters
// instead of failing.
inline void PrintJson(const Json& document) {
  std::cout << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace qvtool
