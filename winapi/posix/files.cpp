// File renaming and deletion with Windows's rules: a destination that exists is replaced only
// with MOVEFILE_REPLACE_EXISTING, and a read-only destination (no write permission bit, the
// stand-in's read-only attribute) is never replaced.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "winapi/posix/files.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace {

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

bool IsReadOnly(const struct stat& info) {
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (qv::standin::ShouldFail("MoveFileExA")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (existingName == nullptr || newName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat target {};
  if (stat(newName, &target) == 0) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    if (IsReadOnly(target) || S_ISDIR(target.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  if (std::rename(existingName, newName) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
  if (qv::standin::ShouldFail("DeleteFileA")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (name == nullptr || unlink(name) != 0) {
    SetLastError(name == nullptr ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}
