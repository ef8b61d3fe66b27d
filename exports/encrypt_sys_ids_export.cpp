#include "devicemask/list_writer.h"
#include "exports/boundary.h"
#include "exports/qvsupport.h"

extern "C" int WINAPI EncryptSysIds(const char* plainListPath) {
  return qv::GuardExport(-1, [&] { return qv::devicemask::WriteEncryptedList(plainListPath); });
}
