#include "devicemask/record_lookup.h"

namespace qv::devicemask {

QVString SystemIdKey(std::uint16_t systemId) {
  QVString key;
  key.Format("%d", static_cast<int>(systemId));
  return key;
}

int FindRecord(const QVString& plainList, std::uint16_t systemId) {
  // Positions count bytes of the narrow text, where the fields are then read.
  plainList.GetNarrow();
  const QVString key = SystemIdKey(systemId);
  return plainList.Find(key.GetNarrow(), 0);
}

int FlagDigitAt(const QVString& plainList, int position) {
  if (position < 0 || position >= plainList.GetLength()) return 0;
  // A one-character string read as a decimal number: digits give their value, the rest 0.
  return QVString(plainList.GetNarrow()[position]).ToInt();
}

}  // namespace qv::devicemask
