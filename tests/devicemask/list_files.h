// Helpers for tests that read real list files: list records and list text encrypted the way
// the product's list file holds it.
#pragma once

#include <string>

namespace qv::testing {

// The Base64 cipher text of `plainList` under the list pass phrase; fails the test when the
// encryption does.
std::string EncryptedList(const std::string& plainList);

// The mask that eight "0"/"1" flag columns give: offsets 4 to 9 carry bits 5 to 0, then 6, 7.
int MaskOfFlags(const std::string& flags);

// One record: "<id> <flags> <line>\n".
std::string Record(int id, const std::string& flags, const std::string& line);

}  // namespace qv::testing
