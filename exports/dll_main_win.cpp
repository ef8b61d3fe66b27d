// The module's entry point does no work: no export needs an initialisation call, and nothing
// is torn down at unload (a platform object built by GetSystemId lives until the process ends).
#include "winapi/win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
