// Small file helpers for the commands. Every failure becomes a ToolError whose message names
// the file and what went wrong.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace qvtool {

// The whole file; refuses files above `maxSize` bytes without reading them.
std::string ReadFileBytes(const std::string& path, std::size_t maxSize);

// Creates or replaces the file with exactly these bytes.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Changes the process's current directory and restores the previous one on destruction. The
// library writes and reads its list file in the current directory.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& directory);
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// A fresh private directory, removed with its contents on destruction.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace qvtool
