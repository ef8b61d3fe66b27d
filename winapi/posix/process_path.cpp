#include "winapi/posix/process_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "winapi/posix/process.h"

namespace qv::standin {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

std::optional<std::string> DriveRoot(char letter) {
  const std::string variable = std::string("QV_DRIVE_") +
                               static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const char* root = std::getenv(variable.c_str());
  if (root == nullptr || *root == '\0') return std::nullopt;
  return std::string(root);
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return ".";
  return buffer.c_str();
}

std::string WithSlashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string Join(const std::string& directory, const std::string& rest) {
  if (rest.empty()) return directory;
  if (IsSeparator(rest.front())) return directory + rest;
  return directory + "/" + rest;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<std::string> HostPathOf(const std::string& windowsPath, DWORD* error) {
  *error = 0;
  if (windowsPath.empty()) {
    *error = ERROR_INVALID_NAME;
    return std::nullopt;
  }
  if (windowsPath.size() >= 2 && IsSeparator(windowsPath[0]) && IsSeparator(windowsPath[1])) {
    *error = ERROR_PATH_NOT_FOUND;  // network paths do not exist here
    return std::nullopt;
  }
  if (HasDrive(windowsPath)) {
    auto root = DriveRoot(windowsPath[0]);
    if (!root) {
      *error = ERROR_PATH_NOT_FOUND;
      return std::nullopt;
    }
    return WithSlashes(Join(*root, windowsPath.substr(2)));
  }
  if (IsSeparator(windowsPath.front())) return WithSlashes(windowsPath);
  return WithSlashes(Join(CurrentDirectory(), windowsPath));
}

DWORD ProgramFileError(const std::string& hostPath) {
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0) {
    if (errno == EACCES) return ERROR_ACCESS_DENIED;
    if (errno == ENOENT && IsDirectory(ParentOf(hostPath))) return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
  }
  if (S_ISDIR(info.st_mode) || access(hostPath.c_str(), X_OK) != 0) return ERROR_ACCESS_DENIED;
  return 0;
}

DWORD DirectoryError(const std::string& hostPath) {
  return IsDirectory(hostPath) ? 0 : ERROR_DIRECTORY;
}

}  // namespace qv::standin
