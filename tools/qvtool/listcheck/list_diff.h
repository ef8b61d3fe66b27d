// Comparing two plain system-ID lists by what the library answers for each platform, not by
// their text: a list can change a platform's answer without touching its record (another
// record now comes first), and can be reordered without changing any answer.
//
// Pure computation on the two plain texts, like the linter; the lookups are the library's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvtool {

// What the library answers for one system ID from one list, and where it read the answer.
struct ListAnswers {
  int deviceMask = 0;   // GetDeviceMask's result (platform D's bit 3 as the list gives it)
  int decryptMask = 0;  // GetDeviceMaskDecrypt's result
  int readLine = 0;     // line the lookup read from, 0 when the ID was not found
  int readColumn = 0;
  std::string readLineText;  // that whole line, without its line end
  int ownLine = 0;           // first line that begins with the ID, 0 when none does
};

enum class ChangeCause {
  kOwnRecord,        // the record the answer comes from was edited (or cut off)
  kShadowed,         // the record it came from is still there, unchanged, but another is read
  kNoLongerShadowed  // the record it now comes from was there before, unchanged, but unread
};

struct PlatformDiff {
  std::uint16_t systemId = 0;
  ListAnswers before;  // in OLD
  ListAnswers after;   // in NEW
  ChangeCause cause = ChangeCause::kOwnRecord;

  // Mask bits whose value differs; 0 when either answer is a negative status.
  std::uint8_t ChangedMaskBits() const;
};

struct ListDiff {
  int recordsBefore = 0;  // lines that begin with a system ID
  int recordsAfter = 0;
  std::vector<PlatformDiff> added;      // a record in NEW only
  std::vector<PlatformDiff> removed;    // a record in OLD only
  std::vector<PlatformDiff> changed;    // in both; the answer changed with its record
  std::vector<PlatformDiff> shadowing;  // in both; the answer changed, its record did not

  bool Same() const;
};

// Both texts as the readers see them after decryption (LF line ends).
ListDiff DiffLists(std::string_view oldPlain, std::string_view newPlain);

// Column of the eight flag columns (1 to 8) that carries a mask bit (0 to 7).
int FlagColumnOfMaskBit(int bit);

const char* ChangeCauseName(ChangeCause cause);

}  // namespace qvtool
