#include "winapi/posix/wbem_namespace.h"

#include "machine/machine.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/wbem_bios.h"

namespace qv::standin {

const char16_t kMapperInstance[] = u"ACPI\\PNP0C14\\0_0";

namespace {

const machine::Bios* CurrentBios() {
  const auto& wmi = standin::CurrentMachine().wmi;
  return wmi && wmi->bios ? &*wmi->bios : nullptr;
}

WbemObject* NewBytesClass(const WideText& className) {
  WbemObject* object = WbemObject::NewClass(className);
  object->Declare(u"Bytes", VT_ARRAY | VT_UI1);
  return object;
}

WbemObject* NewParameters() {
  WbemObject* parameters = WbemObject::NewClass(u"__PARAMETERS");
  parameters->Declare(u"Data", VT_UNKNOWN);
  return parameters;
}

WbemObject* NewMethodClass() {
  WbemObject* bfn = WbemObject::NewClass(u"BFn");
  bfn->Declare(u"InstanceName", VT_BSTR);
  WbemObject* in = NewParameters();
  WbemObject* out = NewParameters();
  bfn->DeclareMethod(u"DoBFn", in, out);
  in->Release();
  out->Release();
  return bfn;
}

WbemObject* NewQueryInstance(const machine::Bios& bios) {
  WbemObject* data = NewBytesClass(u"QDat");
  WbemObject* embedded = data->NewInstance();
  data->Release();
  embedded->SetBytes(u"Bytes", QueryDataBytes(bios));
  WbemObject* query = WbemObject::NewClass(u"WMI_Query");
  query->SetText(u"InstanceName", kMapperInstance);
  query->SetObject(u"QDATA", embedded);
  embedded->Release();
  WbemObject* instance = query->NewInstance();
  query->Release();
  return instance;
}

WbemObject* NewRawTableInstance(const std::vector<std::uint8_t>& blob,
                                const machine::RawTableQuirks& quirks) {
  WbemObject* raw = WbemObject::NewClass(u"MSSmBios_RawSMBiosTables");
  raw->SetUInt32(u"Size", static_cast<std::uint32_t>(
                              quirks.size.value_or(static_cast<std::int32_t>(blob.size()))));
  raw->Declare(u"SMBiosData", VT_ARRAY | VT_UI1);
  if (!quirks.dataNull) raw->SetBytes(u"SMBiosData", blob);
  WbemObject* instance = raw->NewInstance();
  raw->Release();
  return instance;
}

WbemObject* LookUpBiosClass(const WideText& className) {
  if (SameName(className, u"BDat")) return NewBytesClass(u"BDat");
  if (SameName(className, u"BFn")) return NewMethodClass();
  return nullptr;
}

}  // namespace

std::optional<ObjectPath> ParseObjectPath(const WideText& path) {
  ObjectPath parsed;
  std::size_t dot = path.find(u'.');
  parsed.className = path.substr(0, dot);
  if (parsed.className.empty()) return std::nullopt;
  if (dot == WideText::npos) return parsed;
  std::size_t equals = path.find(u'=', dot);
  if (equals == WideText::npos || equals + 2 > path.size() || path[equals + 1] != u'"' ||
      path.back() != u'"')
    return std::nullopt;
  parsed.keyName = path.substr(dot + 1, equals - dot - 1);
  for (std::size_t i = equals + 2; i + 1 < path.size(); ++i) {
    char16_t c = path[i];
    if (c == u'"') return std::nullopt;
    if (c == u'\\') {
      if (i + 2 >= path.size() || (path[i + 1] != u'\\' && path[i + 1] != u'"'))
        return std::nullopt;
      c = path[++i];
    }
    parsed.keyValue += c;
  }
  return parsed;
}

WbemObject* LookUpObject(const ObjectPath& path) {
  const machine::Bios* bios = CurrentBios();
  if (bios == nullptr) return nullptr;
  if (!path.keyName) return LookUpBiosClass(path.className);
  if (!SameName(*path.keyName, u"InstanceName") || !SameName(path.keyValue, kMapperInstance))
    return nullptr;
  if (SameName(path.className, u"WMI_Query")) return NewQueryInstance(*bios);
  if (SameName(path.className, u"BFn")) {
    WbemObject* bfn = NewMethodClass();
    bfn->SetText(u"InstanceName", kMapperInstance);
    WbemObject* instance = bfn->NewInstance();
    bfn->Release();
    return instance;
  }
  return nullptr;
}

std::optional<std::vector<WbemObject*>> EnumerateInstances(const WideText& className) {
  if (!SameName(className, u"MSSmBios_RawSMBiosTables")) return std::nullopt;
  std::vector<WbemObject*> instances;
  const auto& wmi = standin::CurrentMachine().wmi;
  if (!wmi) return instances;
  for (std::size_t i = 0; i < wmi->smbiosTables.size(); ++i) {
    auto quirks = wmi->smbiosQuirks.find(i);
    instances.push_back(NewRawTableInstance(wmi->smbiosTables[i], quirks == wmi->smbiosQuirks.end()
                                                                      ? machine::RawTableQuirks{}
                                                                      : quirks->second));
  }
  return instances;
}

}  // namespace qv::standin
