#include "tools/qvtool/listcheck/list_diff.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>

#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "tools/qvtool/listcheck/text_positions.h"
#include "util/qv_string.h"

namespace qvtool {
namespace {

constexpr int kRecordIdLength = 3;

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The system ID a line begins with: three digits whose decimal text is the lookup's key.
std::optional<std::uint16_t> RecordId(const std::string& line) {
  if (line.size() < kRecordIdLength) return std::nullopt;
  for (int i = 0; i < kRecordIdLength; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return std::nullopt;
  }
  if (line[0] == '0') return std::nullopt;  // "042" is never the key of 42
  return static_cast<std::uint16_t>(std::stoi(line.substr(0, kRecordIdLength)));
}

class ListView {
 public:
  explicit ListView(std::string_view plain)
      : text_(plain.data(), static_cast<int>(plain.size())),
        positions_(plain),
        lines_(SplitLines(plain)) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const auto id = RecordId(lines_[i]);
      if (id) firstLineOf_.emplace(*id, static_cast<int>(i) + 1);
      if (id) ++recordCount_;
    }
  }

  const std::map<std::uint16_t, int>& Platforms() const { return firstLineOf_; }
  int RecordCount() const { return recordCount_; }
  bool HasLine(const std::string& line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
  }

  ListAnswers AnswersFor(std::uint16_t systemId) const {
    ListAnswers answers;
    answers.deviceMask = qv::devicemask::LookUpDeviceMask(text_, systemId, std::nullopt);
    answers.decryptMask = qv::devicemask::LookUpSixBitMask(text_, systemId);
    const int found = qv::devicemask::FindRecord(text_, systemId);
    if (found >= 0) {
      answers.readLine = positions_.Line(static_cast<std::size_t>(found));
      answers.readColumn = positions_.Column(static_cast<std::size_t>(found));
      answers.readLineText = lines_[static_cast<std::size_t>(answers.readLine) - 1];
    }
    const auto own = firstLineOf_.find(systemId);
    if (own != firstLineOf_.end()) answers.ownLine = own->second;
    return answers;
  }

 private:
  QVString text_;
  TextPositions positions_;
  std::vector<std::string> lines_;
  std::map<std::uint16_t, int> firstLineOf_;
  int recordCount_ = 0;
};

bool SameAnswers(const ListAnswers& a, const ListAnswers& b) {
  return a.deviceMask == b.deviceMask && a.decryptMask == b.decryptMask;
}

bool SameReadPlace(const ListAnswers& a, const ListAnswers& b) {
  return a.readLineText == b.readLineText && a.readColumn == b.readColumn;
}

// Why an answer changed although the platform has a record in both lists.
ChangeCause CauseOf(const ListAnswers& before, const ListAnswers& after, const ListView& oldList,
                    const ListView& newList) {
  if (before.readLine == 0 || after.readLine == 0 || SameReadPlace(before, after)) {
    return ChangeCause::kOwnRecord;
  }
  if (newList.HasLine(before.readLineText)) return ChangeCause::kShadowed;
  if (oldList.HasLine(after.readLineText)) return ChangeCause::kNoLongerShadowed;
  return ChangeCause::kOwnRecord;
}

}  // namespace

std::uint8_t PlatformDiff::ChangedMaskBits() const {
  if (before.deviceMask < 0 || after.deviceMask < 0) return 0;
  return static_cast<std::uint8_t>((before.deviceMask ^ after.deviceMask) & 0xFF);
}

bool ListDiff::Same() const {
  return added.empty() && removed.empty() && changed.empty() && shadowing.empty();
}

ListDiff DiffLists(std::string_view oldPlain, std::string_view newPlain) {
  const ListView oldList(oldPlain);
  const ListView newList(newPlain);
  ListDiff diff;
  diff.recordsBefore = oldList.RecordCount();
  diff.recordsAfter = newList.RecordCount();

  std::set<std::uint16_t> ids;
  for (const auto& [id, line] : oldList.Platforms()) ids.insert(id);
  for (const auto& [id, line] : newList.Platforms()) ids.insert(id);
  for (const std::uint16_t id : ids) {
    PlatformDiff entry{id, oldList.AnswersFor(id), newList.AnswersFor(id)};
    if (entry.before.ownLine == 0) {
      diff.added.push_back(entry);
    } else if (entry.after.ownLine == 0) {
      diff.removed.push_back(entry);
    } else if (!SameAnswers(entry.before, entry.after)) {
      entry.cause = CauseOf(entry.before, entry.after, oldList, newList);
      (entry.cause == ChangeCause::kOwnRecord ? diff.changed : diff.shadowing).push_back(entry);
    }
  }
  return diff;
}

int FlagColumnOfMaskBit(int bit) {
  // Columns 1 to 6 carry bits 5 down to 0; columns 7 and 8 carry bits 6 and 7.
  return bit <= 5 ? 6 - bit : bit + 1;
}

const char* ChangeCauseName(ChangeCause cause) {
  switch (cause) {
    case ChangeCause::kShadowed:
      return "shadowed";
    case ChangeCause::kNoLongerShadowed:
      return "no-longer-shadowed";
    default:
      return "record";
  }
}

}  // namespace qvtool
