// DLLs outside the loader's KnownDLLs, loaded from the system directory by their full path.
//
// On Windows XP the loader looks for a DLL that is not a KnownDLL in the folder of the process's
// program first: an installer's folder is often the user's download folder, where anyone can
// leave a DLL of the same name. A static import of such a DLL, or LoadLibrary with its bare name,
// would load that copy into an elevated installer. The functions below never search.
#pragma once

#include <windows.h>

namespace qv::winapi {

// Writes the full path of `fileName` in the system directory ("C:\WINDOWS\system32\setupapi.dll")
// to `path`. False when the directory cannot be named or the path does not fit (the last error
// says why). Allocates nothing and throws nothing.
bool SystemLibraryPath(const char* fileName, char (&path)[MAX_PATH]);

// Loads `fileName` from the system directory and nowhere else; null on failure, with the last
// error set. Each successful call takes one reference, which FreeLibrary gives back.
HMODULE LoadSystemLibrary(const char* fileName);

}  // namespace qv::winapi
