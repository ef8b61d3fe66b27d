// One GetDeviceMask against a list of the largest valid size on the simulated platform-D
// laptop, and the four stages it consists of: building the platform object, reading the list
// file, decrypting it, and searching the plain list for the platform's record (the last one).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "devicemask/list_file.h"
#include "devicemask/lookup.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "machine/machine.h"
#include "platform/known_platforms.h"
#include "tests/devicemask/maximum_list.h"
#include "util/qv_encryption.h"
#include "winapi/posix/current_machine.h"

namespace {

using qv::devicemask::ShortReadPolicy;

const std::string& PlainMaximumList() {
  static const std::string text =
      qv::testing::MaximumList(qv::testing::MaximumListRecords(qv::platform::kPlatformD));
  return text;
}

std::string Encrypt(const std::string& plain) {
  QVString text(plain.c_str());
  QVEncryption::EncryptString(text, QVString(qv::devicemask::kPassPhrase));
  return text.GetNarrow();
}

// The encrypted maximum list in a temporary file, removed when the program ends.
class ListFile {
 public:
  ListFile()
      : path_((std::filesystem::temp_directory_path() /
               ("qv-bench-device-mask-" + std::to_string(getpid()) + ".enc"))
                  .string()) {
    std::ofstream(path_, std::ios::binary) << Encrypt(PlainMaximumList());
  }
  ~ListFile() { std::remove(path_.c_str()); }
  const char* Path() const { return path_.c_str(); }

 private:
  std::string path_;
};

const ListFile& MaximumListFile() {
  static const ListFile file;
  return file;
}

// A list of exactly `length` characters: the first records of the maximum list, then the
// platform's own record last (the worst case for the search), padded with line ends.
std::string PlainListOfLength(std::size_t length) {
  const auto records = qv::testing::MaximumListRecords(qv::platform::kPlatformD);
  const qv::testing::ListRecord& own = records.back();
  const std::string ownText = std::to_string(own.id) + " " + own.flags + " " + own.line + "\n";
  std::string text;
  for (const qv::testing::ListRecord& record : records) {
    const std::string line =
        std::to_string(record.id) + " " + record.flags + " " + record.line + "\n";
    if (text.size() + line.size() + ownText.size() > length) break;
    text += line;
  }
  text += ownText;
  text.append(length - text.size(), '\n');
  return text;
}

void UsePlatformDLaptop(benchmark::State& state) {
  const std::string profile = QV_SOURCE_DIR "/examples/machines/platform-d-laptop.json";
  std::string error;
  auto machine = qv::machine::LoadProfile(profile, &error);
  if (!error.empty()) state.SkipWithError(error.c_str());
  qv::standin::UseMachine(machine);
}

void BM_PlatformObjectConstruction(benchmark::State& state) {
  UsePlatformDLaptop(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(qv::AcquirePlatformObject());
    qv::ReleasePlatformObject();
  }
}
BENCHMARK(BM_PlatformObjectConstruction);

void BM_ListFileRead(benchmark::State& state) {
  const char* path = MaximumListFile().Path();
  for (auto _ : state) {
    auto content = qv::devicemask::ReadListFile(path, ShortReadPolicy::kRefuse);
    benchmark::DoNotOptimize(content.text.GetLength());
  }
}
BENCHMARK(BM_ListFileRead);

void BM_ListDecryption(benchmark::State& state) {
  const std::string cipher = Encrypt(PlainMaximumList());
  for (auto _ : state) {
    QVString text(cipher.c_str());
    if (!qv::devicemask::DecryptListText(text)) state.SkipWithError("decryption failed");
    benchmark::DoNotOptimize(text.GetLength());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(cipher.size()));
}
BENCHMARK(BM_ListDecryption);

void BM_RecordSearch(benchmark::State& state) {
  const QVString plain(PlainMaximumList().c_str());
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        qv::devicemask::LookUpDeviceMask(plain, qv::platform::kPlatformD, true));
  }
}
BENCHMARK(BM_RecordSearch);

void BM_GetDeviceMask(benchmark::State& state) {
  UsePlatformDLaptop(state);
  const char* path = MaximumListFile().Path();
  for (auto _ : state) {
    const int result = GetDeviceMask(path);
    if (result < 0) state.SkipWithError("GetDeviceMask failed");
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_GetDeviceMask);

// GetDeviceMask's own work, without the platform object: read the list file, decrypt it and
// find the record, for lists of 1000 to 7671 characters. The fitted growth is printed as BigO.
void BM_DeviceMaskOwnWork(benchmark::State& state) {
  const auto length = static_cast<std::size_t>(state.range(0));
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("qv-bench-own-work-" + std::to_string(getpid()) + ".enc"))
                               .string();
  std::ofstream(path, std::ios::binary) << Encrypt(PlainListOfLength(length));
  for (auto _ : state) {
    auto content = qv::devicemask::ReadListFile(path.c_str(), ShortReadPolicy::kRefuse);
    if (!qv::devicemask::DecryptListText(content.text)) state.SkipWithError("decryption failed");
    benchmark::DoNotOptimize(
        qv::devicemask::LookUpDeviceMask(content.text, qv::platform::kPlatformD, true));
  }
  std::remove(path.c_str());
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DeviceMaskOwnWork)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(qv::testing::kMaximumListLength)
    ->Complexity(benchmark::oN);

}  // namespace
