// A whole installer session on the simulated platform-D laptop of examples/machines: the
// exports in the order `qvtool report` calls them, against the example system-ID list. Every
// session identifies the platform afresh, because GetDeviceMask releases the platform object
// when it returns a mask.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "machine/machine.h"
#include "util/qv_encryption.h"
#include "winapi/posix/current_machine.h"

namespace {

constexpr char kPassPhrase[] = "MARBLEOTTERKITE";

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The example list, encrypted into a temporary file that goes with the program.
class SessionListFile {
 public:
  SessionListFile()
      : path_((std::filesystem::temp_directory_path() /
               ("qv-bench-session-" + std::to_string(getpid()) + ".enc"))
                  .string()) {
    QVString text(ReadFile(std::string(QV_SOURCE_DIR) + "/examples/sysids.txt").c_str());
    QVEncryption::EncryptString(text, QVString(kPassPhrase));
    std::ofstream(path_, std::ios::binary) << text.GetNarrow();
  }
  ~SessionListFile() { std::remove(path_.c_str()); }
  const char* Path() const { return path_.c_str(); }

 private:
  std::string path_;
};

bool UseExampleLaptop(benchmark::State& state) {
  std::string error;
  auto laptop = qv::machine::LoadProfile(
      std::string(QV_SOURCE_DIR) + "/examples/machines/platform-d-laptop.json", &error);
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return false;
  }
  setenv("QV_SHM_NAMESPACE", ("bench-session-" + std::to_string(getpid())).c_str(), 1);
  qv::standin::UseMachine(laptop);
  return true;
}

void BM_InstallerSession(benchmark::State& state) {
  if (!UseExampleLaptop(state)) return;
  const SessionListFile list;
  if (GetDeviceMask(list.Path()) < 0) {
    state.SkipWithError("the example laptop has no record in the example list");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetSystemId());
    benchmark::DoNotOptimize(GetDeviceMask(list.Path()));
    benchmark::DoNotOptimize(IsTorvaneSystem(list.Path()));
    benchmark::DoNotOptimize(GetLANManufacturerID());
    benchmark::DoNotOptimize(GetWLANManufacturerID());
    benchmark::DoNotOptimize(GetWWANManufacturerID());
  }
  qv::ReleasePlatformObject();
  qv::standin::ForgetMachine();
}
BENCHMARK(BM_InstallerSession)->Unit(benchmark::kMillisecond);

// What a Linux user pays once per process before the first export: loading the machine
// profile that QV_MACHINE names (here the example laptop).
void BM_LoadProfile(benchmark::State& state) {
  const std::string path = std::string(QV_SOURCE_DIR) + "/examples/machines/platform-d-laptop.json";
  for (auto _ : state) {
    std::string error;
    benchmark::DoNotOptimize(qv::machine::LoadProfile(path, &error));
    if (!error.empty()) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_LoadProfile)->Unit(benchmark::kMicrosecond);

}  // namespace
