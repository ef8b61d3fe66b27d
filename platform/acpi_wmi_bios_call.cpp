// BIOS calls over the ACPI-WMI mapper: the transfer size announced in QDATA, the call objects,
// one call through DoBFn and the token check built on it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/acpi_wmi.h"
#include "platform/wbem_access.h"
#include "win/scoped_safe_array_access.h"
#include "win/scoped_variant.h"

namespace qv::platform {

namespace {

constexpr char kQueryObjectPath[] = "WMI_Query.InstanceName=\"ACPI\\\\PNP0C14\\\\0_0\"";
constexpr std::size_t kTransferSizeOffset = 12;
// A transfer buffer must hold the block; anything beyond 64 KiB is not a plausible BIOS buffer.
constexpr std::int32_t kMaxTransferSize = 64 * 1024;

// The tokens whose reading depends on the power source.
constexpr std::uint16_t kPowerDependentTokens[] = {0x006F, 0x0070, 0x0071, 0x0072, 0x0079,
                                                   0x007A, 0x017B, 0x017C, 0x017D, 0x007D};

bool IsPowerDependent(std::uint16_t id) {
  return std::find(std::begin(kPowerDependentTokens), std::end(kPowerDependentTokens), id) !=
         std::end(kPowerDependentTokens);
}

// Selector 2 reads a power-dependent token as on mains power, selector 1 as on battery.
std::uint16_t TokenSelector(std::uint16_t id) {
  if (!IsPowerDependent(id)) return 0;
  SYSTEM_POWER_STATUS power{};
  GetSystemPowerStatus(&power);  // on failure the zeroed record reads as battery
  return power.ACLineStatus == AC_LINE_ONLINE ? 2 : 1;
}

}  // namespace

int CAcpiWmi::ReadQueryData() {
  win::ScopedBstr queryPath(kQueryObjectPath);
  win::ScopedComPtr<IWbemClassObject> query;
  if (FAILED(services_->GetObject(queryPath.Get(), 0, nullptr, query.Receive(), nullptr)) || !query)
    return 0;
  std::vector<BYTE> bytes;
  if (!ReadEmbeddedBytes(query.Get(), "QDATA", &bytes)) return 0;
  // The size is a 32-bit field at offset 12: a shorter array announces nothing.
  if (bytes.size() < kTransferSizeOffset + sizeof(std::int32_t)) return 0;
  std::memcpy(&transferSize_, bytes.data() + kTransferSizeOffset, sizeof(transferSize_));
  return 1;
}

int CAcpiWmi::PrepareBiosCall() {
  win::ScopedBstr bdatName("BDat");
  if (services_->GetObject(bdatName.Get(), 0, nullptr, bdatClass_.Receive(), nullptr) != S_OK)
    return 0;
  if (services_->GetObject(bfnClassName_.Get(), 0, nullptr, bfnClass_.Receive(), nullptr) != S_OK)
    return 0;
  if (!bfnClass_ || bfnClass_->GetMethod(doBfnMethodName_.Get(), 0, inSignature_.Receive(),
                                         outSignature_.Receive()) != S_OK)
    return 0;
  return 1;
}

void CAcpiWmi::SpawnCallObjects() {
  if (bdatClass_) bdatClass_->SpawnInstance(0, bdatInstance_.Receive());
  if (inSignature_) inSignature_->SpawnInstance(0, inParams_.Receive());
  if (outSignature_) outSignature_->SpawnInstance(0, outParams_.Receive());
}

int CAcpiWmi::CallBiosFunction(BiosCallBuffer& block) {
  win::ScopedCriticalSectionHold hold(callLock_);
  block.status = kBiosStatusNotSent;
  if (!bdatInstance_ || !inSignature_ || !inParams_ || !TransferSizeUsable()) return 0;
  PutRequest(block);
  PutDataParameter();
  if (ExecuteCall() != S_OK) return 0;
  return ReadResponse(block);
}

bool CAcpiWmi::TransferSizeUsable() const {
  return transferSize_ >= static_cast<std::int32_t>(sizeof(BiosCallBuffer)) &&
         transferSize_ <= kMaxTransferSize;
}

void CAcpiWmi::PutRequest(const BiosCallBuffer& block) {
  win::ScopedBstr bytesName("Bytes");
  std::vector<BYTE> buffer(static_cast<std::size_t>(transferSize_), 0);
  std::memcpy(buffer.data(), &block, sizeof(block));
  win::ScopedVariant request;
  request.Get()->parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(buffer.size()));
  if (request->parray == nullptr) return;
  request.Get()->vt = VT_ARRAY | VT_UI1;
  for (LONG i = 0; i < static_cast<LONG>(buffer.size()); ++i)
    SafeArrayPutElement(request->parray, &i, &buffer[static_cast<std::size_t>(i)]);
  bdatInstance_->Put(bytesName.Get(), 0, request.Get(), 0);
}

void CAcpiWmi::PutDataParameter() {
  win::ScopedBstr dataName("Data");
  VARIANT data;
  VariantInit(&data);
  data.vt = VT_UNKNOWN;
  data.punkVal = bdatInstance_.Get();  // borrowed: Put takes its own reference
  inParams_->Put(dataName.Get(), 0, &data, 0);
}

HRESULT CAcpiWmi::ExecuteCall() {
  outParams_.Reset();
  win::ScopedComPtr<IWbemServices> proxy;
  *proxy.Receive() = interfaceTable_.FetchProxy();
  if (!proxy) return E_POINTER;
  SetImpersonatingBlanket(proxy.Get());
  return proxy->ExecMethod(bfnObjectPath_.Get(), doBfnMethodName_.Get(), 0, nullptr,
                           inParams_.Get(), outParams_.Receive(), nullptr);
}

// Copies the response over the block; a short response fills only what it holds.
int CAcpiWmi::ReadResponse(BiosCallBuffer& block) {
  if (!outParams_) return 0;
  std::vector<BYTE> bytes;
  if (!ReadEmbeddedBytes(outParams_.Get(), "Data", &bytes)) return 0;
  if (!bytes.empty()) std::memcpy(&block, bytes.data(), std::min(bytes.size(), sizeof(block)));
  return 1;
}

const SmbiosToken* CAcpiWmi::FindToken(std::uint16_t id) const {
  for (const SmbiosToken& token : Tokens())
    if (token.id == id) return &token;
  return nullptr;
}

int CAcpiWmi::IsTokenActive(std::uint16_t id) {
  const SmbiosToken* found = FindToken(id);
  if (found == nullptr) return 0;
  const SmbiosToken token = *found;
  BiosCallBuffer block = MakeBiosCall(0, TokenSelector(id));
  block.args[0] = token.location;
  CallBiosFunction(block);
  if (block.status != kBiosStatusOk) return 0;
  return (block.result2 & 0xFFFF) == token.value ? 1 : 0;
}

}  // namespace qv::platform
