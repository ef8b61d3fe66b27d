// The matching rule of the adapter tables: a device matches a row when its instance ID,
// upper-cased, contains the upper-cased row anywhere. Only the ASCII letters a to z change
// case, so the comparison ignores their case and nothing else.
#pragma once

#include "util/qv_string.h"

namespace qv::netid {

// An upper-cased copy of `text` (wide-live).
QVString UpperCased(QVString text);

// Both arguments must already be upper-cased (UpperCased).
bool ContainsRow(const QVString& upperInstanceId, const QVString& upperRow);

}  // namespace qv::netid
