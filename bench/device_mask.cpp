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

#include "devicemask/device_mask_lookup.h"
#include "devicemask/list_file.h"
#include "devicemask/plain_list.h"
#include "devicemask/sys_id_list.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "machine/machine.h"
#include "platform/known_platforms.h"
#include "tests/devicemask/maximum_list.h"
#include "util/qv_encryption.h"

namespace {

using qv::devicemask::ShortReadPolicy;

const std::string& PlainMaximumList() {
  static const std::string text =
      qv::testing::MaximumList(qv::testing::MaximumListRecords(qv::platforms::kPlatformD));
  return text;
}

std::string Encrypt(const std::string& plain) {
  QVString text(plain.c_str());
  QVEncryption::EncryptString(text, QVString(qv::sysids::kPassPhrase));
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

void UsePlatformDLaptop(benchmark::State& state) {
  const std::string profile = QV_SOURCE_DIR "/examples/machines/platform-d-laptop.json";
  std::string error;
  auto machine = qv::machine::LoadProfile(profile, &error);
  if (!error.empty()) state.SkipWithError(error.c_str());
  qv::machine::Use(machine);
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
        qv::devicemask::LookUpDeviceMask(plain, qv::platforms::kPlatformD, true));
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

}  // namespace
