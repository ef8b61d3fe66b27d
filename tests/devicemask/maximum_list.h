// A plain system-ID list of the largest size the list file allows (7671 characters), obeying
// every rule of the list format: three-digit IDs that contain a digit from 2 to 9 (so none can
// occur inside the 0/1 flag columns), each ID once, every record followed by a line end. The
// flags and line codes vary from record to record, including codes that name no line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::testing {

struct ListRecord {
  std::uint16_t id;
  std::string flags;
  std::string line;
};

constexpr int kMaximumListLength = 7671;

inline bool HasDigitAboveOne(int id) {
  for (; id > 0; id /= 10) {
    if (id % 10 > 1) return true;
  }
  return false;
}

inline std::string FlagsFor(int index) {
  std::string flags(8, '0');
  for (int column = 0; column < 8; ++column) {
    if ((index * 37 + 11) >> column & 1) flags[column] = '1';
  }
  return flags;
}

// The records of the maximum list, `lastId` last (the worst case for the search).
inline std::vector<ListRecord> MaximumListRecords(std::uint16_t lastId) {
  static const char* const kLines[] = {"GNR", "BDW", "HKM", "CJF", "WQE", "TRV", "XQZ", "gnr"};
  constexpr int kRecordLength = 17;
  constexpr int kRecordCount = kMaximumListLength / kRecordLength;
  std::vector<ListRecord> records;
  for (int id = 100; id <= 999 && static_cast<int>(records.size()) < kRecordCount - 1; ++id) {
    if (!HasDigitAboveOne(id) || id == lastId) continue;
    const int index = static_cast<int>(records.size());
    records.push_back({static_cast<std::uint16_t>(id), FlagsFor(index), kLines[index % 8]});
  }
  records.push_back({lastId, FlagsFor(kRecordCount), "HKM"});
  return records;
}

// The records as list text, padded with extra line ends to exactly kMaximumListLength.
inline std::string MaximumList(const std::vector<ListRecord>& records) {
  std::string text;
  for (const ListRecord& record : records) {
    text += std::to_string(record.id) + " " + record.flags + " " + record.line + "\n";
  }
  if (text.size() < static_cast<std::size_t>(kMaximumListLength)) {
    text.append(kMaximumListLength - text.size(), '\n');
  }
  return text;
}

}  // namespace qv::testing
