// Walks over the present devices of one bus enumerator ("PCI", "USB"), looking for a
// hardware-ID fragment in their instance IDs.
#pragma once

#include "netid/adapter_tables.h"
#include "util/qv_string.h"

namespace qv::netid {

// One complete walk: true when a present device of `enumerator` has an instance ID that
// contains `pattern` (ignoring the case of ASCII letters). Every failure of the platform counts
// as no match; a device whose instance ID cannot be fetched ends the walk.
bool IsDevicePresent(const char* enumerator, QVString pattern);

// Row-first search: tries the rows of `table` in order up to its empty row, one full walk per
// row, and returns a copy of the first row that a present device matches, or the empty string.
// So when several listed adapters are present, the table order decides.
QVString FindFirstPresentRow(const PatternTable& table, const char* enumerator);

}  // namespace qv::netid
