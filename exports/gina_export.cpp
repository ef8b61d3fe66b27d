#include "exports/boundary.h"
#include "exports/qvsupport.h"
#include "gina/uninstall_gina.h"

extern "C" int WINAPI UninstallQVGina(int) {
  return qv::GuardExport(0, [] {
    qv::gina::UninstallGina();
    return 0;
  });
}
