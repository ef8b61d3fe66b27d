#include "tools/qvtool/listcheck/record_location.h"

#include "devicemask/list_file.h"
#include "devicemask/record.h"
#include "tools/qvtool/listcheck/text_positions.h"

namespace qvtool {
namespace {

constexpr std::size_t kRecordLength = 16;

RecordLocation LocationAt(const QVString& plainList, int found) {
  RecordLocation location;
  if (found < 0) return location;
  const char* narrow = plainList.GetNarrow();  // switches the live form before the length
  const std::string text(narrow, static_cast<std::size_t>(plainList.GetLength()));
  const TextPositions positions(text);
  location.found = true;
  location.line = positions.Line(static_cast<std::size_t>(found));
  location.column = positions.Column(static_cast<std::size_t>(found));
  const std::string record = text.substr(static_cast<std::size_t>(found), kRecordLength);
  location.text = record.substr(0, record.find('\n'));
  return location;
}

}  // namespace

RecordLocation LocateRecord(const QVString& plainList, std::uint16_t systemId) {
  return LocationAt(plainList, qv::devicemask::FindRecord(plainList, systemId));
}

RecordLocation LocateUnanchored(const QVString& plainList, std::uint16_t systemId) {
  return LocationAt(plainList, qv::devicemask::FindUnanchored(plainList, systemId));
}

RecordLocation LocateRecordInFile(const char* path, std::uint16_t systemId) {
  const qv::devicemask::PlainList plain = qv::devicemask::DecryptListFile(
      path != nullptr ? path : qv::devicemask::kListFileName, qv::devicemask::ShortReadPolicy::kAccept);
  if (plain.status != qv::devicemask::PlainListStatus::kLoaded) return {};
  return LocateRecord(plain.text, systemId);
}

Json LocationJson(const RecordLocation& location) {
  if (!location.found) return nullptr;
  return Json{{"line", location.line}, {"column", location.column}, {"record", location.text}};
}

}  // namespace qvtool
