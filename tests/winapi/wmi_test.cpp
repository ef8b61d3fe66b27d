// The stand-in's root\wmi: raw SMBIOS instances, the mapper's objects and the simulated BIOS.
#include <cstring>

#include "tests/winapi/standin_fixture.h"
#include "win/scoped_com_ptr.h"
#include "win/scoped_variant.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"
#include "winapi/win32.h"

namespace qv::testing {
namespace {

class StandinWmiTest : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  }
  void TearDown() override {
    services_.Reset();
    CoUninitialize();
    StandinTest::TearDown();
  }

  HRESULT Connect(const char16_t* wmiNamespace) {
    qv::win::ScopedComPtr<IWbemLocator> locator;
    HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWbemLocator, locator.ReceiveVoid());
    if (FAILED(hr)) return hr;
    BSTR path = SysAllocString(wmiNamespace);
    hr = locator->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                services_.Receive());
    SysFreeString(path);
    if (hr == S_OK) SetBlanket(services_.Get(), RPC_C_IMP_LEVEL_IMPERSONATE);
    return hr;
  }

  static HRESULT SetBlanket(IUnknown* proxy, DWORD impLevel,
                            DWORD authnLevel = RPC_C_AUTHN_LEVEL_CALL) {
    return CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, authnLevel,
                             impLevel, nullptr, EOAC_NONE);
  }

  HRESULT GetObject(const char16_t* path, qv::win::ScopedComPtr<IWbemClassObject>* object) {
    BSTR text = SysAllocString(path);
    HRESULT hr = services_->GetObject(text, 0, nullptr, object->Receive(), nullptr);
    SysFreeString(text);
    return hr;
  }

  static std::vector<std::uint8_t> BytesOf(IWbemClassObject* object, const char16_t* name) {
    qv::win::ScopedVariant value;
    if (FAILED(object->Get(name, 0, value.Get(), nullptr, nullptr)) || !value.HoldsByteArray())
      return {};
    const auto* first = static_cast<const std::uint8_t*>(value->parray->pvData);
    return {first, first + value->parray->rgsabound[0].cElements};
  }

  qv::win::ScopedComPtr<IWbemServices> services_;
};

constexpr char16_t kQueryPath[] = u"WMI_Query.InstanceName=\"ACPI\\\\PNP0C14\\\\0_0\"";
constexpr char16_t kMapperPath[] = u"BFn.InstanceName=\"ACPI\\\\PNP0C14\\\\0_0\"";

TEST_F(StandinWmiTest, OnlyRootWmiIsServed) {
  Use(MachineWith({}, std::nullopt));
  EXPECT_EQ(Connect(u"root\\cimv2"), WBEM_E_INVALID_NAMESPACE);
  EXPECT_FALSE(services_);
  EXPECT_EQ(Connect(u"ROOT\\WMI"), S_OK);
  EXPECT_TRUE(services_);
}

TEST_F(StandinWmiTest, RawTablesEnumerateWithSizeAndBytes) {
  auto simulated = MachineWith({{1, 2, 3}, {4, 5}}, std::nullopt);
  simulated->wmi->smbiosQuirks[1].dataNull = true;
  simulated->wmi->smbiosQuirks[1].size = 99;
  Use(simulated);
  ASSERT_EQ(Connect(u"root\\wmi"), S_OK);
  BSTR className = SysAllocString(u"MSSmBios_RawSMBiosTables");
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  ASSERT_EQ(services_->CreateInstanceEnum(className, WBEM_FLAG_SHALLOW, nullptr, tables.Receive()),
            S_OK);
  SysFreeString(className);
  IWbemClassObject* objects[3] = {};
  ULONG returned = 0;
  EXPECT_EQ(tables->Next(10000, 3, objects, &returned), WBEM_S_FALSE);
  ASSERT_EQ(returned, 2u);
  EXPECT_EQ(BytesOf(objects[0], u"SMBiosData"), (std::vector<std::uint8_t>{1, 2, 3}));
  qv::win::ScopedVariant size;
  ASSERT_EQ(objects[1]->Get(u"Size", 0, size.Get(), nullptr, nullptr), S_OK);
  EXPECT_EQ(size->vt, VT_I4);
  EXPECT_EQ(size->lVal, 99);
  qv::win::ScopedVariant data;
  ASSERT_EQ(objects[1]->Get(u"smbiosdata", 0, data.Get(), nullptr, nullptr), S_OK);
  EXPECT_EQ(data->vt, VT_NULL);
  EXPECT_EQ(objects[0]->Get(u"NoSuchProperty", 0, data.Get(), nullptr, nullptr), WBEM_E_NOT_FOUND);
  objects[0]->Release();
  objects[1]->Release();
  EXPECT_EQ(tables->Next(10000, 1, objects, &returned), WBEM_S_FALSE);
  EXPECT_EQ(returned, 0u);
}

TEST_F(StandinWmiTest, MapperObjectsNeedTheBiosAndEscapedPaths) {
  Use(MachineWith({}, std::nullopt));
  ASSERT_EQ(Connect(u"root\\wmi"), S_OK);
  qv::win::ScopedComPtr<IWbemClassObject> object;
  EXPECT_EQ(GetObject(kQueryPath, &object), WBEM_E_NOT_FOUND);
  EXPECT_EQ(GetObject(u"BDat", &object), WBEM_E_NOT_FOUND);

  Use(MachineWith({}, BiosBuilder().TransferSize(0x60).Build()));
  EXPECT_EQ(GetObject(u"WMI_Query.InstanceName=\"ACPI\\PNP0C14\\0_0\"", &object),
            WBEM_E_INVALID_OBJECT_PATH);
  ASSERT_EQ(GetObject(kQueryPath, &object), S_OK);
  qv::win::ScopedVariant queryData;
  ASSERT_EQ(object->Get(u"QDATA", 0, queryData.Get(), nullptr, nullptr), S_OK);
  ASSERT_TRUE(queryData.HoldsObject());
  qv::win::ScopedComPtr<IWbemClassObject> embedded;
  ASSERT_EQ(queryData->punkVal->QueryInterface(IID_IWbemClassObject, embedded.ReceiveVoid()), S_OK);
  std::vector<std::uint8_t> bytes = BytesOf(embedded.Get(), u"Bytes");
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes[12], 0x60);

  qv::win::ScopedComPtr<IWbemClassObject> bfn, in, out, inParams;
  ASSERT_EQ(GetObject(u"BFn", &bfn), S_OK);
  ASSERT_EQ(bfn->GetMethod(u"DoBFn", 0, in.Receive(), out.Receive()), S_OK);
  EXPECT_EQ(bfn->GetMethod(u"Other", 0, in.Receive(), out.Receive()), WBEM_E_NOT_FOUND);
  ASSERT_EQ(GetObject(u"BFn", &bfn), S_OK);
  ASSERT_EQ(bfn->GetMethod(u"DoBFn", 0, in.Receive(), out.Receive()), S_OK);
  ASSERT_EQ(in->SpawnInstance(0, inParams.Receive()), S_OK);
  qv::win::ScopedComPtr<IWbemClassObject> spawnedTwice;
  EXPECT_EQ(inParams->SpawnInstance(0, spawnedTwice.Receive()), WBEM_E_INVALID_OPERATION);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  EXPECT_EQ(inParams->Put(u"Data", 0, &number, 0), WBEM_E_TYPE_MISMATCH);
  EXPECT_EQ(inParams->Put(u"Undeclared", 0, &number, 0), WBEM_E_NOT_FOUND);
}

TEST_F(StandinWmiTest, DoBfnAnswersFromTheFirstMatchingFunction) {
  Use(MachineWith({}, BiosBuilder()
                          .TransferSize(48)
                          .Function(4, 200, 0, 7, 0, 0, {1, 2})
                          .Function(4, 200, 0, 3)
                          .Build()));
  ASSERT_EQ(Connect(u"root\\wmi"), S_OK);
  qv::win::ScopedComPtr<IWbemClassObject> bdat, bfn, in, out, block, inParams, outParams;
  ASSERT_EQ(GetObject(u"BDat", &bdat), S_OK);
  ASSERT_EQ(GetObject(u"BFn", &bfn), S_OK);
  ASSERT_EQ(bfn->GetMethod(u"DoBFn", 0, in.Receive(), out.Receive()), S_OK);
  ASSERT_EQ(bdat->SpawnInstance(0, block.Receive()), S_OK);
  ASSERT_EQ(in->SpawnInstance(0, inParams.Receive()), S_OK);

  auto call = [&](std::uint32_t arg1, std::uint32_t arg2) {
    std::uint8_t request[48] = {4, 0, 200, 0};
    std::memcpy(request + 4, &arg1, 4);
    std::memcpy(request + 8, &arg2, 4);
    qv::win::ScopedVariant bytes;
    bytes.Get()->vt = VT_ARRAY | VT_UI1;
    bytes.Get()->parray = SafeArrayCreateVector(VT_UI1, 0, sizeof(request));
    std::memcpy(bytes->parray->pvData, request, sizeof(request));
    EXPECT_EQ(block->Put(u"Bytes", 0, bytes.Get(), 0), S_OK);
    VARIANT data;
    VariantInit(&data);
    data.vt = VT_UNKNOWN;
    data.punkVal = block.Get();
    EXPECT_EQ(inParams->Put(u"Data", 0, &data, 0), S_OK);
    BSTR path = SysAllocString(kMapperPath);
    BSTR method = SysAllocString(u"DoBFn");
    HRESULT hr = services_->ExecMethod(path, method, 0, nullptr, inParams.Get(),
                                       outParams.Receive(), nullptr);
    SysFreeString(path);
    SysFreeString(method);
    EXPECT_EQ(hr, S_OK);
    qv::win::ScopedVariant answer;
    EXPECT_EQ(outParams->Get(u"Data", 0, answer.Get(), nullptr, nullptr), S_OK);
    qv::win::ScopedComPtr<IWbemClassObject> response;
    answer->punkVal->QueryInterface(IID_IWbemClassObject, response.ReceiveVoid());
    return BytesOf(response.Get(), u"Bytes");
  };

  std::vector<std::uint8_t> first = call(1, 2);
  ASSERT_EQ(first.size(), 48u);
  EXPECT_EQ(first[20], 0);
  EXPECT_EQ(first[24], 7);
  std::vector<std::uint8_t> second = call(1, 3);
  EXPECT_EQ(second[24], 3);
  std::vector<standin::BiosRequest> requests = standin::BiosRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].args[1], 3u);
  EXPECT_EQ(requests[1].bytes.size(), 48u);
}

TEST_F(StandinWmiTest, ProvidersRefuseAClientTheyCannotImpersonate) {
  Use(MachineWith({{1, 2}}, BiosBuilder().Build()));
  BSTR className = SysAllocString(u"MSSmBios_RawSMBiosTables");
  auto enumerate = [&] {
    qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
    return services_->CreateInstanceEnum(className, WBEM_FLAG_SHALLOW, nullptr, tables.Receive());
  };
  qv::win::ScopedComPtr<IWbemClassObject> object;
  // A new connection starts at the process's levels: Windows' identify by default.
  qv::win::ScopedComPtr<IWbemLocator> locator;
  ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                             locator.ReceiveVoid()),
            S_OK);
  BSTR path = SysAllocString(u"root\\wmi");
  ASSERT_EQ(locator->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                   services_.Receive()),
            S_OK);
  EXPECT_EQ(enumerate(), WBEM_E_ACCESS_DENIED);
  EXPECT_EQ(GetObject(kQueryPath, &object), WBEM_E_ACCESS_DENIED);
  EXPECT_EQ(GetObject(u"BDat", &object), S_OK);  // class definitions need no provider
  ASSERT_EQ(SetBlanket(services_.Get(), RPC_C_IMP_LEVEL_IMPERSONATE), S_OK);
  EXPECT_EQ(enumerate(), S_OK);
  ASSERT_EQ(SetBlanket(services_.Get(), RPC_C_IMP_LEVEL_IMPERSONATE, RPC_C_AUTHN_LEVEL_NONE), S_OK);
  EXPECT_EQ(enumerate(), E_ACCESSDENIED);
  // Level 0 asks for the default and keeps what the proxy has.
  ASSERT_EQ(SetBlanket(services_.Get(), RPC_C_IMP_LEVEL_DEFAULT, RPC_C_AUTHN_LEVEL_CONNECT), S_OK);
  EXPECT_EQ(enumerate(), S_OK);

  // Levels and services that do not exist are refused, and the blanket stays as it was.
  EXPECT_EQ(SetBlanket(services_.Get(), 5), E_INVALIDARG);
  EXPECT_EQ(SetBlanket(services_.Get(), RPC_C_IMP_LEVEL_IDENTIFY, 7), E_INVALIDARG);
  EXPECT_EQ(CoSetProxyBlanket(services_.Get(), 77, RPC_C_AUTHZ_NONE, nullptr, 3, 3, nullptr, 0),
            QV_HRESULT(0x800706D3u));
  EXPECT_EQ(CoSetProxyBlanket(services_.Get(), 10, 5, nullptr, 3, 3, nullptr, 0), E_INVALIDARG);
  EXPECT_EQ(enumerate(), S_OK);
  EXPECT_EQ(SetBlanket(locator.Get(), RPC_C_IMP_LEVEL_IMPERSONATE), E_NOINTERFACE);

  // A process that chose impersonation gives it to every new connection.
  ASSERT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr),
            S_OK);
  ASSERT_EQ(locator->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                   services_.Receive()),
            S_OK);
  EXPECT_EQ(enumerate(), S_OK);
  SysFreeString(path);
  SysFreeString(className);
}

TEST_F(StandinWmiTest, EnumerationsCheckFlagsQueriesAndTimeOuts) {
  Use(MachineWith({{1, 2}, {3}}, std::nullopt));
  ASSERT_EQ(Connect(u"root\\wmi"), S_OK);
  BSTR className = SysAllocString(u"MSSmBios_RawSMBiosTables");
  BSTR missing = SysAllocString(u"NoSuchClass");
  BSTR wql = SysAllocString(u"WQL");
  BSTR query = SysAllocString(u"select * from MSSmBios_RawSMBiosTables");
  BSTR narrowQuery = SysAllocString(u"SELECT Size FROM MSSmBios_RawSMBiosTables");
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  EXPECT_EQ(services_->CreateInstanceEnum(className, 0x4000, nullptr, tables.Receive()),
            WBEM_E_INVALID_PARAMETER);
  EXPECT_EQ(services_->ExecQuery(wql, narrowQuery, 0, nullptr, tables.Receive()),
            WBEM_E_INVALID_QUERY);
  // Semisynchronous: the class error waits for Next.
  ASSERT_EQ(services_->CreateInstanceEnum(missing, WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                          tables.Receive()),
            S_OK);
  IWbemClassObject* objects[2] = {};
  ULONG returned = 5;
  EXPECT_EQ(tables->Next(0, 1, objects, &returned), WBEM_E_INVALID_CLASS);
  EXPECT_EQ(returned, 0u);

  ASSERT_EQ(services_->ExecQuery(wql, query, WBEM_FLAG_FORWARD_ONLY, nullptr, tables.Receive()),
            S_OK);
  EXPECT_EQ(tables->Next(-2, 1, objects, &returned), WBEM_E_INVALID_PARAMETER);
  // WBEM_INFINITE is 0xFFFFFFFF in a 32-bit long and -1 as a signed one: both mean "wait".
  ASSERT_EQ(tables->Next(static_cast<long>(WBEM_INFINITE), 1, objects, &returned), S_OK);
  objects[0]->Release();
  ASSERT_EQ(tables->Next(-1, 2, objects, &returned), WBEM_S_FALSE);
  EXPECT_EQ(returned, 1u);
  objects[0]->Release();

  const std::vector<standin::EnumerationArguments> enumerations = standin::EnumerationCalls();
  ASSERT_EQ(enumerations.size(), 4u);
  EXPECT_EQ(enumerations[0].flags, 0x4000);
  EXPECT_EQ(enumerations[3].what, u"select * from MSSmBios_RawSMBiosTables");
  const std::vector<standin::NextArguments> nexts = standin::NextCalls();
  ASSERT_EQ(nexts.size(), 4u);
  EXPECT_EQ(nexts[0].timeout, 0);
  EXPECT_EQ(nexts[1].timeout, -2);
  EXPECT_EQ(nexts[2].timeout, -1);
  EXPECT_EQ(nexts[3].count, 2u);
  for (BSTR text : {className, missing, wql, query, narrowQuery}) SysFreeString(text);
}

}  // namespace
}  // namespace qv::testing
