#include "platform/hw_config.h"

#include <algorithm>
#include <cstring>

#include "platform/acpi_wmi.h"
#include "platform/capability_bits.h"
#include "platform/known_platforms.h"
#include "platform/record_fill_lock.h"

namespace qv::platform {

namespace {

constexpr char kSharedRecordName[] = "HWCONFIG_SHARED_MEM_OBJ";
constexpr DWORD kCreated = ERROR_SUCCESS;
constexpr DWORD kExisted = ERROR_ALREADY_EXISTS;
constexpr DWORD kFailed = ERROR_INVALID_HANDLE;

// Statuses of -1 and above show that the function exists; -2 and below that it does not.
constexpr std::int32_t kLowestPresentStatus = -1;

constexpr std::uint16_t kEntryTableClass = 4;
constexpr std::uint16_t kEntryTableSelector = 200;
constexpr std::uint16_t kDockClass = 4;
constexpr std::uint16_t kDockSelector = 7;

// Feature-word bits and the capability bits they set; 0x08 is told apart by 0x10 below.
struct FeatureBit {
  std::uint32_t mask;
  int bit;
};
constexpr FeatureBit kFeatureBits[] = {{0x02, 23}, {0x04, 24}, {0x20, 27}, {0x40, 28}};

constexpr HwConfigEntry MakeEntry(std::uint32_t kind, std::uint32_t param1, std::uint32_t param2) {
  return HwConfigEntry{kind, 0, param1, param2, {}};
}

// The table used when the BIOS cannot list its entries.
constexpr HwConfigEntry kFixedEntries[] = {MakeEntry(3, 8, 16), MakeEntry(2, 8, 16),
                                           MakeEntry(4, 8, 16), MakeEntry(5, 1, 1)};

void SetKinds(HwConfigData& record, std::uint32_t kind0, std::uint32_t kind1, std::uint32_t kind2) {
  record.entries[0].kind = kind0;
  record.entries[1].kind = kind1;
  record.entries[2].kind = kind2;
}

}  // namespace

CHwConfig::CHwConfig(CAcpiWmi* owner) : owner_(owner), snapshot_{} {
  snapshot_.extraByte = 1;
  // Held from before the record can exist until the snapshot is taken: a creator fills the
  // record under it, and a process that finds the record waits (bounded) for it to be filled.
  RecordFillLock fillLock(kSharedRecordName);
  DWORD opened = OpenSharedMemory();
  if (opened == kFailed) return;
  auto* shared = static_cast<HwConfigData*>(view_.Get());
  if (opened == kCreated) {
    created_ = true;
    // Filled privately and published in one copy; a reader that timed out on the lock sees
    // zeros rather than a record filled stage by stage.
    HwConfigData record{};
    Fill(record);
    std::memcpy(shared, &record, sizeof(record));
  }
  HwConfigData record;
  std::memcpy(&record, shared, sizeof(record));
  TakeSnapshot(record);
}

DWORD CHwConfig::OpenSharedMemory() {
  view_.Reset();
  mapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(HwConfigData), kSharedRecordName));
  if (!mapping_.IsValid()) return kFailed;
  bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HwConfigData)));
  if (!view_.IsValid()) {
    mapping_.Reset();
    return kFailed;
  }
  return existed ? kExisted : kCreated;
}

void CHwConfig::Fill(HwConfigData& record) {
  std::memset(&record, 0, sizeof(record));
  SetCapability(record, kBitAlwaysAtCreation);
  RunCapabilityProbe(record);
  ReadClass17Flags(record);
  ReadEntryTable(record);
  ApplySmbiosFacts(record);
  ApplyPlatformAdjustments(record);
}

void CHwConfig::RunCapabilityProbe(HwConfigData& record) {
  for (const CapabilityBit& row : kCapabilityBits) {
    if (!IsProbed(row)) continue;
    BiosCallBuffer block = MakeBiosCall(row.probe.functionClass, row.probe.selector);
    owner_->CallBiosFunction(block);
    if (block.status >= kLowestPresentStatus) SetCapability(record, row.bit);
  }
}

void CHwConfig::ReadClass17Flags(HwConfigData& record) {
  if (!HasCapability(record, kBitClass17Flags)) return;
  BiosCallBuffer block = MakeBiosCall(17, 11);
  owner_->CallBiosFunction(block);
  if (block.status != kBiosStatusOk) return;
  for (int i = 0; i < kClass17FlagCount; ++i)
    if (block.result2 & (1u << i)) SetCapability(record, kFirstClass17FlagBit + i);
}

void CHwConfig::ReadEntryTable(HwConfigData& record) {
  BiosCallBuffer count = MakeBiosCall(kEntryTableClass, kEntryTableSelector);
  owner_->CallBiosFunction(count);
  if (count.status != kBiosStatusOk) {
    std::copy(std::begin(kFixedEntries), std::end(kFixedEntries), record.entries);
    record.entryCount = static_cast<std::int32_t>(std::size(kFixedEntries));
    return;
  }
  record.entryCount = static_cast<std::int32_t>(
      std::min<std::uint32_t>(count.result2, static_cast<std::uint32_t>(kHwConfigMaxEntries)));
  for (std::int32_t i = 0; i < record.entryCount; ++i) {
    HwConfigEntry& entry = record.entries[i];
    entry.kind = 1;
    BiosCallBuffer kind = MakeBiosCall(kEntryTableClass, kEntryTableSelector);
    kind.args[0] = 1;
    kind.args[1] = static_cast<std::uint32_t>(i);
    owner_->CallBiosFunction(kind);
    if (kind.status == kBiosStatusOk) entry.kind = kind.result2;
    entry.param1 = 8;
    entry.param2 = 16;
  }
}

void CHwConfig::ApplySmbiosFacts(HwConfigData& record) {
  if (owner_->MakerFlag() == 1) SetCapability(record, kBitMakerFlag);
  if (owner_->BiosFlag() == 1) SetCapability(record, kBitBiosFlag);
  if (!HasCapability(record, kBitMakerFlag) && !HasCapability(record, kBitBiosFlag)) return;
  std::uint32_t features = owner_->FeatureWord1() & 0xFFFF;
  for (const FeatureBit& feature : kFeatureBits)
    if (features & feature.mask) SetCapability(record, feature.bit);
  if (features & 0x08)
    SetCapability(record, (features & 0x10) ? kBitFeature08With10 : kBitFeature08Alone);
  if (owner_->IsTokenActive(0x01FB) || owner_->IsTokenActive(0x01FA))
    SetCapability(record, kBitTokenActive);
}

void CHwConfig::ApplyPlatformAdjustments(HwConfigData& record) {
  switch (owner_->SystemId()) {
    case kPlatformA:
      SetCapability(record, kBitPlatformA);
      break;
    case kPlatformB:
      AdjustPlatformB(record);
      break;
    case kPlatformC:
      SetKinds(record, 5, 10, 11);
      SetCapability(record, kBitPlatformC);
      break;
    default:
      break;
  }
}

// Platform B lists its entries in a dock-style table and may report a dock in class 4,
// selector 7, whose result 4 also carries the extra byte.
void CHwConfig::AdjustPlatformB(HwConfigData& record) {
  ClearCapability(record, kBitAlwaysAtCreation);
  SetKinds(record, 6, 7, 8);
  BiosCallBuffer dock = MakeBiosCall(kDockClass, kDockSelector);
  owner_->CallBiosFunction(dock);
  if (dock.status != kBiosStatusOk || (dock.result4 & 0xFF) == 0xFF) return;
  SetCapability(record, kBitPlatformBDock);
  record.entries[3] = MakeEntry(9, 8, 8);
  BiosCallBuffer extra = MakeBiosCall(kDockClass, kDockSelector);
  owner_->CallBiosFunction(extra);
  if (extra.status == kBiosStatusOk)
    record.extraByte = static_cast<std::uint8_t>((extra.result4 >> 8) & 0xFF);
}

// Copies what readers use; a count beyond the table, from another writer, copies 8 entries.
void CHwConfig::TakeSnapshot(const HwConfigData& record) {
  std::memcpy(snapshot_.capabilities, record.capabilities, sizeof(snapshot_.capabilities));
  snapshot_.entryCount = record.entryCount;
  std::int32_t copied = std::clamp<std::int32_t>(record.entryCount, 0, kHwConfigMaxEntries);
  for (std::int32_t i = 0; i < copied; ++i) {
    snapshot_.entries[i].kind = record.entries[i].kind;
    snapshot_.entries[i].param1 = record.entries[i].param1;
    snapshot_.entries[i].param2 = record.entries[i].param2;
  }
  snapshot_.extraByte = record.extraByte;
}

}  // namespace qv::platform
