// Facts about the encrypted system-ID list file shared by its writer and its readers.
#pragma once

namespace qv::sysids {

// The fixed pass phrase the list is written and read with.
constexpr const char* kPassPhrase = "MARBLEOTTERKITE";

// The file's name in the current directory.
constexpr const char* kListFileName = "vexasysids.enc";

// The longest plain list whose cipher text and Base64 form fit the 10240-byte working areas
// of the encryption and the codec: 7671 bytes -> 7672 cipher bytes -> 10232 characters.
constexpr int kMaxPlainListLength = 7671;

}  // namespace qv::sysids
