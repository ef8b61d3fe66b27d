// WMI as the platform object uses it: the connection to root\wmi, enumerations and their Next,
// the property types of the raw SMBIOS tables, paths that lead nowhere, call security on the
// connection, and reference counts. Where Wine's WMI departs from what Windows documents, the
// assertion skips under Wine and names what Windows does.
#include <gtest/gtest.h>

#include "tests/conformance/conformance_platform.h"
#include "win/scoped_com_ptr.h"
#include "winapi/win32.h"

namespace {

constexpr DWORD kApartment = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;
// WMI's codes as HRESULTs, for plain comparisons: Windows declares them in an unsigned enum.
const HRESULT kNotFound = static_cast<HRESULT>(WBEM_E_NOT_FOUND);
const HRESULT kInvalidClass = static_cast<HRESULT>(WBEM_E_INVALID_CLASS);
const HRESULT kInvalidMethod = static_cast<HRESULT>(WBEM_E_INVALID_METHOD);

class Bstr {
 public:
  explicit Bstr(const WCHAR* text) : text_(SysAllocString(text)) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return text_; }

 private:
  BSTR text_;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &value_; }
  VARIANT* operator->() { return &value_; }

 private:
  VARIANT value_;
};

HRESULT SetCallBlanket(IUnknown* proxy) {
  return CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                           RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

class WmiConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, kApartment)));
    const HRESULT security =
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                             RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
    ASSERT_TRUE(security == S_OK || security == RPC_E_TOO_LATE);
    ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               locator_.ReceiveVoid()),
              S_OK);
  }

  void TearDown() override {
    services_.Reset();
    locator_.Reset();
    CoUninitialize();
  }

  HRESULT Connect(const WCHAR* wmiNamespace) {
    Bstr path(wmiNamespace);
    return locator_->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                   services_.Receive());
  }

  // Connects to root\wmi and sets the blanket a WMI client sets; Wine's in-process connection
  // has no blanket to set.
  void ConnectToRootWmi() {
    ASSERT_EQ(Connect(QV_WIDE("root\\wmi")), S_OK);
    ASSERT_TRUE(services_);
    const HRESULT blanket = SetCallBlanket(services_.Get());
    if (!qv::conformance::RunningUnderWine()) {
      ASSERT_EQ(blanket, S_OK);
    }
  }

  HRESULT EnumerateRawTables(qv::win::ScopedComPtr<IEnumWbemClassObject>* tables) {
    Bstr className(QV_WIDE("MSSmBios_RawSMBiosTables"));
    return services_->CreateInstanceEnum(className, WBEM_FLAG_SHALLOW, nullptr, tables->Receive());
  }

  // The number of raw table instances, each taken with its own Next.
  ULONG CountRawTables() {
    qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
    if (EnumerateRawTables(&tables) != S_OK) return 0;
    ULONG count = 0;
    for (;;) {
      qv::win::ScopedComPtr<IWbemClassObject> table;
      ULONG returned = 0;
      if (tables->Next(10000, 1, table.Receive(), &returned) != S_OK) break;
      count += returned;
    }
    return count;
  }

  qv::conformance::ScopedWmiMachine machine_;
  qv::win::ScopedComPtr<IWbemLocator> locator_;
  qv::win::ScopedComPtr<IWbemServices> services_;
};

TEST_F(WmiConformance, ConnectServerServesRootWmiAndRefusesAMissingNamespace) {
  EXPECT_EQ(Connect(QV_WIDE("root\\qvNoSuchNamespace")), WBEM_E_INVALID_NAMESPACE);
  EXPECT_FALSE(services_);
  EXPECT_EQ(Connect(QV_WIDE("ROOT\\WMI")), S_OK);  // namespace names ignore case
  EXPECT_TRUE(services_);
  EXPECT_EQ(Connect(QV_WIDE("root\\wmi")), S_OK);
  EXPECT_TRUE(services_);
}

// Call security belongs to proxies. The locator is an in-process object, so it has no
// blanket; the connection is a proxy to the WMI service on Windows.
TEST_F(WmiConformance, OnlyTheConnectionTakesAProxyBlanket) {
  EXPECT_EQ(SetCallBlanket(locator_.Get()), E_NOINTERFACE);
  ASSERT_EQ(Connect(QV_WIDE("root\\wmi")), S_OK);
  const HRESULT blanket = SetCallBlanket(services_.Get());
  if (qv::conformance::RunningUnderWine() && blanket == E_NOINTERFACE)
    GTEST_SKIP() << "Wine's WMI runs in-process; on Windows the connection is a proxy to the "
                    "WMI service and CoSetProxyBlanket succeeds";
  EXPECT_EQ(blanket, S_OK);
}

TEST_F(WmiConformance, EnumeratingAMissingClassFails) {
  ConnectToRootWmi();
  Bstr missing(QV_WIDE("QV_NoSuchClass"));
  qv::win::ScopedComPtr<IEnumWbemClassObject> enumerator;
  const HRESULT created =
      services_->CreateInstanceEnum(missing, WBEM_FLAG_SHALLOW, nullptr, enumerator.Receive());
  if (qv::conformance::RunningUnderWine() && created == S_OK)
    GTEST_SKIP() << "Wine's WMI enumerates a class it does not have as an empty set (S_OK, then "
                    "WBEM_S_FALSE from Next); Windows refuses the enumeration and the query with "
                    "WBEM_E_INVALID_CLASS";
  EXPECT_EQ(created, kInvalidClass);
  EXPECT_FALSE(enumerator);

  Bstr wql(QV_WIDE("WQL"));
  Bstr query(QV_WIDE("SELECT * FROM QV_NoSuchClass"));
  EXPECT_EQ(services_->ExecQuery(wql, query, WBEM_FLAG_FORWARD_ONLY, nullptr, enumerator.Receive()),
            WBEM_E_INVALID_CLASS);
  EXPECT_FALSE(enumerator);

  Bstr otherLanguage(QV_WIDE("SQL"));
  EXPECT_EQ(services_->ExecQuery(otherLanguage, query, 0, nullptr, enumerator.Receive()),
            WBEM_E_INVALID_QUERY_TYPE);
  EXPECT_FALSE(enumerator);
}

// Semisynchronous: the call returns at once and the class error comes with the first Next.
TEST_F(WmiConformance, ASemisynchronousEnumerationReportsAMissingClassAtNext) {
  ConnectToRootWmi();
  Bstr missing(QV_WIDE("QV_NoSuchClass"));
  qv::win::ScopedComPtr<IEnumWbemClassObject> enumerator;
  const HRESULT created =
      services_->CreateInstanceEnum(missing, WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                    nullptr, enumerator.Receive());
  ASSERT_EQ(created, S_OK);
  ASSERT_TRUE(enumerator);
  qv::win::ScopedComPtr<IWbemClassObject> object;
  ULONG returned = 7;
  const HRESULT next = enumerator->Next(WBEM_INFINITE, 1, object.Receive(), &returned);
  if (qv::conformance::RunningUnderWine() && next == WBEM_S_FALSE)
    GTEST_SKIP() << "Wine's WMI enumerates a class it does not have as an empty set; Windows "
                    "returns WBEM_E_INVALID_CLASS from the first Next";
  EXPECT_EQ(next, kInvalidClass);
  EXPECT_EQ(returned, 0u);
  EXPECT_FALSE(object);
}

TEST_F(WmiConformance, UnknownEnumerationFlagsAreRefused) {
  ConnectToRootWmi();
  Bstr className(QV_WIDE("MSSmBios_RawSMBiosTables"));
  qv::win::ScopedComPtr<IEnumWbemClassObject> enumerator;
  const HRESULT created =
      services_->CreateInstanceEnum(className, 0x40000000, nullptr, enumerator.Receive());
  if (qv::conformance::RunningUnderWine() && created == S_OK)
    GTEST_SKIP() << "Wine's WMI ignores enumeration flags; Windows refuses flags it does not "
                    "define with WBEM_E_INVALID_PARAMETER";
  EXPECT_EQ(created, WBEM_E_INVALID_PARAMETER);
  EXPECT_FALSE(enumerator);
}

TEST_F(WmiConformance, NextReturnsWhatIsLeftAndThenFalse) {
  ConnectToRootWmi();
  const ULONG count = CountRawTables();
  ASSERT_GE(count, 1u) << "root\\wmi has at least one MSSmBios_RawSMBiosTables instance";

  // Asked for one more than there is: all of them, and WBEM_S_FALSE for the shortfall.
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  ASSERT_EQ(EnumerateRawTables(&tables), S_OK);
  std::vector<IWbemClassObject*> objects(count + 1, nullptr);
  ULONG returned = 0;
  EXPECT_EQ(tables->Next(WBEM_NO_WAIT, count + 1, objects.data(), &returned), WBEM_S_FALSE);
  EXPECT_EQ(returned, count);
  for (ULONG i = 0; i < returned; ++i) {
    ASSERT_NE(objects[i], nullptr);
    objects[i]->Release();
  }
  // At the end, waiting changes nothing: the enumeration has finished.
  qv::win::ScopedComPtr<IWbemClassObject> none;
  returned = 7;
  EXPECT_EQ(tables->Next(WBEM_INFINITE, 1, none.Receive(), &returned), WBEM_S_FALSE);
  EXPECT_EQ(returned, 0u);
  EXPECT_FALSE(none);
}

TEST_F(WmiConformance, NextChecksItsArguments) {
  ConnectToRootWmi();
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  ASSERT_EQ(EnumerateRawTables(&tables), S_OK);
  qv::win::ScopedComPtr<IWbemClassObject> table;
  EXPECT_EQ(tables->Next(10000, 1, table.Receive(), nullptr), WBEM_E_INVALID_PARAMETER);
  EXPECT_FALSE(table);

  ULONG returned = 7;
  const HRESULT negative = tables->Next(-5, 1, table.Receive(), &returned);
  if (qv::conformance::RunningUnderWine() && negative == S_OK)
    GTEST_SKIP() << "Wine's WMI ignores the time-out; Windows accepts only WBEM_INFINITE or a "
                    "count of milliseconds from 0 up";
  EXPECT_EQ(negative, WBEM_E_INVALID_PARAMETER);
  EXPECT_FALSE(table);
  // The refused call took nothing: the instance is still there.
  EXPECT_EQ(tables->Next(10000, 1, table.Receive(), &returned), S_OK);
  EXPECT_EQ(returned, 1u);
}

TEST_F(WmiConformance, RawTablePropertiesHaveTheirDocumentedTypes) {
  ConnectToRootWmi();
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  ASSERT_EQ(EnumerateRawTables(&tables), S_OK);
  qv::win::ScopedComPtr<IWbemClassObject> table;
  ULONG returned = 0;
  ASSERT_EQ(tables->Next(10000, 1, table.Receive(), &returned), S_OK);

  Variant missing;
  CIMTYPE type = -1;
  EXPECT_EQ(table->Get(QV_WIDE("QvNoSuchProperty"), 0, missing.get(), &type, nullptr),
            WBEM_E_NOT_FOUND);
  EXPECT_EQ(missing->vt, VT_EMPTY);

  Variant data;
  ASSERT_EQ(table->Get(QV_WIDE("SMBiosData"), 0, data.get(), &type, nullptr), S_OK);
  EXPECT_EQ(type, CIM_UINT8 | CIM_FLAG_ARRAY);

  // uint32 travels as VT_I4; the CIM type keeps it unsigned.
  Variant size;
  const HRESULT sizeRead = table->Get(QV_WIDE("Size"), 0, size.get(), &type, nullptr);
  if (qv::conformance::RunningUnderWine() && sizeRead == kNotFound)
    GTEST_SKIP() << "Wine's MSSmBios_RawSMBiosTables has no Size property; Windows documents "
                    "Size (uint32, VT_I4) and SMBiosData (uint8[], VT_ARRAY | VT_UI1)";
  ASSERT_EQ(sizeRead, S_OK);
  EXPECT_EQ(size->vt, VT_I4);
  EXPECT_EQ(type, CIM_UINT32);

  if (qv::conformance::RunningUnderWine() && data->vt == VT_NULL)
    GTEST_SKIP() << "this host's SMBIOS tables are not readable, and Wine then gives VT_NULL; "
                    "Windows gives the tables as VT_ARRAY | VT_UI1";
  ASSERT_EQ(data->vt, VT_ARRAY | VT_UI1);
  SAFEARRAY* bytes = data->parray;
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes->cDims, 1);
  EXPECT_EQ(bytes->cbElements, 1u);
  EXPECT_EQ(bytes->rgsabound[0].lLbound, 0);
  EXPECT_EQ(static_cast<LONG>(bytes->rgsabound[0].cElements), size->lVal);
}

TEST_F(WmiConformance, PathsThatLeadNowhere) {
  ConnectToRootWmi();
  qv::win::ScopedComPtr<IWbemClassObject> object;
  Bstr missingClass(QV_WIDE("QV_NoSuchClass"));
  EXPECT_EQ(services_->GetObject(missingClass, 0, nullptr, object.Receive(), nullptr),
            WBEM_E_NOT_FOUND);
  EXPECT_FALSE(object);

  Bstr missingInstance(QV_WIDE("QV_NoSuchClass.InstanceName=\"QV\\\\0_0\""));
  const HRESULT instance =
      services_->GetObject(missingInstance, 0, nullptr, object.Receive(), nullptr);
  EXPECT_TRUE(instance == kNotFound || instance == kInvalidClass) << instance;
  EXPECT_FALSE(object);

  if (qv::conformance::RunningUnderWine())
    GTEST_SKIP() << "Wine's ExecMethod crashes (null pointer read) on an object path that leads "
                    "nowhere; Windows fails the call";
  Bstr method(QV_WIDE("DoBFn"));
  qv::win::ScopedComPtr<IWbemClassObject> out;
  const HRESULT executed =
      services_->ExecMethod(missingInstance, method, 0, nullptr, nullptr, out.Receive(), nullptr);
  EXPECT_TRUE(executed == kNotFound || executed == kInvalidClass || executed == kInvalidMethod)
      << executed;
  EXPECT_FALSE(out);
}

TEST_F(WmiConformance, ReferenceCountsFollowAddRefAndRelease) {
  EXPECT_EQ(locator_->AddRef(), 2u);
  EXPECT_EQ(locator_->Release(), 1u);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(locator_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown->Release(), 1u);

  ConnectToRootWmi();
  qv::win::ScopedComPtr<IEnumWbemClassObject> tables;
  ASSERT_EQ(EnumerateRawTables(&tables), S_OK);
  IWbemClassObject* table = nullptr;
  ULONG returned = 0;
  ASSERT_EQ(tables->Next(10000, 1, &table, &returned), S_OK);
  // Next hands over one reference per object; the enumerator keeps none.
  EXPECT_EQ(table->AddRef(), 2u);
  EXPECT_EQ(table->Release(), 1u);
  tables.Reset();
  EXPECT_EQ(table->Release(), 0u);
}

}  // namespace
