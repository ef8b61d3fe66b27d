// The custom actions of qvsupport_msi.dll called with handles that name no installer session,
// as a broken caller would call them: QvIdentify fails the action, since not one property can be
// read; QvUninstallGina still runs the repair and succeeds, its log lines lost. Neither crashes.
#include <gtest/gtest.h>

#include "tests/crossbuild/loaded_module.h"
#include "winapi/win32.h"

#include <msi.h>

namespace {

using ActionFn = UINT(WINAPI*)(MSIHANDLE);

TEST(MsiEntryPoints, HandlesOfNoSessionFailOnlyIdentify) {
  qv::testing::LoadedModule module(QV_MSI_MODULE_PATH);
  ASSERT_TRUE(module.IsLoaded()) << module.Error();
  const auto identify = reinterpret_cast<ActionFn>(module.Find("QvIdentify"));
  const auto uninstallGina = reinterpret_cast<ActionFn>(module.Find("QvUninstallGina"));
  ASSERT_NE(identify, nullptr);
  ASSERT_NE(uninstallGina, nullptr);

  for (const MSIHANDLE handle : {MSIHANDLE{0}, MSIHANDLE{0xDEAD}, MSIHANDLE{0xFFFFFFFF}}) {
    EXPECT_EQ(identify(handle), static_cast<UINT>(ERROR_INSTALL_FAILURE)) << handle;
    EXPECT_EQ(uninstallGina(handle), static_cast<UINT>(ERROR_SUCCESS)) << handle;
  }
}

}  // namespace
