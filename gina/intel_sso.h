// Telling Intel's wireless single-sign-on that the product's logon module is leaving.
#pragma once

#include <string>

namespace qv::gina {

// The product's "WlanChipType" setting as text, read whole however long it is; "" when the key
// or value is missing.
std::string ReadWlanChipType();

// True for chip types that name an Intel adapter: those containing the digit 4.
bool IsIntelChipType(const std::string& chipType);

// When the product's chip type names an Intel adapter, runs Intel's tool with its two commands
// (each from the tool's installed path, else from the current directory) and resets Intel's record
// of the displaced module.
void NotifyIntelSingleSignOn();

}  // namespace qv::gina
