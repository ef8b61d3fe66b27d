#include "winapi/posix/wbem_bios.h"

#include <cstring>
#include <mutex>

#include "winapi/posix/wbem_control.h"

namespace qv::standin {
namespace {

struct RequestLog {
  std::mutex lock;
  std::vector<BiosRequest> requests;
};

RequestLog& TheLog() {
  static RequestLog* log = new RequestLog;
  return *log;
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof(value));
  return value;
}

std::uint16_t ReadU16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof(value));
  return value;
}

void WriteU32(std::vector<std::uint8_t>* bytes, std::size_t offset, std::uint32_t value) {
  std::memcpy(bytes->data() + offset, &value, sizeof(value));
}

BiosRequest ParseRequest(const std::vector<std::uint8_t>& block) {
  BiosRequest request{ReadU16(block, 0), ReadU16(block, 2), {}, block};
  for (std::size_t i = 0; i < 4; ++i) request.args[i] = ReadU32(block, 4 + 4 * i);
  return request;
}

bool Matches(const machine::BiosFunction& function, const BiosRequest& request) {
  if (function.functionClass != request.functionClass || function.selector != request.selector)
    return false;
  if (function.args.size() > request.args.size()) return false;
  for (std::size_t i = 0; i < function.args.size(); ++i)
    if (function.args[i] != request.args[i]) return false;
  return true;
}

}  // namespace

std::vector<BiosRequest> BiosRequests() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  return TheLog().requests;
}

void ResetBiosRequests() {
  std::lock_guard<std::mutex> guard(TheLog().lock);
  TheLog().requests.clear();
}

std::vector<std::uint8_t> AnswerBiosRequest(const machine::Bios& bios,
                                            const std::vector<std::uint8_t>& request) {
  BiosRequest parsed = ParseRequest(request);
  {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().requests.push_back(parsed);
  }
  std::vector<std::uint8_t> response = request;
  WriteU32(&response, 20, static_cast<std::uint32_t>(-2));
  for (const machine::BiosFunction& function : bios.functions) {
    if (!Matches(function, parsed)) continue;
    WriteU32(&response, 20, static_cast<std::uint32_t>(function.status));
    for (std::size_t i = 0; i < function.results.size(); ++i)
      WriteU32(&response, 24 + 4 * i, function.results[i]);
    break;
  }
  response.resize(bios.responseSize.value_or(static_cast<std::uint32_t>(request.size())));
  return response;
}

std::vector<std::uint8_t> QueryDataBytes(const machine::Bios& bios) {
  if (bios.queryBytes) return *bios.queryBytes;
  std::vector<std::uint8_t> bytes(16, 0);
  WriteU32(&bytes, 12, static_cast<std::uint32_t>(bios.transferSize));
  return bytes;
}

}  // namespace qv::standin
