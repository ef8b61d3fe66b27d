// File renaming, deletion and attributes with Windows's rules: the source is looked at before
// the destination; a destination that exists is replaced only with MOVEFILE_REPLACE_EXISTING; a
// read-only file (no write permission bit, the stand-in's read-only attribute) is never
// replaced or deleted; and a name whose folder is missing is ERROR_PATH_NOT_FOUND, not
// ERROR_FILE_NOT_FOUND.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "winapi/posix/files.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// The folder that holds `path`: what comes before its last '/', or the current folder.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The error for a name that is not there: the file, or already the folder it would be in.
DWORD MissingNameError(const char* path) {
  return Exists(FolderOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD ErrorFromErrno(int error, const char* path) {
  switch (error) {
    case ENOENT:
      return MissingNameError(path);
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    default:  // EACCES, EPERM, EROFS, EISDIR and the rest
      return ERROR_ACCESS_DENIED;
  }
}

bool IsReadOnly(const struct stat& info) {
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Why `newName` may not be replaced by a rename with `flags`; 0 when it may (or is absent).
DWORD DestinationError(const char* newName, DWORD flags) {
  struct stat target {};
  if (stat(newName, &target) != 0) return 0;
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) return ERROR_ALREADY_EXISTS;
  if (IsReadOnly(target) || S_ISDIR(target.st_mode)) return ERROR_ACCESS_DENIED;
  return 0;
}

}  // namespace

BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (qv::standin::ShouldFail("MoveFileExA")) return Fail(ERROR_ACCESS_DENIED);
  if (existingName == nullptr || newName == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat source {};
  if (lstat(existingName, &source) != 0) return Fail(ErrorFromErrno(errno, existingName));
  if (const DWORD error = DestinationError(newName, flags)) return Fail(error);
  if (std::rename(existingName, newName) != 0) return Fail(ErrorFromErrno(errno, newName));
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
  if (qv::standin::ShouldFail("DeleteFileA")) return Fail(ERROR_ACCESS_DENIED);
  if (name == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat file {};
  if (lstat(name, &file) != 0) return Fail(ErrorFromErrno(errno, name));
  if (IsReadOnly(file)) return Fail(ERROR_ACCESS_DENIED);
  if (unlink(name) != 0) return Fail(ErrorFromErrno(errno, name));
  return TRUE;
}

// Attributes as Wine reports them for a file system without any: a directory, or else a file
// with the archive bit (which Windows sets on every file it creates or writes), each read-only
// when it has no write permission bit. A symbolic link is followed, so a link to a folder is a
// directory, as Windows reports a directory link.
DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  if (qv::standin::ShouldFail("GetFileAttributesA")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
  }
  // Wine fails a null name as it fails an empty one, which names no file and no folder; Windows
  // documents neither.
  if (name == nullptr || *name == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat info {};
  if (stat(name, &info) != 0) {
    SetLastError(ErrorFromErrno(errno, name));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (IsReadOnly(info)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}
