// The WMI locator, the root\wmi connection and the instance enumerator of the stand-in. The
// connection and its enumerators stand for proxies to the WMI service: they belong to their
// apartment, carry a blanket, and check flags and time-outs as the service does.
#include <cstring>
#include <vector>

#include "machine/machine.h"
#include "winapi/posix/com_factory.h"
#include "winapi/posix/com_security.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/oleauto_internal.h"
#include "winapi/posix/wbem_bios.h"
#include "winapi/posix/wbem_call_log.h"
#include "winapi/posix/wbem_namespace.h"

const CLSID CLSID_WbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemLocator = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemServices = {
    0x9556DC99, 0x828C, 0x11CF, {0xA3, 0x7E, 0x00, 0xAA, 0x00, 0x32, 0x40, 0xC7}};
const IID IID_IWbemClassObject = {
    0xDC12A681, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IEnumWbemClassObject = {
    0x027947E1, 0xD731, 0x11CE, {0xA3, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};

namespace qv::standin {
namespace {

bool HasWmi() {
  return standin::CurrentMachine().wmi.has_value();
}

WideText TextOf(const BSTR text) {
  return text == nullptr ? WideText() : WideText(text);
}

// The flags an enumeration accepts; anything else is refused as WMI refuses it.
constexpr std::int32_t kEnumerationFlags = WBEM_FLAG_SHALLOW | WBEM_FLAG_RETURN_IMMEDIATELY |
                                           WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_SEND_STATUS |
                                           WBEM_FLAG_DIRECT_READ |
                                           WBEM_FLAG_USE_AMENDED_QUALIFIERS | WBEM_FLAG_PROTOTYPE;

// WBEM_INFINITE as the 32-bit value it is on Windows, whatever the width of `long` here.
std::int32_t AsTimeout(long timeout) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(timeout));
}

class InstanceEnumerator final : public ComObject<IEnumWbemClassObject> {
 public:
  explicit InstanceEnumerator(std::vector<WbemObject*> instances)
      : ComObject(IID_IEnumWbemClassObject), instances_(std::move(instances)) {}
  // A semisynchronous enumeration of something that cannot be enumerated: the call that made
  // it succeeded, and the error comes with the first Next.
  explicit InstanceEnumerator(HRESULT error) : ComObject(IID_IEnumWbemClassObject), error_(error) {}

  HRESULT STDMETHODCALLTYPE Next(long timeout, ULONG count, IWbemClassObject** objects,
                                 ULONG* returned) override {
    RecordNext(AsTimeout(timeout), count);
    if (ShouldFail("IEnumWbemClassObject::Next")) return WBEM_E_FAILED;
    if (objects == nullptr || returned == nullptr) return WBEM_E_INVALID_PARAMETER;
    *returned = 0;
    if (AsTimeout(timeout) < 0 && AsTimeout(timeout) != -1) return WBEM_E_INVALID_PARAMETER;
    if (FAILED(error_)) return error_;
    while (*returned < count && next_ < instances_.size()) {
      objects[(*returned)++] = instances_[next_];
      instances_[next_++] = nullptr;  // the reference passes to the caller
    }
    return *returned == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
  }

 private:
  ~InstanceEnumerator() override {
    for (WbemObject* instance : instances_)
      if (instance != nullptr) instance->Release();
  }
  bool BoundToApartment() const override { return true; }

  std::vector<WbemObject*> instances_;
  std::size_t next_ = 0;
  HRESULT error_ = S_OK;
};

// "SELECT * FROM Class", the one query form served, gives the class name.
std::optional<WideText> SelectedClass(const WideText& query) {
  const WideText prefix = u"select * from ";
  if (query.size() <= prefix.size() || !SameName(query.substr(0, prefix.size()), prefix))
    return std::nullopt;
  WideText className = query.substr(prefix.size());
  if (className.find(u' ') != WideText::npos) return std::nullopt;
  return className;
}

// The byte array under "Bytes" of the object under "Data" of `parameters`. Read without going
// through the interfaces, so the client's call log shows only the client's own calls.
HRESULT ReadDataBytes(IWbemClassObject* parameters, std::vector<std::uint8_t>* bytes) {
  auto* object = dynamic_cast<WbemObject*>(parameters);
  StoredVariant data;
  if (object == nullptr || FAILED(object->Read(u"Data", data.get())) ||
      data.get()->vt != VT_UNKNOWN)
    return WBEM_E_INVALID_PARAMETER;
  auto* block = dynamic_cast<WbemObject*>(data.get()->punkVal);
  StoredVariant array;
  if (block == nullptr || FAILED(block->Read(u"Bytes", array.get())) ||
      array.get()->vt != (VT_ARRAY | VT_UI1) || array.get()->parray == nullptr)
    return WBEM_E_INVALID_PARAMETER;
  const SAFEARRAY* source = array.get()->parray;
  const auto* first = static_cast<const std::uint8_t*>(source->pvData);
  bytes->assign(first, first + source->rgsabound[0].cElements);
  return S_OK;
}

WbemObject* NewOutParameters(const machine::Bios& bios, const std::vector<std::uint8_t>& response) {
  WbemObject* parameters = WbemObject::NewClass(u"__PARAMETERS");
  parameters->Declare(u"Data", VT_UNKNOWN);
  if (!bios.responseWithoutData) {
    WbemObject* block = WbemObject::NewClass(u"BDat");
    block->SetBytes(u"Bytes", response);
    parameters->SetObject(u"Data", block);
    block->Release();
  }
  WbemObject* instance = parameters->NewInstance();
  parameters->Release();
  return instance;
}

class Services final : public ComObject<IWbemServices>, public ProxyObject {
 public:
  Services() : ComObject(IID_IWbemServices), blanket_(DefaultBlanket()) {}

  void SetBlanket(const Blanket& blanket) override { blanket_ = blanket; }
  Blanket CurrentBlanket() const override { return blanket_; }
  IUnknown* Unmarshal() const override { return static_cast<IWbemServices*>(new Services); }

  HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, long, IWbemContext*,
                                      IWbemClassObject** object,
                                      IWbemCallResult** callResult) override {
    if (object != nullptr) *object = nullptr;
    if (callResult != nullptr) *callResult = nullptr;
    if (ShouldFail("IWbemServices::GetObject")) return WBEM_E_FAILED;
    if (object == nullptr) return WBEM_E_INVALID_PARAMETER;
    std::optional<ObjectPath> parsed = ParseObjectPath(TextOf(path));
    if (!parsed) return WBEM_E_INVALID_OBJECT_PATH;
    // Class definitions come from the repository; an instance comes from its provider.
    if (parsed->keyName)
      if (HRESULT hr = CheckProviderAccess(); FAILED(hr)) return hr;
    *object = LookUpObject(*parsed);
    return *object != nullptr ? WBEM_S_NO_ERROR : WBEM_E_NOT_FOUND;
  }

  HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR className, long flags, IWbemContext*,
                                               IEnumWbemClassObject** enumerator) override {
    RecordEnumeration(TextOf(className), static_cast<std::int32_t>(flags));
    if (enumerator != nullptr) *enumerator = nullptr;
    if (ShouldFail("IWbemServices::CreateInstanceEnum")) return WBEM_E_FAILED;
    if (enumerator == nullptr || className == nullptr) return WBEM_E_INVALID_PARAMETER;
    return Enumerate(TextOf(className), flags, enumerator);
  }

  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, long flags,
                                      IWbemContext*, IEnumWbemClassObject** enumerator) override {
    RecordEnumeration(TextOf(query), static_cast<std::int32_t>(flags));
    if (enumerator != nullptr) *enumerator = nullptr;
    if (ShouldFail("IWbemServices::ExecQuery")) return WBEM_E_FAILED;
    if (enumerator == nullptr || query == nullptr || language == nullptr)
      return WBEM_E_INVALID_PARAMETER;
    if (!SameName(TextOf(language), u"WQL")) return WBEM_E_INVALID_QUERY_TYPE;
    std::optional<WideText> className = SelectedClass(TextOf(query));
    if (!className) return WBEM_E_INVALID_QUERY;
    return Enumerate(*className, flags, enumerator);
  }

  HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR path, const BSTR method, long, IWbemContext*,
                                       IWbemClassObject* in, IWbemClassObject** out,
                                       IWbemCallResult** callResult) override {
    if (out != nullptr) *out = nullptr;
    if (callResult != nullptr) *callResult = nullptr;
    if (ShouldFail("IWbemServices::ExecMethod")) return WBEM_E_FAILED;
    std::optional<ObjectPath> parsed = ParseObjectPath(TextOf(path));
    if (!parsed) return WBEM_E_INVALID_OBJECT_PATH;
    if (HRESULT hr = CheckProviderAccess(); FAILED(hr)) return hr;
    WbemObject* target = LookUpObject(*parsed);
    if (target == nullptr) return WBEM_E_NOT_FOUND;
    bool isMapper = SameName(target->ClassName(), u"BFn") && parsed->keyName;
    target->Release();
    if (!isMapper || !SameName(TextOf(method), u"DoBFn")) return WBEM_E_INVALID_METHOD;
    if (in == nullptr) return WBEM_E_INVALID_PARAMETER;
    std::vector<std::uint8_t> request;
    if (HRESULT hr = ReadDataBytes(in, &request); FAILED(hr)) return hr;
    if (request.size() < kBiosBlockSize) return WBEM_E_INVALID_PARAMETER;
    const machine::Bios& bios = *standin::CurrentMachine().wmi->bios;
    std::vector<std::uint8_t> response = AnswerBiosRequest(bios, request);
    if (out != nullptr) *out = NewOutParameters(bios, response);
    return WBEM_S_NO_ERROR;
  }

 private:
  bool BoundToApartment() const override { return true; }

  // Without authentication the service cannot tell who calls; below impersonation its
  // providers cannot act for the caller, and WMI refuses the request.
  HRESULT CheckProviderAccess() const {
    if (blanket_.authnLevel < RPC_C_AUTHN_LEVEL_CONNECT) return E_ACCESSDENIED;
    if (blanket_.impLevel < RPC_C_IMP_LEVEL_IMPERSONATE) return WBEM_E_ACCESS_DENIED;
    return S_OK;
  }

  HRESULT Enumerate(const WideText& className, long flags, IEnumWbemClassObject** enumerator) {
    if ((flags & ~kEnumerationFlags) != 0) return WBEM_E_INVALID_PARAMETER;
    auto instances = EnumerateInstances(className);
    HRESULT hr = instances ? CheckProviderAccess() : WBEM_E_INVALID_CLASS;
    if (SUCCEEDED(hr)) {
      *enumerator = new InstanceEnumerator(std::move(*instances));
      return WBEM_S_NO_ERROR;
    }
    if (instances)
      for (WbemObject* instance : *instances) instance->Release();
    if ((flags & WBEM_FLAG_RETURN_IMMEDIATELY) == 0) return hr;
    *enumerator = new InstanceEnumerator(hr);
    return WBEM_S_NO_ERROR;
  }

  Blanket blanket_;
};

// Accepts "root\wmi", optionally behind the local machine "\\.\", in any letter case.
bool IsServedNamespace(WideText name) {
  const WideText local = u"\\\\.\\";
  if (name.compare(0, local.size(), local) == 0) name.erase(0, local.size());
  return SameName(name, u"root\\wmi");
}

class Locator final : public ComObject<IWbemLocator> {
 public:
  Locator() : ComObject(IID_IWbemLocator) {}

  HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR, const BSTR, const BSTR,
                                          long, const BSTR, IWbemContext*,
                                          IWbemServices** services) override {
    if (services != nullptr) *services = nullptr;
    if (ShouldFail("IWbemLocator::ConnectServer")) return WBEM_E_FAILED;
    if (services == nullptr) return WBEM_E_INVALID_PARAMETER;
    if (!HasWmi() || !IsServedNamespace(TextOf(resource))) return WBEM_E_INVALID_NAMESPACE;
    *services = new Services;
    return WBEM_S_NO_ERROR;
  }
};

}  // namespace

HRESULT CreateWbemLocator(REFIID iid, void** object) {
  if (!HasWmi()) return REGDB_E_CLASSNOTREG;
  auto* locator = new Locator;
  HRESULT hr = locator->QueryInterface(iid, object);
  locator->Release();
  return hr;
}

}  // namespace qv::standin
