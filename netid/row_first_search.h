// The row-first search of the LAN and WWAN identifications: the table order decides which
// listed adapter is reported when several are present.
#pragma once

#include "netid/adapter_tables.h"
#include "util/qv_string.h"

namespace qv::netid {

// Tries the rows of `table` in order up to its empty row against one snapshot of the present
// devices of `enumerator`, and returns a copy of the first row that a device matches, or the
// empty string. The devices are enumerated once per search, not once per row; the answer is
// the one a full walk per row gives on a machine that does not change during the call.
QVString FindFirstPresentRow(const PatternTable& table, const char* enumerator);

}  // namespace qv::netid
