// The machine-profile loader on arbitrary file content: it must report what is malformed and
// still return a machine, never throw or crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "machine/machine.h"

namespace {

// The file each input is written to; removed when the fuzzer exits.
class ProfileFile {
 public:
  ProfileFile() : path_("/tmp/qv-profile-fuzz-" + std::to_string(getpid()) + ".json") {}
  ~ProfileFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const std::string& ProfilePath() {
  static const ProfileFile file;
  return file.Path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(ProfilePath().c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  std::string error;
  auto machine = qv::machine::LoadProfile(ProfilePath(), &error);
  if (!machine) __builtin_trap();
  return 0;
}
