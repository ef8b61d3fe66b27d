// The record of enumeration and Next arguments that wbem_control.h hands to tests.
#include "winapi/posix/wbem_call_log.h"

#include <mutex>

#include "winapi/posix/wbem_control.h"

namespace qv::standin {
namespace {

struct CallRecord {
  std::mutex lock;
  std::vector<EnumerationArguments> enumerations;
  std::vector<NextArguments> nexts;
};

CallRecord& TheRecord() {
  static CallRecord* record = new CallRecord;
  return *record;
}

}  // namespace

void RecordEnumeration(const std::u16string& what, std::int32_t flags) {
  std::lock_guard<std::mutex> guard(TheRecord().lock);
  TheRecord().enumerations.push_back({what, flags});
}

void RecordNext(std::int32_t timeout, std::uint32_t count) {
  std::lock_guard<std::mutex> guard(TheRecord().lock);
  TheRecord().nexts.push_back({timeout, count});
}

std::vector<EnumerationArguments> EnumerationCalls() {
  std::lock_guard<std::mutex> guard(TheRecord().lock);
  return TheRecord().enumerations;
}

std::vector<NextArguments> NextCalls() {
  std::lock_guard<std::mutex> guard(TheRecord().lock);
  return TheRecord().nexts;
}

void ResetEnumerationCalls() {
  std::lock_guard<std::mutex> guard(TheRecord().lock);
  TheRecord().enumerations.clear();
  TheRecord().nexts.clear();
}

}  // namespace qv::standin
