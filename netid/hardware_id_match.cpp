#include "netid/hardware_id_match.h"

namespace qv::netid {

QVString UpperCased(QVString text) {
  text.MakeUpper();
  return text;
}

bool ContainsRow(const QVString& upperInstanceId, const QVString& upperRow) {
  return upperInstanceId.Find(upperRow.GetWide(), 0) != -1;
}

}  // namespace qv::netid
