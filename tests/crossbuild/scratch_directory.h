// A fresh empty directory made current for the lifetime of this object; the previous current
// directory is restored and the scratch directory removed afterwards.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

namespace qv::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name =
        "qv-scratch-" + std::to_string(stamp) + "-" + std::to_string(++created_);
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  inline static int created_ = 0;
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace qv::testing
