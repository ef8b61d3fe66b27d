// COM initialisation codes as the platform object relies on them: S_OK, then S_FALSE on an
// initialised thread, RPC_E_CHANGED_MODE for another concurrency model, and process-wide call
// security that can be set only once.
#include <gtest/gtest.h>

#include "tests/conformance/conformance_platform.h"
#include "winapi/win32.h"

namespace {

constexpr DWORD kApartmentWithoutOle1 = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;

HRESULT CreateInterfaceTable(IGlobalInterfaceTable** table) {
  return CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IGlobalInterfaceTable, reinterpret_cast<void**>(table));
}

TEST(ComConformance, InitialisationIsCountedPerThread) {
  IGlobalInterfaceTable* table = nullptr;
  EXPECT_EQ(CreateInterfaceTable(&table), CO_E_NOTINITIALIZED);
  EXPECT_EQ(table, nullptr);

  ASSERT_EQ(CoInitializeEx(nullptr, kApartmentWithoutOle1), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, kApartmentWithoutOle1), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);

  ASSERT_EQ(CreateInterfaceTable(&table), S_OK);
  ASSERT_NE(table, nullptr);
  table->Release();

  CoUninitialize();
  CoUninitialize();
  // Balanced: the thread is uninitialised again and may choose another model.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

TEST(ComConformance, CallSecurityIsSetOncePerProcess) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, kApartmentWithoutOle1)));
  EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                 RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr),
            S_OK);
  const HRESULT again =
      CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                           RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  CoUninitialize();
  if (qv::conformance::RunningUnderWine() && again == S_OK)
    GTEST_SKIP() << "Wine's CoInitializeSecurity accepts every call; Windows refuses a second";
  EXPECT_EQ(again, RPC_E_TOO_LATE);
}

}  // namespace
