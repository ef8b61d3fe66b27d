#include "tests/oom/allocation_failure.h"

#include <execinfo.h>
#include <link.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace qv::oom {
namespace {

enum class Origin { kNeutral, kLibrary, kStandIn };

struct CodeRange {
  std::uintptr_t start;
  std::uintptr_t end;
  Origin origin;
};

std::vector<CodeRange>* codeMap = nullptr;
bool armed = false;
long failAt = 0;
long counted = 0;
std::optional<long> failed;
thread_local bool classifying = false;

std::set<std::string> ObjectNamesIn(const std::vector<std::string>& folders) {
  std::set<std::string> names;
  for (const std::string& folder : folders) {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(QV_SOURCE_DIR) + "/" + folder, error)) {
      if (entry.path().extension() == ".cpp") names.insert(entry.path().filename().string() + ".o");
    }
  }
  return names;
}

std::uintptr_t LoadBias() {
  std::uintptr_t bias = 0;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* out) {
        *static_cast<std::uintptr_t*>(out) = info->dlpi_addr;
        return 1;  // the first entry is the program itself
      },
      &bias);
  return bias;
}

// The archive member a map line names, e.g. "crypt.cpp.o" of ".../libqvcore.a(crypt.cpp.o)".
std::string MemberOf(const std::string& object) {
  const auto open = object.rfind('(');
  if (open == std::string::npos || object.back() != ')') return "";
  return object.substr(open + 1, object.size() - open - 2);
}

Origin OriginOf(const std::string& member, const std::set<std::string>& standIn,
                const std::set<std::string>& library) {
  const bool inStandIn = standIn.count(member) != 0;
  const bool inLibrary = library.count(member) != 0;
  if (inStandIn == inLibrary) return Origin::kNeutral;  // unknown, or a name both use
  return inStandIn ? Origin::kStandIn : Origin::kLibrary;
}

Origin Classify(std::uintptr_t address) {
  auto after = std::upper_bound(
      codeMap->begin(), codeMap->end(), address,
      [](std::uintptr_t value, const CodeRange& range) { return value < range.start; });
  if (after == codeMap->begin()) return Origin::kNeutral;
  --after;
  return address < after->end ? after->origin : Origin::kNeutral;
}

// The first caller outside inline and template code (which any object may hold) decides.
Origin OriginOfThisAllocation() {
  void* frames[64];
  const int depth = backtrace(frames, 64);
  for (int i = 1; i < depth; ++i) {
    const Origin origin = Classify(reinterpret_cast<std::uintptr_t>(frames[i]) - 1);
    if (origin != Origin::kNeutral) return origin;
  }
  return Origin::kNeutral;
}

bool MustFail() {
  if (!armed || classifying) return false;
  ++counted;
  if (counted < failAt) return false;
  classifying = true;
  const bool library = OriginOfThisAllocation() == Origin::kLibrary;
  classifying = false;
  if (!library) return false;
  armed = false;
  failed = counted;
  return true;
}

void* Allocate(std::size_t size) {
  if (MustFail()) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void* AllocateNoThrow(std::size_t size) noexcept {
  if (MustFail()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

bool LoadCodeMap(std::string* problem) {
  if (codeMap != nullptr) return true;
  std::ifstream map(QV_OOM_LINK_MAP);
  if (!map) {
    *problem = std::string("cannot read the link map ") + QV_OOM_LINK_MAP;
    return false;
  }
  const std::set<std::string> standIn = ObjectNamesIn({"winapi/posix", "machine"});
  const std::set<std::string> library = ObjectNamesIn(
      {"util", "platform", "devicemask", "netid", "gina", "exports", "custom_actions"});
  const std::uintptr_t bias = LoadBias();
  auto ranges = new std::vector<CodeRange>;
  // Only a member's own ".text" section is its code; ".text.<name>" sections hold inline and
  // template code that the linker kept from whichever member came first.
  std::string line;
  while (std::getline(map, line)) {
    std::istringstream fields(line);
    std::string section;
    fields >> section;
    if (section != ".text") continue;
    std::string start, size, object;
    if (!(fields >> start >> size >> object)) continue;
    const Origin origin = OriginOf(MemberOf(object), standIn, library);
    if (origin == Origin::kNeutral) continue;
    const std::uintptr_t from = bias + std::stoull(start, nullptr, 16);
    ranges->push_back({from, from + std::stoull(size, nullptr, 16), origin});
  }
  std::sort(ranges->begin(), ranges->end(),
            [](const CodeRange& a, const CodeRange& b) { return a.start < b.start; });
  if (ranges->empty()) {
    *problem = "the link map names no code of the library";
    delete ranges;
    return false;
  }
  void* warmUp[4];
  backtrace(warmUp, 4);  // loads the unwinder before any allocation is watched
  codeMap = ranges;
  return true;
}

void ArmFailureAt(long n) {
  counted = 0;
  failAt = n;
  failed.reset();
  armed = true;
}

void Disarm() {
  armed = false;
}

std::optional<long> FailedAllocation() {
  return failed;
}

}  // namespace qv::oom

void* operator new(std::size_t size) {
  return qv::oom::Allocate(size);
}
void* operator new[](std::size_t size) {
  return qv::oom::Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return qv::oom::AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return qv::oom::AllocateNoThrow(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
