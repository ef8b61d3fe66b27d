// How the process stand-in finds a Windows path on the host: a drive path "X:\..." lies below
// the directory named by QV_DRIVE_X; other paths are host paths. Relative paths are made
// absolute against the caller's current directory.
#pragma once

#include <optional>
#include <string>

#include "winapi/posix/types.h"

namespace qv::standin {

// The absolute host path for `windowsPath`, or nullopt with `error` set to
// ERROR_PATH_NOT_FOUND (unknown drive, network path) or ERROR_INVALID_NAME (empty name).
std::optional<std::string> HostPathOf(const std::string& windowsPath, DWORD* error);

// Why `hostPath` cannot be run as a program: ERROR_FILE_NOT_FOUND when its directory exists
// but it does not, ERROR_PATH_NOT_FOUND when its directory is missing, ERROR_ACCESS_DENIED for
// a directory or a file without execute permission; 0 when it looks runnable.
DWORD ProgramFileError(const std::string& hostPath);

// 0 when `hostPath` is an existing directory, else ERROR_DIRECTORY.
DWORD DirectoryError(const std::string& hostPath);

}  // namespace qv::standin
