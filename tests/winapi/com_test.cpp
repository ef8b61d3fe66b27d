// The COM and automation surface of the stand-in behaves as Windows documents it.
#include <thread>

#include "tests/winapi/standin_fixture.h"
#include "winapi/posix/com_control.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"
#include "winapi/win32.h"

namespace qv::testing {
namespace {

using StandinComTest = StandinTest;

TEST_F(StandinComTest, ApartmentsCountInitialisationsAndRefuseAModeChange) {
  std::thread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(standin::ApartmentDepth(), 2);
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // unbalanced: ignored
    EXPECT_EQ(standin::ApartmentDepth(), 0);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
  }).join();
}

TEST_F(StandinComTest, ProcessSecurityIsSetOnceAndNeedsAnApartment) {
  std::thread([] {
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 2, 2, nullptr, 0, nullptr),
              CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 2, 2, nullptr, 0, nullptr), S_OK);
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 2, 2, nullptr, 0, nullptr),
              RPC_E_TOO_LATE);
    CoUninitialize();
  }).join();
}

TEST_F(StandinComTest, CreatingObjectsNeedsComAnInprocContextAndAKnownClass) {
  Use(MachineWith({}, std::nullopt));
  std::thread([] {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_LOCAL_SERVER, IID_IWbemLocator,
                               &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(IID_IUnknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemServices,
                               &object),
              E_NOINTERFACE);
    ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               &object),
              S_OK);
    EXPECT_EQ(standin::Outstanding(standin::Resource::ComObject), 1);
    static_cast<IWbemLocator*>(object)->Release();
    CoUninitialize();
  }).join();
  Use(MachineWithoutWmi());
  std::thread([] {
    void* object = nullptr;
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               &object),
              REGDB_E_CLASSNOTREG);
    CoUninitialize();
  }).join();
}

TEST_F(StandinComTest, GlobalInterfaceTableHoldsAReferenceUntilRevoked) {
  Use(MachineWith({}, std::nullopt));
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    IGlobalInterfaceTable* table = nullptr;
    IWbemLocator* locator = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table)),
              S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               reinterpret_cast<void**>(&locator)),
              S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(table->RegisterInterfaceInGlobal(locator, IID_IWbemLocator, &cookie), S_OK);
    EXPECT_EQ(locator->Release(), 1u);  // the table keeps it alive
    void* fetched = nullptr;
    ASSERT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IWbemLocator, &fetched), S_OK);
    EXPECT_EQ(static_cast<IWbemLocator*>(fetched)->Release(), 1u);
    EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
    EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IWbemLocator, &fetched), E_INVALIDARG);
    EXPECT_EQ(fetched, nullptr);
    table->Release();
    CoUninitialize();
  }).join();
}

TEST_F(StandinComTest, BstrsAreLengthPrefixedAndOwned) {
  BSTR text = SysAllocString(u"BFn");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(std::u16string(text), u"BFn");
  BSTR sized = SysAllocStringLen(u"DoBFnXYZ", 5);
  EXPECT_EQ(std::u16string(sized), u"DoBFn");
  EXPECT_EQ(standin::Outstanding(standin::Resource::Bstr), 2);
  SysFreeString(text);
  SysFreeString(sized);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  standin::InjectFault("SysAllocStringLen", 1);
  EXPECT_EQ(SysAllocStringLen(u"x", 1), nullptr);
}

TEST_F(StandinComTest, SafeArraysCheckBoundsAndLocks) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
  ASSERT_NE(array, nullptr);
  BYTE value = 0xAB;
  LONG index = 3;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), S_OK);
  index = 4;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), DISP_E_BADINDEX);
  index = -1;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), DISP_E_BADINDEX);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(static_cast<BYTE*>(data)[3], 0xAB);
  EXPECT_EQ(static_cast<BYTE*>(data)[0], 0);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  LONG upper = 0;
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(upper, 3);
  VARIANT holder;
  VariantInit(&holder);
  holder.vt = VT_ARRAY | VT_UI1;
  holder.parray = array;
  EXPECT_EQ(VariantClear(&holder), S_OK);  // destroys the array
  EXPECT_EQ(holder.vt, VT_EMPTY);
  EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0, 1), nullptr);
}

TEST_F(StandinComTest, CriticalSectionsAreReentrantAndExclusive) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  bool otherThreadGotIt = true;
  std::thread([&] { otherThreadGotIt = TryEnterCriticalSection(&section) != FALSE; }).join();
  EXPECT_FALSE(otherThreadGotIt);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  std::thread([&] {
    otherThreadGotIt = TryEnterCriticalSection(&section) != FALSE;
    if (otherThreadGotIt) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(otherThreadGotIt);
  DeleteCriticalSection(&section);
}

TEST_F(StandinComTest, PowerStatusComesFromTheMachine) {
  SYSTEM_POWER_STATUS status{};
  Use(MachineWith({}, std::nullopt, 0));
  ASSERT_TRUE(GetSystemPowerStatus(&status));
  EXPECT_EQ(status.ACLineStatus, 0);
  Use(MachineWith({}, std::nullopt, std::nullopt));
  EXPECT_FALSE(GetSystemPowerStatus(&status));
  EXPECT_FALSE(GetSystemPowerStatus(nullptr));
}

TEST_F(StandinComTest, LastErrorIsPerThread) {
  SetLastError(ERROR_ALREADY_EXISTS);
  std::thread([] {
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    SetLastError(ERROR_INVALID_HANDLE);
  }).join();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x1234)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// The books take a release that comes after its apartment ended as a fault. A proxy belongs to
// its own apartment; other objects only need some apartment of the process to be alive.
TEST_F(StandinComTest, AReleaseAfterItsApartmentEndedIsAFault) {
  Use(MachineWith({}, std::nullopt));
  auto makeObjects = [](IWbemLocator** locator, IWbemServices** services) {
    ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               reinterpret_cast<void**>(locator)),
              S_OK);
    BSTR path = SysAllocString(u"root\\wmi");
    ASSERT_EQ(
        (*locator)->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services),
        S_OK);
    SysFreeString(path);
  };
  const auto late = standin::Resource::ComReleaseAfterUninitialize;
  std::thread([&] {
    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    makeObjects(&locator, &services);
    EXPECT_EQ(locator->AddRef(), 2u);
    EXPECT_EQ(locator->Release(), 1u);
    EXPECT_EQ(standin::Outstanding(late), 0);
    CoUninitialize();
    services->Release();
    EXPECT_EQ(standin::Outstanding(late), 1);
    locator->Release();
    EXPECT_EQ(standin::Outstanding(late), 2);
    standin::Release(late);
    standin::Release(late);
  }).join();

  // Another apartment still alive: the free-threaded locator is fine, the proxy is not.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  std::thread([&] {
    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    makeObjects(&locator, &services);
    CoUninitialize();
    locator->Release();
    EXPECT_EQ(standin::Outstanding(late), 0);
    services->Release();
    EXPECT_EQ(standin::Outstanding(late), 1);
    standin::Release(late);
  }).join();
  CoUninitialize();
}

TEST_F(StandinComTest, ProcessSecurityRefusesLevelsThatDoNotExist) {
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 7, 2, nullptr, 0, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 2, 5, nullptr, 0, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(CoInitializeSecurity(nullptr, 2, nullptr, nullptr, 2, 2, nullptr, 0, nullptr),
              E_INVALIDARG);
    EXPECT_FALSE(standin::ProcessSecuritySet());
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 2, 3, nullptr, 0, nullptr), S_OK);
    CoUninitialize();
  }).join();
  const std::vector<standin::SecurityArguments> calls = standin::SecurityCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].authnLevel, 7u);
  EXPECT_EQ(calls[3].impLevel, 3u);
}

// The registering apartment gets its own proxy back; another apartment gets a new proxy with
// the process's default blanket.
TEST_F(StandinComTest, AnotherApartmentUnmarshalsANewProxy) {
  Use(MachineWith({{1}}, std::nullopt));
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  IGlobalInterfaceTable* table = nullptr;
  IWbemLocator* locator = nullptr;
  IWbemServices* services = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table)),
            S_OK);
  ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                             reinterpret_cast<void**>(&locator)),
            S_OK);
  BSTR path = SysAllocString(u"root\\wmi");
  ASSERT_EQ(locator->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services),
            S_OK);
  ASSERT_EQ(CoSetProxyBlanket(services, 10, 0, nullptr, 3, 3, nullptr, 0), S_OK);
  DWORD cookie = 0;
  ASSERT_EQ(table->RegisterInterfaceInGlobal(services, IID_IWbemServices, &cookie), S_OK);
  void* same = nullptr;
  ASSERT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IWbemServices, &same), S_OK);
  EXPECT_EQ(same, services);
  static_cast<IWbemServices*>(same)->Release();

  std::thread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    IWbemServices* proxy = nullptr;
    ASSERT_EQ(
        table->GetInterfaceFromGlobal(cookie, IID_IWbemServices, reinterpret_cast<void**>(&proxy)),
        S_OK);
    EXPECT_NE(proxy, services);
    BSTR className = SysAllocString(u"MSSmBios_RawSMBiosTables");
    IEnumWbemClassObject* tables = nullptr;
    EXPECT_EQ(proxy->CreateInstanceEnum(className, 1, nullptr, &tables), WBEM_E_ACCESS_DENIED);
    ASSERT_EQ(CoSetProxyBlanket(proxy, 10, 0, nullptr, 3, 3, nullptr, 0), S_OK);
    ASSERT_EQ(proxy->CreateInstanceEnum(className, 1, nullptr, &tables), S_OK);
    tables->Release();
    proxy->Release();
    SysFreeString(className);
    CoUninitialize();
  }).join();

  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
  services->Release();
  locator->Release();
  table->Release();
  SysFreeString(path);
  CoUninitialize();
}

}  // namespace
}  // namespace qv::testing
