#include "tools/qvtool/listcheck/read_back_proof.h"

#include <algorithm>
#include <optional>

#include "devicemask/record.h"
#include "devicemask/lookup.h"
#include "devicemask/list_file.h"
#include "tools/qvtool/listcheck/text_positions.h"
#include "util/qv_encryption.h"

namespace qvtool {
namespace {

using qv::devicemask::kLineCodeLength;
using qv::devicemask::kLineCodeOffset;

bool HasThreeDigitId(const ListRecord& record) {
  return record.id.size() == 3 &&
         std::all_of(record.id.begin(), record.id.end(),
                     [](char c) { return c >= '0' && c <= '9'; }) &&
         record.id[0] != '0';
}

// Line code number * 256 + 8-bit mask of the record that starts at `start`.
int RecordResult(const QVString& plain, int start) {
  const int mask = qv::devicemask::EightBitMask(qv::devicemask::ReadFlagDigits(plain, start));
  std::string code(kLineCodeLength, '\0');
  for (int i = 0; i < kLineCodeLength; ++i) {
    const int position = start + kLineCodeOffset + i;
    if (position < plain.GetLength()) code[i] = plain.GetNarrow()[position];
  }
  return qv::devicemask::LineCodeNumber(code.c_str()) * 256 + mask;
}

RecordReadBack ReadBack(const ListRecord& record, const QVString& original,
                        const QVString& decrypted, const TextPositions& positions) {
  RecordReadBack back;
  back.line = record.line;
  back.systemId = std::stoi(record.id);
  back.expectedResult = RecordResult(original, static_cast<int>(record.offset));
  const auto systemId = static_cast<std::uint16_t>(back.systemId);
  const int lookedUp = qv::devicemask::LookUpDeviceMask(decrypted, systemId, std::nullopt);
  const int found = qv::devicemask::FindRecord(decrypted, systemId);
  if (found >= 0) {
    back.foundLine = positions.Line(static_cast<std::size_t>(found));
    back.foundColumn = positions.Column(static_cast<std::size_t>(found));
  }
  if (lookedUp < 0) {
    back.status = lookedUp;
    return back;
  }
  back.result = lookedUp;
  back.ok = static_cast<std::size_t>(found) == record.offset && back.result == back.expectedResult;
  return back;
}

}  // namespace

bool RoundTrip::Ok() const {
  return encrypted && decryptedEqual && FailedRecords() == 0;
}

int RoundTrip::FailedRecords() const {
  return static_cast<int>(
      std::count_if(records.begin(), records.end(), [](const RecordReadBack& r) { return !r.ok; }));
}

RoundTrip ProveRoundTrip(const LintResult& lint) {
  RoundTrip trip;
  const QVString passPhrase(qv::devicemask::kPassPhrase);
  const QVString original(lint.plainText.data(), static_cast<int>(lint.plainText.size()));
  QVString text(original);
  trip.encrypted = QVEncryption::EncryptString(text, passPhrase);
  if (!trip.encrypted) return trip;
  trip.cipherText = text.GetNarrow();
  trip.decryptedEqual = QVEncryption::DecryptString(text, passPhrase);
  if (trip.decryptedEqual) {
    const char* narrow = text.GetNarrow();  // switches the live form before the length
    trip.decryptedEqual = std::string(narrow, text.GetLength()) == lint.plainText;
  }
  const TextPositions positions(lint.plainText);
  for (const ListRecord& record : lint.records) {
    if (HasThreeDigitId(record))
      trip.records.push_back(ReadBack(record, original, text, positions));
  }
  return trip;
}

}  // namespace qvtool
