// The hardware-ID tables of the network adapters the product recognises. Each table is an
// ordered list of upper-case instance-ID fragments that ends with one empty row.
#pragma once

#include <vector>

#include "util/qv_string.h"

namespace qv::netid {

using PatternTable = std::vector<QVString>;

// Wired Ethernet, PCI: 30 Broadcom rows (VEN_14E4) followed by 22 Intel rows (VEN_8086).
PatternTable LANDeviceIDs();
// Wireless LAN, PCI: 7 Broadcom rows.
PatternTable WLANDeviceIDs();
// Mobile broadband modems, USB: 4 rows of the maker's own USB vendor id.
PatternTable WWANDeviceIDs();

// The product-id field ("PID_pppp") of each WWANDeviceIDs row, in row order.
constexpr int kWWANRowCount = 4;
extern const char* const kWWANProductIDs[kWWANRowCount];

}  // namespace qv::netid
