#include "tools/qvtool/file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace fs = std::filesystem;

namespace {

std::string Reason() {
  return errno != 0 ? std::strerror(errno) : "unknown error";
}

}  // namespace

std::string ReadFileBytes(const std::string& path, std::size_t maxSize) {
  std::error_code error;
  if (fs::is_directory(path, error)) throw ToolError(path + ": is a directory, not a file");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(path + ": cannot open: " + Reason());
  std::string bytes;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxSize) {
      throw ToolError(path + ": larger than " + std::to_string(maxSize) +
                      " bytes; not a file this command reads");
    }
  }
  if (in.bad()) throw ToolError(path + ": read failed: " + Reason());
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw ToolError(path + ": cannot create: " + Reason());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw ToolError(path + ": write failed: " + Reason());
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const fs::path& directory)
    : previous_(fs::current_path()) {
  std::error_code error;
  fs::current_path(directory, error);
  if (error) throw ToolError(directory.string() + ": cannot change into it: " + error.message());
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

TemporaryDirectory::TemporaryDirectory() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) throw ToolError("temporary directory: " + error.message());
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path candidate = base / ("qvtool-" + std::to_string(random()));
    if (fs::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw ToolError(base.string() + ": cannot create a temporary directory");
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace qvtool
